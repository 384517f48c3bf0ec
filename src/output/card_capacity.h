#pragma once

// How full the card will be after an output: what other files take, what the marked
// songs will take (cluster rounded, with their management files, as the summary counts
// them) and what stays free.

#include <cstdint>

#include "catalogue/output_totals.h"
#include "output/drive_list.h"

namespace tarvello {

struct CardCapacity {
  bool known = false;  // a chosen volume with a medium and a size
  int64_t total = 0;
  int64_t other = 0;  // everything but the output folder's files, which the run replaces
  int64_t songs = 0;
  int64_t free = 0;   // what stays free; 0 when the songs do not fit
  bool fits = true;
};

CardCapacity CapacityOf(const TDriveInfo* drive, const OutputTotals& totals);

}  // namespace tarvello
