#pragma once

// The summary of the songs marked for output: the recount over the rows, the status
// text, and whether the output command may run.

#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/output_totals.h"
#include "catalogue/track_list.h"
#include "catalogue/track_table.h"
#include "common/number_format.h"
#include "output/drive_list.h"
#include "platform/platform.h"

namespace tarvello {

struct RecountResult {
  OutputTotals totals;
  std::vector<int> changed_rows;  // rows whose icon changed, ascending, for repainting
};

// Recomputes the totals from scratch: a row whose file is gone gets the missing icon, a
// row whose file came back is marked again, and the marked rows are summed from their
// records.
RecountResult Recount(TrackList& rows, const TrackTable& table, FileSystem& files,
                      int64_t cluster_size);

// Minutes and seconds ("60:59"); from 61 minutes on, hours too ("1h01:00").
std::string SummaryPlayTime(int32_t seconds);

// "出力対象 2 / 5, 1h01:00, 4.77 MB 必要領域 4.78 MB"
std::string SummaryText(const OutputTotals& totals, int row_count, const NumberSymbols& symbols);

// The output command may run when there is something to output, a drive is selected and
// the songs fit into `available_bytes` (free space plus the output folder's files).
bool ExecuteAllowed(const OutputTotals& totals, bool drive_selected, int64_t available_bytes);
// The same for the selected drive list entry; nullptr when no drive is selected.
bool ExecuteAllowed(const OutputTotals& totals, const TDriveInfo* selected_drive);

}  // namespace tarvello
