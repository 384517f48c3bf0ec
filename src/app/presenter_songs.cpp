// Songs entering the list: the add command and dropped files. The adding of each path is
// the adding unit's; the presenter shows the new rows, the summary and the focus.

#include "app/main_presenter.h"
#include "sources/add_files.h"
#include "sources/folder_walk.h"
#include "sources/playlist_adding.h"
#include "sources/track_list_adding.h"

namespace tarvello {

namespace {

constexpr const char* kAddDialogTitle = "追加";
constexpr const char* kAddDialogFilter =
    "AAC ファイル (*.m4a)|*.m4a|XML ファイル (*.xml, *.rmp)|*.xml;*.rmp|すべてのファイル (*.*)|*.*";
constexpr const char* kMusicFilterName = "音楽ファイル";

}  // namespace

// With conversion on, every music file can be added, so the dialog shows them all first.
std::string MainPresenter::AddDialogFilter() {
  if (!Conversions().Settings().enabled) return kAddDialogFilter;
  return std::string(kMusicFilterName) + "|" + MusicFilePatterns() + "|" + kAddDialogFilter;
}

void MainPresenter::AddFilesDialog() {
  RunCommand([&] {
    const auto cursor = view_.ShowWaitCursor();
    const std::optional<std::vector<std::string>> chosen =
        view_.ChooseFiles({kAddDialogTitle, AddDialogFilter(), true});
    if (!chosen) return;
    AddPaths(*chosen, true);
  });
}

void MainPresenter::FilesDropped(const std::vector<std::string>& paths) {
  RunCommand([&] {
    const auto cursor = view_.ShowWaitCursor();
    AddPaths(paths, false);
  });
}

void MainPresenter::AddPaths(const std::vector<std::string>& paths, bool trim) {
  // The first new row is focused even when an error ends the adding early.
  struct FocusOnExit {
    MainPresenter& presenter;
    ~FocusOnExit() {
      presenter.FocusFirstNewRow();
      presenter.adding_ = false;
    }
  } focus{*this};
  adding_ = true;
  unconvertible_.clear();
  AddContext context = NewAddContext();
  // The refused files are named together in one box once the adding ends, however it ends;
  // those that only a missing converter refused are told of in a box of their own.
  RefusalList refused;
  context.refuse = [this, &refused](const RefusedFile& file) {
    if (!unconvertible_.contains(file.path)) refused.Add(file);
  };
  // Playlist files are read where track lists are; each one's summary box follows its rows.
  PlaylistAdding playlists(context);
  std::vector<std::string> summaries;
  playlists.on_summary = [&summaries](const PlaylistSummary& summary) {
    summaries.push_back(PlaylistSummaryText(summary));
  };
  context.read_track_list = [&playlists](const std::string& path) {
    return playlists.ReadListFile(path);
  };
  try {
    for (const std::string& path : paths) {
      if (platform_.files.DirectoryExists(path)) {
        if (!AddFolder(context, path)) break;
        continue;
      }
      const AddOutcome outcome =
          AddSongPath(context, trim ? DialogPath(platform_.files, path) : path);
      if (outcome == AddOutcome::kAdded) ShowAddedRows();
      for (const std::string& summary : summaries) view_.ShowInformation(summary);
      summaries.clear();
      if (outcome == AddOutcome::kStop) break;
    }
    // The add that follows a late refusal (no paths) does not wait for other files.
    if (!paths.empty()) SettleProbes(context);
    AddRefusedProbes(context);
    for (const std::string& summary : summaries) view_.ShowInformation(summary);
  } catch (...) {
    if (!refused.Empty()) view_.ShowInformation(refused.BoxText());
    TellMissingHelper();
    throw;
  }
  if (!refused.Empty()) view_.ShowInformation(refused.BoxText());
  TellMissingHelper();
}

AddContext MainPresenter::NewAddContext() {
  const auto show = [this](const std::string& text) { view_.ShowInformation(text); };
  AddContext context = TrackListAddContext({platform_.files, state_.temp_names, state_.TempFolder,
                                            state_.table, state_.StagingTrack, state_.TrackIdList},
                                           show, show);
  context.add_converted = [this](const std::string& path) { return AdmitForConversion(path); };
  return context;
}

// Each added file gets its rows and summary at once, so the list grows visibly.
void MainPresenter::ShowAddedRows() {
  const int first_new = state_.rows.RowCount();
  if (first_new >= state_.table.TrackCount()) return;
  SortRows(kSortForget);
  ForgetPlaylistSelection();
  const int last_new = state_.table.TrackCount() - 1;
  if (state_.rows.BuildRows(first_new, last_new, state_.table, state_.totals, ClusterSize())) {
    view_.SetCommandEnabled(Command::kAdd1, false);
  }
  TakeConversionStates(first_new, last_new);
  view_.RowsAppended(first_new, last_new);
  ShowOutputSummary(false);
  PrioritizeConversions();
}

void MainPresenter::ForgetPlaylistSelection() {
  if (view_.PlaylistBoxEnabled() && view_.PlaylistIndex() >= 0) {
    view_.SetPlaylistIndex(-1);
    view_.SetCommandEnabled(Command::kImport1, false);
  }
}

void MainPresenter::FocusFirstNewRow() {
  if (state_.rows.RowCount() > state_.ListedCount) view_.FocusRow(state_.ListedCount);
  state_.ListedCount = state_.rows.RowCount();
}

}  // namespace tarvello
