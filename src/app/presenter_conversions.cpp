// Songs the walk refuses, converted on the worker pool while the list stays usable, and
// whole folders added in natural order. The queue does the work; this file only wires it
// to the list, the status bar and the output command.

#include <algorithm>
#include <unordered_set>

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
        [this] { view_.CallSoon([this] { ConversionsArrived(); }); }, conversion_threads_);
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
  UpdateExtraSettings(platform_.files, ExtraSettingsFileName(state_.IniFileName),
                      [&settings](ExtraSettings& file) { WriteConversionSettings(file, settings); });
}

bool MainPresenter::AdmitForConversion(const std::string& path) {
  ConversionQueue& queue = Conversions();
  if (!queue.Settings().enabled) return false;
  if (!queue.Admit(path, state_.StagingTrack)) return false;
  return state_.table.StoreTrack(state_.table.TrackCount(), state_.StagingTrack) ==
         StoreResult::kStored;
}

void MainPresenter::ConversionsArrived() {
  if (!conversions_) return;
  std::vector<std::string> failures;
  const std::vector<int32_t> changed =
      conversions_->Deliver(state_.table, state_.StagingTrack, failures);
  if (!changed.empty()) {
    const std::unordered_set<int32_t> indexes(changed.begin(), changed.end());
    for (int row = 0; row < state_.rows.RowCount(); ++row) {
      if (!indexes.contains(state_.rows.TableIndex(row))) continue;
      state_.rows.BuildRows(row, row, state_.table, state_.totals, ClusterSize());
      ShowSourceName(row);
      view_.RowsChanged(row, row);
    }
  }
  ShowConversionStates();
  if (!failures.empty()) {
    view_.SetStatusText(1, std::string(kConversionFailedMessage) + " " + OneLine(failures.back()));
  }
  ShowOutputSummary(!changed.empty());
}

void MainPresenter::TakeConversionStates(int first, int last) {
  if (!conversions_) return;
  // A song added again may have been queued again: its older rows follow. Only then, so a
  // folder of new songs costs no walk over the list per song.
  if (conversions_->TakeAdmittedAgain()) ShowConversionStates();
  for (int row = std::max(first, 0); row <= last && row < state_.rows.RowCount(); ++row) {
    const int32_t index = state_.rows.TableIndex(row);
    if (index < 0 || index >= state_.table.TrackCount()) continue;
    state_.rows.Row(row).conversion =
        conversions_->ConversionOf(std::string(FieldText(state_.table[index].FileName)));
    ShowSourceName(row);
  }
}

void MainPresenter::ShowConversionStates() {
  if (!conversions_) return;
  const std::unordered_set<std::string> files = conversions_->TakeChangedFiles();
  if (files.empty()) return;
  // Each run of neighbouring changed rows is redrawn once.
  int run_first = -1;
  const auto end_run = [&](int row) {
    if (run_first >= 0) view_.RowsChanged(run_first, row - 1);
    run_first = -1;
  };
  for (int row = 0; row < state_.rows.RowCount(); ++row) {
    const int32_t index = state_.rows.TableIndex(row);
    bool changed = false;
    if (index >= 0 && index < state_.table.TrackCount()) {
      const std::string file(FieldText(state_.table[index].FileName));
      if (files.contains(file)) {
        RowConversion conversion = conversions_->ConversionOf(file);
        RowConversion& shown = state_.rows.Row(row).conversion;
        changed = shown != conversion;
        if (changed) shown = std::move(conversion);
      }
    }
    if (changed && run_first < 0) run_first = row;
    if (!changed) end_run(row);
  }
  end_run(state_.rows.RowCount());
}

void MainPresenter::ShowSourceName(int row) {
  if (!conversions_) return;
  std::string& shown = state_.rows.Row(row).sub_items[kSubFileName];
  if (const auto source = conversions_->SourceOf(shown)) shown = *source;
}

void MainPresenter::PrioritizeConversions() {
  if (!conversions_ || conversions_->Unfinished() == 0) return;
  std::vector<std::string> order;
  std::unordered_set<std::string> marked;
  for (int row = 0; row < state_.rows.RowCount(); ++row) {
    const int32_t index = state_.rows.TableIndex(row);
    if (index < 0 || index >= state_.table.TrackCount()) continue;
    std::string file(FieldText(state_.table[index].FileName));
    if (state_.rows.Row(row).icon == kIconMarked) marked.insert(file);
    order.push_back(std::move(file));
  }
  conversions_->Prioritize(order, marked);
}

std::string MainPresenter::ConversionStatusText() const {
  if (!conversions_ || conversions_->Unfinished() == 0) return {};
  return "  (変換待ち " + std::to_string(conversions_->Unfinished()) + " 曲)";
}

int MainPresenter::ReconvertGoneMarkedSongs() {
  int queued = 0;
  for (int row = 0; row < state_.rows.RowCount(); ++row) {
    if (state_.rows.Row(row).icon != kIconMarked) continue;
    const int32_t index = state_.rows.TableIndex(row);
    if (index < 0 || index >= state_.table.TrackCount()) continue;
    if (conversions_->ReconvertIfGone(std::string(FieldText(state_.table[index].FileName)))) {
      ++queued;
    }
  }
  if (queued > 0) PrioritizeConversions();
  return queued;
}

bool MainPresenter::WaitForMarkedConversions(OutputProgress& progress) {
  if (!conversions_) return true;
  conversions_->RetryCancelled();
  // Songs another process trimmed from the cache are made again rather than missed.
  ReconvertGoneMarkedSongs();
  PrioritizeConversions();
  while (true) {
    ConversionsArrived();
    int waiting = 0;
    int marked = 0;
    bool failed = false;
    for (int row = 0; row < state_.rows.RowCount(); ++row) {
      if (state_.rows.Row(row).icon != kIconMarked) continue;
      const int32_t index = state_.rows.TableIndex(row);
      if (index < 0 || index >= state_.table.TrackCount()) continue;
      const ConversionState state =
          conversions_->StateOf(std::string(FieldText(state_.table[index].FileName)));
      if (state == ConversionState::kNone) continue;
      ++marked;
      if (state == ConversionState::kWaiting || state == ConversionState::kConverting ||
          state == ConversionState::kCancelled) {
        ++waiting;
      }
      if (state == ConversionState::kFailed) failed = true;
    }
    if (failed) {
      progress.ShowMessage(kMarkedConversionFailed);
      return false;
    }
    // Looked at once more at the end: a song may have gone while the others were made.
    if (waiting == 0 && ReconvertGoneMarkedSongs() == 0) return true;
    progress.SetLabel(std::string(kConvertingLabel) + " " + std::to_string(marked - waiting) +
                      " / " + std::to_string(marked));
    progress.ProcessEvents();
    if (progress.CancelRequested()) {
      conversions_->CancelAll();
      return false;
    }
    conversions_->WaitForResult(kWaitSliceMilliseconds);
  }
}

}  // namespace tarvello
