// Songs the walk refuses, converted on the worker pool while the list stays usable, and
// whole folders added in natural order. The queue does the work; this file only wires it
// to the list, the status bar and the output command.

#include <algorithm>

#include "app/conversion_settings_file.h"
#include "app/main_presenter.h"
#include "common/number_format.h"
#include "convert/convert_cache.h"
#include "sources/folder_adding.h"
#include "sources/folder_walk.h"

namespace tarvello {

namespace {

constexpr const char* kAddFolderTitle = "フォルダを追加";
constexpr const char* kConvertingLabel = "変換中...";
constexpr const char* kConversionFailedMessage = "変換できませんでした.";
constexpr const char* kMarkedConversionFailed = "変換できなかった曲があるため出力を中止しました.";

// Holds the adding's messages in `held` for as long as it lives.
class HeldReports {
 public:
  HeldReports(AddContext& context, std::vector<std::string>& held)
      : context_(context), report_(std::move(context.report)) {
    context.report = [&held](const std::string& text) { held.push_back(text); };
  }
  ~HeldReports() { context_.report = std::move(report_); }
  HeldReports(const HeldReports&) = delete;
  HeldReports& operator=(const HeldReports&) = delete;

 private:
  AddContext& context_;
  std::function<void(const std::string&)> report_;
};

// How long one wait for the workers lasts before the dialog's events run again.
constexpr int kWaitSliceMilliseconds = 50;

// A status bar panel holds one line: the file and the reason go side by side.
std::string OneLine(std::string text) {
  for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) {
    text.replace(at, 2, ": ");
  }
  return text;
}

}  // namespace

void MainPresenter::AddFolder1Click() {
  RunCommand([&] {
    const std::optional<std::string> folder = view_.ChooseFolder(kAddFolderTitle);
    if (!folder) return;
    const auto cursor = view_.ShowWaitCursor();
    AddPaths({*folder}, false);
  });
}

bool MainPresenter::AddFolder(AddContext& context, const std::string& folder) {
  const auto natural = MakeNaturalCollator();
  FolderAdding adding(context, folder, *natural);
  // The adding's boxes (the song limit) wait until the rows added before them are shown.
  std::vector<std::string> held;
  const HeldReports hold(context, held);
  // A small folder is added before a dialog would be worth showing.
  const auto quiet_until = FolderAdding::Clock::now() + folder_pace_.quiet;
  while (!adding.Ended() && FolderAdding::Clock::now() < quiet_until) {
    adding.Continue(std::min(FolderAdding::Clock::now() + folder_pace_.slice, quiet_until));
    ShowAddedRows();
    for (const std::string& text : held) view_.ShowInformation(text);
    held.clear();
  }
  if (!adding.Ended()) {
    view_.RunWithProgress(
        [&](OutputProgress& progress) { AddFolderWithProgress(adding, held, progress); });
  }
  // Non-music files and unreadable folders get one line for the whole folder, not a box each.
  const std::string summary = FolderAddingSummary(adding);
  if (!summary.empty()) view_.SetStatusText(1, summary);
  return !adding.Stopped() && !adding.Cancelled();
}

void MainPresenter::AddFolderWithProgress(FolderAdding& adding, std::vector<std::string>& held,
                                          OutputProgress& progress) {
  int stepped = 0;
  while (!adding.Ended()) {
    adding.Continue(FolderAdding::Clock::now() + folder_pace_.slice);
    ShowAddedRows();
    // The bar waits while the walk counts the songs, then follows the adding.
    progress.SetMaximum(adding.Walking() ? 0 : adding.SongsFound());
    for (; stepped < adding.SongsHandled(); ++stepped) progress.Step();
    progress.SetLabel(FolderAddingLabel(adding));
    // While the dialog is up its boxes belong to it.
    for (const std::string& text : held) progress.ShowMessage(text);
    held.clear();
    progress.ProcessEvents();
    if (progress.CancelRequested()) adding.Cancel();
  }
}

