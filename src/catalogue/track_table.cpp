#include "catalogue/track_table.h"

#include <cstdio>
#include <new>
#include <stdexcept>
#include <string>

namespace tarvello {

std::string TrackLimitText() {
  char text[128];
  std::snprintf(text, sizeof text, kTrackLimitMessage, kMaxTracks);
  return text;
}

StoreResult TrackTable::StoreTrack(int32_t index, const TTrackInfo& staging) {
  if (index < 0 || index > TrackCount()) return StoreResult::kBadIndex;
  if (index < TrackCount()) {
    records_[index] = staging;
    return StoreResult::kStored;
  }
  if (TrackCount() >= growth_limit_) return StoreResult::kOutOfMemory;
  try {
    // Exactly one more record: the block never holds spare capacity beyond what
    // the standard container keeps, and a failed growth leaves it untouched.
    records_.push_back(staging);
  } catch (const std::bad_alloc&) {
    return StoreResult::kOutOfMemory;
  } catch (const std::length_error&) {
    return StoreResult::kOutOfMemory;
  }
  return StoreResult::kStored;
}

void TrackTable::ClearTable() {
  records_.clear();
  records_.shrink_to_fit();
}

std::vector<int32_t> TrackTable::CompactTable() {
  std::vector<int32_t> new_index(records_.size(), -1);
  size_t kept = 0;
  for (size_t i = 0; i < records_.size(); ++i) {
    if (records_[i].Deleted == 1) continue;
    new_index[i] = static_cast<int32_t>(kept);
    if (kept != i) records_[kept] = records_[i];
    ++kept;
  }
  records_.resize(kept);
  records_.shrink_to_fit();
  return new_index;
}

}  // namespace tarvello
