#include "catalogue/row_marks.h"

#include <string>

#include "common/text_tools.h"

namespace tarvello {
namespace {

// The keys are written by the row builder, so they parse; anything else counts as 0.
template <typename T>
T KeyValue(const std::string& text) {
  return ParseInteger<T>(text).value_or(T{0});
}

// Moves the rows of `selected` whose icon is `from` to `to` and applies them to the totals
// with `sign`.
std::vector<int> ChangeMarks(TrackList& rows, const std::vector<int>& selected, int from, int to,
                             int sign, OutputTotals& totals, int64_t cluster_size) {
  std::vector<int> changed;
  TotalsDelta delta;
  for (const int row : selected) {
    if (row < 0 || row >= rows.RowCount()) continue;
    TrackRow& track_row = rows.Row(row);
    if (track_row.icon != from) continue;
    track_row.icon = to;
    AddRowToDelta(track_row, delta, cluster_size);
    changed.push_back(row);
  }
  AdjustTotals(totals, sign, delta, cluster_size);
  return changed;
}

}  // namespace

void AddRowToDelta(const TrackRow& row, TotalsDelta& delta, int64_t cluster_size) {
  delta.Add(KeyValue<int32_t>(row.sub_items[kSubTimeKey]),
            KeyValue<int64_t>(row.sub_items[kSubSizeKey]), cluster_size);
}

std::vector<int> CheckRows(TrackList& rows, const std::vector<int>& selected, OutputTotals& totals,
                           int64_t cluster_size) {
  return ChangeMarks(rows, selected, kIconUnmarked, kIconMarked, +1, totals, cluster_size);
}

std::vector<int> UncheckRows(TrackList& rows, const std::vector<int>& selected,
                             OutputTotals& totals, int64_t cluster_size) {
  return ChangeMarks(rows, selected, kIconMarked, kIconUnmarked, -1, totals, cluster_size);
}

bool ToggleRowMark(TrackList& rows, int row, OutputTotals& totals, int64_t cluster_size) {
  if (row < 0 || row >= rows.RowCount()) return false;
  const int icon = rows.Row(row).icon;
  if (icon == kIconMarked) return !UncheckRows(rows, {row}, totals, cluster_size).empty();
  if (icon == kIconUnmarked) return !CheckRows(rows, {row}, totals, cluster_size).empty();
  return false;
}

bool ToggleTurnsMarksOn(const TrackList& rows, const std::vector<int>& selected) {
  for (const int row : selected) {
    if (row >= 0 && row < rows.RowCount() && rows.Row(row).icon == kIconUnmarked) return true;
  }
  return false;
}

}  // namespace tarvello
