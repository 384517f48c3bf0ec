#include "output/output_summary.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <limits>

namespace tarvello {

RecountResult Recount(TrackList& rows, const TrackTable& table, FileSystem& files,
                      int64_t cluster_size) {
  RecountResult result;
  TotalsDelta marked;
  const int count = std::min<int>(rows.RowCount(), table.TrackCount());
  std::vector<std::string> paths;
  paths.reserve(static_cast<size_t>(std::max(count, 0)));
  for (int i = 0; i < count; ++i) paths.push_back(rows.Row(i).sub_items[kSubFileName]);
  const std::vector<bool> exists = files.FilesExist(paths);
  for (int i = 0; i < count; ++i) {
    TrackRow& row = rows.Row(i);
    const int icon_before = row.icon;
    if (exists[i]) {
      if (row.icon == kIconFileMissing) row.icon = kIconMarked;
    } else {
      row.icon = kIconFileMissing;
    }
    if (row.icon != icon_before) result.changed_rows.push_back(i);
    if (row.icon != kIconMarked) continue;
    const int32_t index = rows.TableIndex(i);
    if (index < 0 || index >= table.TrackCount()) continue;
    marked.Add(table[index].Time, table[index].FileSize, cluster_size);
  }
  // From zero totals this adds the sums and one management file per started block.
  AdjustTotals(result.totals, +1, marked, cluster_size);
  return result;
}

std::string SummaryPlayTime(int32_t seconds) {
  // A sum of broken play times may be negative; the sign goes in front.
  const int64_t magnitude = seconds < 0 ? -int64_t{seconds} : int64_t{seconds};
  const char* sign = seconds < 0 ? "-" : "";
  int64_t minutes = magnitude / 60;
  int64_t hours = 0;
  if (minutes > 60) {
    hours = minutes / 60;
    minutes %= 60;
  }
  char text[48];
  if (hours > 0) {
    std::snprintf(text, sizeof text, "%s%" PRId64 "h%.2" PRId64 ":%.2" PRId64, sign, hours, minutes,
                  magnitude % 60);
  } else {
    std::snprintf(text, sizeof text, "%s%" PRId64 ":%.2" PRId64, sign, minutes, magnitude % 60);
  }
  return text;
}

std::string SummaryText(const OutputTotals& totals, int row_count, const NumberSymbols& symbols) {
  return "出力対象 " + std::to_string(totals.Count) + " / " + std::to_string(row_count) + ", " +
         SummaryPlayTime(totals.Seconds) + ", " + FormatFileSize(totals.Bytes, symbols) +
         " 必要領域 " + FormatFileSize(totals.Space, symbols);
}

bool ExecuteAllowed(const OutputTotals& totals, bool drive_selected, int64_t available_bytes) {
  if (totals.Count == 0 || !drive_selected) return false;
  return available_bytes >= totals.Space;
}

bool ExecuteAllowed(const OutputTotals& totals, const TDriveInfo* selected_drive) {
  if (selected_drive == nullptr) return ExecuteAllowed(totals, false, 0);
  int64_t available = 0;
  // Sizes measured from a broken volume must not overflow the sum.
  if (__builtin_add_overflow(selected_drive->FreeBytes, selected_drive->OutputFolderBytes,
                             &available)) {
    available = selected_drive->FreeBytes > 0 ? std::numeric_limits<int64_t>::max()
                                              : std::numeric_limits<int64_t>::min();
  }
  return ExecuteAllowed(totals, true, available);
}

}  // namespace tarvello
