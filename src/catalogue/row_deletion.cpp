#include "catalogue/row_deletion.h"

#include <cstdio>
#include <string>

#include "catalogue/row_marks.h"
#include "common/text_tools.h"

namespace tarvello {
namespace {

// The table index a key names when it is written exactly as the row builder writes it;
// -1 otherwise, since the first-match search compares the texts.
int32_t ExactKeyIndex(const std::string& key, int32_t count) {
  const std::optional<int32_t> value = ParseInteger<int32_t>(key);
  if (!value || *value < 0 || *value >= count || key != TableIndexKey(*value)) return -1;
  return *value;
}

}  // namespace

std::string TableIndexKey(int32_t index) {
  char text[16];
  std::snprintf(text, sizeof text, "%.5d", index);
  return text;
}

void RewriteRowKeys(TrackList& rows, const std::vector<int32_t>& new_index) {
  // A rewritten key is always smaller than every index still to be searched for, so the
  // first row carrying a key before the rewrites is the one the search would find.
  const auto count = static_cast<int32_t>(new_index.size());
  std::vector<int> first_row(new_index.size(), -1);
  for (int row = 0; row < rows.RowCount(); ++row) {
    const int32_t index = ExactKeyIndex(rows.Row(row).sub_items[kSubTableIndex], count);
    if (index >= 0 && first_row[index] < 0) first_row[index] = row;
  }
  for (int32_t old_index = 0; old_index < count; ++old_index) {
    const int32_t moved_to = new_index[old_index];
    if (moved_to < 0 || moved_to >= old_index || first_row[old_index] < 0) continue;
    rows.Row(first_row[old_index]).sub_items[kSubTableIndex] = TableIndexKey(moved_to);
  }
}

void CompactTable(TrackTable& table, TrackList& rows) {
  RewriteRowKeys(rows, table.CompactTable());
}

bool DeleteRows(TrackList& rows, TrackTable& table, const std::vector<int>& selected,
                OutputTotals& totals, int64_t cluster_size) {
  const std::vector<int> doomed = ValidRows(selected, rows.RowCount());
  TotalsDelta leaving;
  for (const int row : doomed) {
    const int32_t index = rows.TableIndex(row);
    if (index >= 0 && index < table.TrackCount()) table[index].Deleted = 1;
    if (rows.Row(row).icon == kIconMarked) AddRowToDelta(rows.Row(row), leaving, cluster_size);
  }
  if (doomed.empty()) return false;
  CompactTable(table, rows);
  rows.RemoveRows(doomed);
  if (rows.RowCount() <= 1) rows.SortRows(kSortForget);
  AdjustTotals(totals, -1, leaving, cluster_size);
  return true;
}

}  // namespace tarvello
