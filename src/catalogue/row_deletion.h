#pragma once

// Removing songs from the list and the table. Files are never touched.

#include <cstdint>
#include <vector>

#include "catalogue/output_totals.h"
#include "catalogue/track_list.h"
#include "catalogue/track_table.h"

namespace tarvello {

// The key of the row that names table index `index` ("%.5d").
std::string TableIndexKey(int32_t index);

// Gives every row key of a moved record its new index after a compaction. `new_index`
// maps each old index to its new one (-1: removed). A key is rewritten for the first row
// that carries it, as a search from the top of the list finds it; all rows are looked at
// once, however many records moved.
void RewriteRowKeys(TrackList& rows, const std::vector<int32_t>& new_index);

// Removes the records flagged Deleted from the table, moving the later ones down, and
// rewrites the keys of the rows whose record moved.
void CompactTable(TrackTable& table, TrackList& rows);

// Deletes the songs of the selected rows: their records leave the table, the rows leave
// the list, and the marked ones leave the totals. A list left with one row or none
// forgets its sort. Returns false when nothing was selected.
bool DeleteRows(TrackList& rows, TrackTable& table, const std::vector<int>& selected,
                OutputTotals& totals, int64_t cluster_size);

}  // namespace tarvello
