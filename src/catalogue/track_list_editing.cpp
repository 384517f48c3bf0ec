// Removing and moving rows: deletion and the drop of dragged rows.

#include <algorithm>
#include <iterator>
#include <utility>

#include "catalogue/track_list.h"

namespace tarvello {

std::vector<int> ValidRows(std::vector<int> selected, int row_count) {
  std::erase_if(selected, [row_count](int row) { return row < 0 || row >= row_count; });
  std::sort(selected.begin(), selected.end());
  selected.erase(std::unique(selected.begin(), selected.end()), selected.end());
  return selected;
}

void TrackList::RemoveRows(const std::vector<int>& rows) {
  std::vector<bool> doomed(rows_.size(), false);
  for (const int row : rows) {
    if (row >= 0 && row < RowCount()) doomed[row] = true;
  }
  size_t kept = 0;
  for (size_t i = 0; i < rows_.size(); ++i) {
    if (doomed[i]) continue;
    if (kept != i) rows_[kept] = std::move(rows_[i]);
    ++kept;
  }
  rows_.resize(kept);
}

DropResult TrackList::MoveRows(const std::vector<int>& selected, int target) {
  const std::vector<int> moving = ValidRows(selected, RowCount());
  if (target >= RowCount()) target = -1;
  if (target >= 0 && std::binary_search(moving.begin(), moving.end(), target)) return {};
  // The selected rows in list order, then the rest; the selection goes in before the
  // target, whose place among the rest is its index less the selected rows above it.
  std::vector<bool> is_moving(rows_.size(), false);
  for (const int row : moving) is_moving[row] = true;
  std::vector<TrackRow> moved;
  std::vector<TrackRow> rest;
  moved.reserve(moving.size());
  rest.reserve(rows_.size() - moving.size());
  for (size_t i = 0; i < rows_.size(); ++i) {
    (is_moving[i] ? moved : rest).push_back(std::move(rows_[i]));
  }
  const int selected_above =
      target < 0 ? static_cast<int>(moving.size())
                 : static_cast<int>(std::lower_bound(moving.begin(), moving.end(), target) -
                                    moving.begin());
  const int place = target < 0 ? static_cast<int>(rest.size()) : target - selected_above;
  rows_.clear();
  rows_.insert(rows_.end(), std::make_move_iterator(rest.begin()),
               std::make_move_iterator(rest.begin() + place));
  rows_.insert(rows_.end(), std::make_move_iterator(moved.begin()),
               std::make_move_iterator(moved.end()));
  rows_.insert(rows_.end(), std::make_move_iterator(rest.begin() + place),
               std::make_move_iterator(rest.end()));
  SortRows(kSortForget);
  return {true, place, static_cast<int>(moving.size()), place};
}

}  // namespace tarvello
