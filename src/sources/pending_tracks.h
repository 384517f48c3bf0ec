#pragma once

// The records a library reader gathers before it adds them in a playlist's order.

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "catalogue/track_table.h"

namespace tarvello {

// What a reader has to tell the user (information boxes, in order) besides its records.
using SourceMessages = std::vector<std::string>;

class PendingTracks {
 public:
  int32_t Count() const { return static_cast<int32_t>(records_.size()); }
  bool Empty() const { return records_.empty(); }
  bool Full() const { return Count() >= kMaxTracks; }
  // Appends a copy; false when memory ran out (the records stay as they were).
  bool Add(const TTrackInfo& track);
  void Clear() { records_.clear(); }

  const std::vector<TTrackInfo>& Records() const { return records_; }

  // Makes growth past `records` records fail as if memory ran out.
  void LimitGrowthForTests(int32_t records) { growth_limit_ = records; }

 private:
  std::vector<TTrackInfo> records_;
  int32_t growth_limit_ = std::numeric_limits<int32_t>::max();
};

// Adds to `table`, for each ID of `track_ids` in order, the first pending record with that
// TrackID (the ID read as an integer); IDs without a record are passed over. The song limit
// and running out of memory end the pass with their message.
void AddInPlaylistOrder(const std::vector<std::string>& track_ids, const PendingTracks& pending,
                        TrackTable& table, SourceMessages& messages);

}  // namespace tarvello
