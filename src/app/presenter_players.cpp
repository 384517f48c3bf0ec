// The players' playlists in the playlist box: the box lists them after the library's,
// and importing one asks and replaces or appends as the library import does. Their
// reading and adding are the player box's.

#include "app/main_presenter.h"
#include "common/cp932.h"

namespace tarvello {

void MainPresenter::ShowPlayerPlaylists() {
  players_listed_ = true;
  players_.Reload();
  if (players_.Count() == 0) return;
  const int selected = view_.PlaylistIndex();
  std::vector<std::string> items;
  for (const std::string& name : state_.PlaylistNames) items.push_back(Cp932ToUtf8(name));
  const std::vector<std::string> labels = players_.Labels();
  items.insert(items.end(), labels.begin(), labels.end());
  view_.SetPlaylistItems(items);
  view_.SetPlaylistBoxEnabled(true);
  if (selected >= 0 && selected < static_cast<int>(state_.PlaylistNames.size())) {
    view_.SetPlaylistIndex(selected);
  }
}

void MainPresenter::AppendPlayerPlaylists(std::vector<std::string>& items) {
  if (!players_listed_) return;
  players_.Reload();
  const std::vector<std::string> labels = players_.Labels();
  items.insert(items.end(), labels.begin(), labels.end());
}

std::optional<std::string> MainPresenter::PlayerLabelAt(int index) const {
  const int player = index - static_cast<int>(state_.PlaylistNames.size());
  if (index < 0 || player < 0 || player >= static_cast<int>(players_.Count())) return std::nullopt;
  return players_.Labels()[static_cast<size_t>(player)];
}

void MainPresenter::ImportPlayerPlaylist(size_t index) {
  const YesNoCancel answer = view_.AskYesNoCancel(players_.ImportQuestion(index));
  if (answer == YesNoCancel::kCancel) return;
  if (answer == YesNoCancel::kYes) {
    ClearSongList();
    state_.ListedCount = 0;
  }
  SortRows(kSortForget);
  // Rows, focus and then the summary follow even when an error ends the adding early.
  struct RowsOnExit {
    MainPresenter& presenter;
    YesNoCancel answer;
    std::vector<std::string> messages;
    ~RowsOnExit() {
      presenter.ShowImportedRows(messages);
      if (presenter.state_.rows.RowCount() > presenter.state_.ListedCount) {
        presenter.view_.FocusRow(presenter.state_.ListedCount);
      }
      if (answer == YesNoCancel::kNo) presenter.view_.SetPlaylistIndex(-1);
      presenter.state_.ListedCount = presenter.state_.rows.RowCount();
    }
  } rows{*this, answer, {}};
  players_.Import(index, NewAddContext(), [&rows](const std::string& text) {
    rows.messages.push_back(text);
  });
}

}  // namespace tarvello
