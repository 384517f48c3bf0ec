// Songs entering the list: the add command, dropped files, and the reading of one file.

#include <algorithm>
#include <cctype>

#include "app/main_presenter.h"
#include "catalogue/m4a_reader.h"
#include "common/common_routine.h"

namespace tarvello {

namespace {

constexpr const char* kAddDialogTitle = "追加";
constexpr const char* kAddDialogFilter =
    "AAC ファイル (*.m4a)|*.m4a|XML ファイル (*.xml, *.rmp)|*.xml;*.rmp|すべてのファイル (*.*)|*.*";
constexpr const char* kCannotOpen = "ファイルがオープンできません.";
constexpr const char* kNotASong = "追加できる曲情報ではありません.";

// The path without leading and trailing blanks and control characters.
std::string TrimBlanks(const std::string& path) {
  const auto is_blank = [](unsigned char c) { return c <= ' '; };
  auto first = std::find_if_not(path.begin(), path.end(), is_blank);
  auto last = std::find_if_not(path.rbegin(), path.rend(), is_blank).base();
  return first < last ? std::string(first, last) : std::string();
}

std::string WithPath(const char* message, const std::string& path) {
  return std::string(message) + "\r\n" + path;
}

}  // namespace

void MainPresenter::AddFilesDialog() {
  RunCommand([&] {
    const auto cursor = view_.ShowWaitCursor();
    const std::optional<std::vector<std::string>> chosen =
        view_.ChooseFiles({kAddDialogTitle, kAddDialogFilter, true});
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
    ~FocusOnExit() { presenter.FocusFirstNewRow(); }
  } focus{*this};
  for (const std::string& path : paths) {
    if (!AddPath(trim ? TrimBlanks(path) : path)) break;
  }
}

bool MainPresenter::AddPath(const std::string& path) {
  const std::string readable = GetReadablePath(platform_.files, state_.temp_names, path, true,
                                               state_.TempFolder, kCopyPrefix, kCopyExtension);
  if (readable.empty()) {
    view_.ShowInformation(WithPath(kCannotOpen, path));
    return true;
  }
  if (!state_.table.CanAdd()) {
    view_.ShowInformation(TrackLimitText());
    return false;
  }
  struct DeleteCopy {
    FileSystem& files;
    const std::string& readable;
    const std::string& path;
    ~DeleteCopy() {
      if (readable != path) files.DeleteFile(readable);
    }
  } delete_copy{platform_.files, readable, path};
  AddOneFile(readable, path);
  return true;
}

void MainPresenter::AddOneFile(const std::string& path_to_read, const std::string& path_to_record) {
  const M4aResult result = ReadM4aTrack(platform_.files, state_.table, state_.StagingTrack,
                                        path_to_read, path_to_record, state_.table.TrackCount());
  if (result == M4aResult::kOutOfMemory) view_.ShowInformation(kOutOfMemoryMessage);
  const bool stored = result == M4aResult::kStored || ReadTrackList(path_to_read);
  if (!stored) {
    view_.ShowInformation(WithPath(kNotASong, path_to_record));
    return;
  }
  const int first_new = state_.rows.RowCount();
  if (first_new >= state_.table.TrackCount()) return;
  SortRows(kSortForget);
  if (view_.PlaylistBoxEnabled() && view_.PlaylistIndex() >= 0) {
    view_.SetPlaylistIndex(-1);
    view_.SetCommandEnabled(Command::kImport1, false);
  }
  const int last_new = state_.table.TrackCount() - 1;
  if (state_.rows.BuildRows(first_new, last_new, state_.table, state_.totals, ClusterSize())) {
    view_.SetCommandEnabled(Command::kAdd1, false);
  }
  view_.RowsAppended(first_new, last_new);
  ShowOutputSummary(false);
}

// Track-list files (XML and RMP) are not read yet: every such file is refused.
bool MainPresenter::ReadTrackList(const std::string& /*path*/) {
  return false;
}

void MainPresenter::FocusFirstNewRow() {
  if (state_.rows.RowCount() > state_.ListedCount) view_.FocusRow(state_.ListedCount);
  state_.ListedCount = state_.rows.RowCount();
}

}  // namespace tarvello
