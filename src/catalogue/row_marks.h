#pragma once

// The output marks of list rows: marking and unmarking a selection, and toggling one row
// by its icon. Every change moves the rows' time and size (keys 11 and 16) in or out of
// the output totals.

#include <cstdint>
#include <vector>

#include "catalogue/output_totals.h"
#include "catalogue/track_list.h"

namespace tarvello {

// The time and size a row brings into the totals, from its hidden keys.
void AddRowToDelta(const TrackRow& row, TotalsDelta& delta, int64_t cluster_size);

// Marks the given rows whose icon is "unmarked"; rows already marked or whose file is
// missing stay as they are. Returns the rows that changed, in the order given.
std::vector<int> CheckRows(TrackList& rows, const std::vector<int>& selected, OutputTotals& totals,
                           int64_t cluster_size);

// Unmarks the given rows whose icon is "marked". Returns the rows that changed.
std::vector<int> UncheckRows(TrackList& rows, const std::vector<int>& selected,
                             OutputTotals& totals, int64_t cluster_size);

// Which way the toggle key turns the given rows: true (mark them) when one of them is
// unmarked, false (unmark them) when every one that can change is marked.
bool ToggleTurnsMarksOn(const TrackList& rows, const std::vector<int>& selected);

// A click on a row's icon: marked becomes unmarked and back; a missing file's row never
// changes. True when the row changed.
bool ToggleRowMark(TrackList& rows, int row, OutputTotals& totals, int64_t cluster_size);

}  // namespace tarvello
