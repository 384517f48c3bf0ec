// Marking, unmarking and deleting the selected songs, the icon click, the drop of dragged
// rows, and the edit commands that follow the selection. The rules are the catalogue's;
// the presenter hands over the selection and shows what changed.

#include <algorithm>

#include "app/main_presenter.h"
#include "catalogue/row_deletion.h"
#include "catalogue/row_marks.h"

namespace tarvello {

namespace {

constexpr const char* kConfirmDelete =
    "現在選択されている曲を削除します.\r\n実際のファイルが削除されることはありません.\r\n\r\n"
    "選択されている曲を削除しますか？";

}  // namespace

void MainPresenter::Check1Click() {
  RunCommand([&] { CheckSelected(); });
}

void MainPresenter::Uncheck1Click() {
  RunCommand([&] { UncheckSelected(); });
}

void MainPresenter::ToggleSelectedMarks() {
  if (ToggleTurnsMarksOn(state_.rows, view_.SelectedRows())) {
    Check1Click();
  } else {
    Uncheck1Click();
  }
}

void MainPresenter::Delete1Click() {
  RunCommand([&] { DeleteSelectedSongs(); });
}

void MainPresenter::CheckSelected() {
  const auto cursor = view_.ShowWaitCursor();
  const std::vector<int> selected = view_.SelectedRows();
  if (selected.empty()) {
    view_.SetCommandEnabled(Command::kCheck1, false);
    view_.SetCommandEnabled(Command::kCheck2, false);
    return;
  }
  ShowChangedRows(CheckRows(state_.rows, selected, state_.totals, ClusterSize()));
  ShowOutputSummary(false);
  PrioritizeConversions();
}

void MainPresenter::UncheckSelected() {
  const auto cursor = view_.ShowWaitCursor();
  const std::vector<int> selected = view_.SelectedRows();
  if (selected.empty()) {
    view_.SetCommandEnabled(Command::kUncheck1, false);
    view_.SetCommandEnabled(Command::kUncheck2, false);
    return;
  }
  ShowChangedRows(UncheckRows(state_.rows, selected, state_.totals, ClusterSize()));
  ShowOutputSummary(false);
  PrioritizeConversions();
}

void MainPresenter::DeleteSelectedSongs() {
  const auto cursor = view_.ShowWaitCursor();
  const std::vector<int> selected = view_.SelectedRows();
  if (selected.empty()) {
    view_.SetCommandEnabled(Command::kDelete1, false);
    view_.SetCommandEnabled(Command::kDelete2, false);
    return;
  }
  if (!view_.Confirm(kConfirmDelete)) return;
  DeleteRows(state_.rows, state_.table, selected, state_.totals, ClusterSize());
  view_.RowsReset();
  view_.HeaderImagesChanged();
  ForgetPlaylistSelection();
  state_.ListedCount = state_.rows.RowCount();
  // A full list that lost songs has room again.
  if (state_.table.CanAdd()) view_.SetCommandEnabled(Command::kAdd1, true);
  ShowOutputSummary(false);
  PrioritizeConversions();
  // The rows that were selected are gone; the commands follow what is selected now.
  EnableSelectionCommands(view_.SelectedRows().size());
}

void MainPresenter::lvTrackInfoSelectItem() {
  EnableSelectionCommands(view_.SelectedRows().size());
}

void MainPresenter::EnableSelectionCommands(size_t selected_count) {
  const bool any = selected_count > 0;
  for (Command command : {Command::kCheck1, Command::kUncheck1, Command::kDelete1, Command::kCheck2,
                          Command::kUncheck2, Command::kDelete2}) {
    view_.SetCommandEnabled(command, any);
  }
  view_.SetCommandEnabled(Command::kProperty1, selected_count == 1);
  view_.SetCommandEnabled(Command::kProperty2, selected_count == 1);
}

void MainPresenter::lvTrackInfoIconClick(int row) {
  RunCommand([&] {
    const auto cursor = view_.ShowWaitCursor();
    if (!ToggleRowMark(state_.rows, row, state_.totals, ClusterSize())) return;
    ShowChangedRows({row});
    ShowOutputSummary(false);
    PrioritizeConversions();
  });
}

DropResult MainPresenter::lvTrackInfoDragDrop(const std::vector<int>& selected, int target_row) {
  DropResult result;
  RunCommand([&] {
    const auto cursor = view_.ShowWaitCursor();
    result = state_.rows.MoveRows(selected, target_row);
    if (!result.moved) return;
    view_.RowsChanged(0, state_.rows.RowCount() - 1);
    view_.HeaderImagesChanged();
    PrioritizeConversions();
  });
  return result;
}

void MainPresenter::ShowChangedRows(const std::vector<int>& rows) {
  if (rows.empty()) return;
  const auto [first, last] = std::minmax_element(rows.begin(), rows.end());
  view_.RowsChanged(*first, *last);
}

}  // namespace tarvello