ConversionQueue& MainPresenter::Conversions() {
  if (!conversions_) {
    const ConvertSettings settings = ReadConversionSettings(
        LoadExtraSettings(platform_.files, ExtraSettingsFileName(state_.IniFileName)));
    conversions_ = std::make_unique<ConversionQueue>(
        platform_.files, DefaultCacheFolder(platform_.environment), settings,
        [this] { view_.CallSoon([this] { ConversionsWaiting(); }); }, conversion_threads_,
        kDefaultCacheBytes, conversion_helper_);
  }
  return *conversions_;
}

void MainPresenter::StoreConversionSettings(const ConvertSettings& settings) {
  ConversionQueue& queue = Conversions();
  if (settings.enabled == queue.Settings().enabled &&
      settings.bit_rate_kbps == queue.Settings().bit_rate_kbps) {
    return;
  }
  queue.SetSettings(settings);
  UpdateExtraSettings(
      platform_.files, ExtraSettingsFileName(state_.IniFileName),
      [&settings](ExtraSettings& file) { WriteConversionSettings(file, settings); });
}

void MainPresenter::ConversionsWaiting() {
  held_events_.Handle(HeldEvent::kConversionsArrived, [this] {
    RunCommand([this] {
      ConversionsArrived();
      // Files the helper refused after their add had ended are added another way now.
      if (!refused_probes_.empty() && !adding_) AddPaths({}, false);
    });
  });
}

void MainPresenter::ConversionsArrived() {
  if (!conversions_) return;
  std::vector<std::string> failures;
  const std::vector<int> changed =
      conversions_->DeliverToRows(state_.table, state_.StagingTrack, state_.rows, failures);
  for (const int row : changed) {
    state_.rows.BuildRows(row, row, state_.table, state_.totals, ClusterSize());
    state_.rows.RefreshCaption(row, state_.table);
    ShowSourceName(row);
    view_.RowsChanged(row, row);
  }
  ShowConversionStates();
  TakeRefusedProbes();
  if (!failures.empty()) {
    view_.SetStatusText(1, std::string(kConversionFailedMessage) + " " + OneLine(failures.back()));
  }
  ShowOutputSummary(!changed.empty());
}

void MainPresenter::TakeConversionStates(int first, int last) {
  if (!conversions_) return;
  ShowRowRuns(conversions_->TakeStates(state_.rows, state_.table, first, last));
}

void MainPresenter::ShowConversionStates() {
  if (!conversions_) return;
  ShowRowRuns(conversions_->FollowStates(state_.rows, state_.table));
}

void MainPresenter::ShowRowRuns(const std::vector<std::pair<int, int>>& runs) {
  for (const auto& [first, last] : runs) view_.RowsChanged(first, last);
}

void MainPresenter::ShowSourceName(int row) {
  if (conversions_) conversions_->ShowSourceName(state_.rows.Row(row));
}

void MainPresenter::PrioritizeConversions() {
  if (conversions_) conversions_->Prioritize(state_.rows, state_.table);
}

std::string MainPresenter::ConversionStatusText() const {
  if (!conversions_ || conversions_->Unfinished() == 0) return {};
  return "  (変換待ち " + std::to_string(conversions_->Unfinished()) + " 曲)";
}

bool MainPresenter::WaitForMarkedConversions(OutputProgress& progress) {
  if (!conversions_) return true;
  conversions_->RetryCancelled();
  // Songs another process trimmed from the cache are made again rather than missed.
  conversions_->ReconvertGoneMarked(state_.rows, state_.table);
  PrioritizeConversions();
  while (true) {
    ConversionsArrived();
    const ConversionQueue::MarkedSongs marked =
        conversions_->CountMarked(state_.rows, state_.table);
    if (marked.failed) {
      progress.ShowMessage(kMarkedConversionFailed);
      return false;
    }
    // Looked at once more at the end: a song may have gone while the others were made.
    if (marked.waiting == 0 && conversions_->ReconvertGoneMarked(state_.rows, state_.table) == 0) {
      return true;
    }
    progress.SetLabel(std::string(kConvertingLabel) + " " +
                      std::to_string(marked.converted - marked.waiting) + " / " +
                      std::to_string(marked.converted));
    progress.ProcessEvents();
    if (progress.CancelRequested()) {
      conversions_->CancelAll();
      return false;
    }
    conversions_->WaitForResult(kWaitSliceMilliseconds);
  }
}

}  // namespace tarvello
