// The song sources besides added files: the library's playlists in their box, the
// playlist import, the import from the card's output folder, and the refresh command.
// The reading is the sources' units'; the presenter shows their records and messages.

#include <algorithm>
#include <optional>

#include "app/main_presenter.h"
#include "common/cp932.h"
#include "output/drives.h"
#include "sources/library_playlists.h"
#include "sources/output_folder_import.h"
#include "sources/playlist_import.h"
#include "sources/source_notices.h"

namespace tarvello {

namespace {

// The drop-down shows this many items before it needs a scroll bar.
constexpr int kPlaylistDropDownCount = 8;
constexpr int kDropDownMargin = 6;

std::string PlaylistQuestion(const std::string& name) {
  return "iTunesプレイリスト '" + Cp932ToUtf8(name) +
         "' を読み込みます.\r\n現在の曲一覧はプレイリストの内容に置き換えられます.\r\n\r\n"
         "プレイリストを読み込んで曲一覧を置き換えますか？\r\n(はい: 置換、いいえ: 追加)";
}

}  // namespace

void MainPresenter::LoadPlaylists() {
  const int selected = view_.PlaylistIndex();
  const std::optional<std::string> remembered =
      selected >= 0 && selected < static_cast<int>(state_.PlaylistNames.size())
          ? std::optional(state_.PlaylistNames[selected])
          : std::nullopt;
  const std::optional<std::string> remembered_player = PlayerLabelAt(selected);
  view_.SetPlaylistIndex(-1);
  state_.PlaylistNames.clear();
  state_.PlaylistTrackIds.clear();

  LibraryPlaylists library = ReadLibraryPlaylists(platform_.files, state_.temp_names,
                                                  state_.LibraryFileName, state_.TempFolder);
  if (!library.read_path.empty()) {
    // A copy made by an earlier scan is named by nothing once a new file is read.
    const std::string& previous = state_.LibraryCopyName;
    if (!previous.empty() && previous != state_.LibraryFileName && previous != library.read_path) {
      platform_.files.DeleteFile(previous);
    }
    state_.LibraryCopyName = library.read_path;
  }
  state_.PlaylistNames = std::move(library.playlists.names);
  state_.PlaylistTrackIds = std::move(library.playlists.track_ids);

  std::vector<std::string> items;
  items.reserve(state_.PlaylistNames.size());
  for (const std::string& name : state_.PlaylistNames) items.push_back(Cp932ToUtf8(name));
  AppendPlayerPlaylists(items);
  view_.SetPlaylistItems(items);
  view_.SetPlaylistBoxEnabled(!items.empty());
  // A library that failed part-way has no playlists: the box is empty before the box says why.
  if (!library.read_error.empty()) view_.ShowInformation(library.read_error);
  if (remembered_player) {
    const auto found =
        std::find(items.begin() + state_.PlaylistNames.size(), items.end(), *remembered_player);
    if (found != items.end()) view_.SetPlaylistIndex(static_cast<int>(found - items.begin()));
    return;
  }
  if (items.empty() || !remembered) return;
  const auto found =
      std::find(state_.PlaylistNames.begin(), state_.PlaylistNames.end(), *remembered);
  if (found != state_.PlaylistNames.end()) {
    view_.SetPlaylistIndex(static_cast<int>(found - state_.PlaylistNames.begin()));
  }
}

void MainPresenter::cbPlayListsDropDown() {
  const std::vector<int> widths = view_.PlaylistItemWidths();
  int width = widths.empty() ? 0 : *std::max_element(widths.begin(), widths.end());
  width += kDropDownMargin;
  if (static_cast<int>(widths.size()) > kPlaylistDropDownCount) {
    width += view_.VerticalScrollBarWidth();
  }
  view_.SetPlaylistDropDownWidth(width);
}

void MainPresenter::cbPlayListsChange(int index) {
  if (index >= 0) view_.SetCommandEnabled(Command::kImport1, true);
}

void MainPresenter::Import1Click() {
  ImportPlaylist();
}

void MainPresenter::ImportPlaylist() {
  RunCommand([&] {
    const auto cursor = view_.ShowWaitCursor();
    const int index = view_.PlaylistIndex();
    const int library_count = static_cast<int>(state_.PlaylistTrackIds.size());
    if (index >= library_count && index - library_count < static_cast<int>(players_.Count())) {
      return ImportPlayerPlaylist(static_cast<size_t>(index - library_count));
    }
    if (index < 0 || index >= library_count) {
      view_.SetCommandEnabled(Command::kImport1, false);
      view_.SetStatusText(0, kNoPlaylistChosen);
      return;
    }
    const YesNoCancel answer = view_.AskYesNoCancel(PlaylistQuestion(state_.PlaylistNames[index]));
    if (answer == YesNoCancel::kCancel) return;
    if (answer == YesNoCancel::kYes) {
      ClearSongList();
      state_.ListedCount = 0;
    }
    SortRows(kSortForget);
    const std::vector<std::string> messages = ImportPlaylistTracks(
        platform_.files, state_.LibraryCopyName, state_.PlaylistTrackIds[index], state_.table,
        state_.StagingTrack, state_.TrackIdList);
    ShowImportedRows(messages);
    if (state_.rows.RowCount() > state_.ListedCount) view_.FocusRow(state_.ListedCount);
    if (answer == YesNoCancel::kNo) view_.SetPlaylistIndex(-1);
    state_.ListedCount = state_.rows.RowCount();
  });
}

void MainPresenter::Dest1Click() {
  ImportOutputFolder(false);
}

void MainPresenter::ImportOutputFolder(bool silent) {
  RunCommand([&] {
    const auto cursor = view_.ShowWaitCursor();
    const TDriveInfo* drive = SelectedDrive();
    const std::string folder = drive != nullptr
                                   ? OutputFolderPath(drive->Root, state_.settings.options.OutDir)
                                   : std::string();
    if (folder.empty() || !platform_.files.DirectoryExists(folder)) {
      view_.SetCommandEnabled(Command::kDest1, false);
      if (!silent) {
        view_.SetStatusText(1, drive == nullptr ? kNoDriveForImport : kNoOutputFolderToImport);
      }
      return;
    }
    if (!silent && !view_.Confirm(kConfirmFolderImport)) return;
    ClearSongList();
    SortRows(kSortForget);
    ForgetPlaylistSelection();
    const FolderSongs songs = ReadFolderSongs(platform_.files, state_.temp_names, state_.TempFolder,
                                              folder, state_.table, state_.StagingTrack);
    ShowImportedRows(songs.messages);
    // The medium was missing at the last status refresh and has come since.
    if (state_.DriveStatusNoMedium) ShowDriveStatus();
    ShowOutputSummary(false);
    if (state_.rows.RowCount() > 0) view_.FocusRow(0);
    state_.ListedCount = state_.rows.RowCount();
  });
}

void MainPresenter::Refresh1Click() {
  RefreshAll();
}

void MainPresenter::RefreshAll() {
  RunCommand([&] {
    const auto cursor = view_.ShowWaitCursor();
    LoadDriveList();
    LoadPlaylists();
    ShowDriveStatus();
    const bool present = !PresentOutputFolder().empty();
    view_.SetCommandEnabled(Command::kDest1, present);
    if (present && state_.rows.RowCount() == 0 && state_.settings.options.AutoImport) {
      ImportOutputFolder(true);
    }
    ShowOutputSummary(true);
  });
}

std::string MainPresenter::PresentOutputFolder() const {
  const TDriveInfo* drive = SelectedDrive();
  if (drive == nullptr || drive->TotalBytes <= 0) return {};
  std::string folder = OutputFolderPath(drive->Root, state_.settings.options.OutDir);
  return platform_.files.DirectoryExists(folder) ? folder : std::string();
}

void MainPresenter::ClearSongList() {
  state_.table.ClearTable();
  state_.rows.Clear();
  state_.totals = OutputTotals{};
  view_.RowsReset();
  // A full table may have disabled adding; an empty one takes songs again.
  view_.SetCommandEnabled(Command::kAdd1, true);
  // The list is empty from here on, whatever happens to the reading that follows.
  ShowOutputSummary(false);
}

void MainPresenter::ShowImportedRows(const std::vector<std::string>& messages) {
  const int first_new = state_.rows.RowCount();
  const int last_new = state_.table.TrackCount() - 1;
  if (first_new <= last_new) {
    if (state_.rows.BuildRows(first_new, last_new, state_.table, state_.totals, ClusterSize())) {
      view_.SetCommandEnabled(Command::kAdd1, false);
    }
    TakeConversionStates(first_new, last_new);
    view_.RowsAppended(first_new, last_new);
    PrioritizeConversions();
  }
  for (const std::string& message : messages) view_.ShowInformation(message);
  ShowOutputSummary(false);
}

}  // namespace tarvello
