#pragma once

// The table of songs in order of addition, and the one way records enter it.

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "catalogue/track_info.h"

namespace tarvello {

inline constexpr int32_t kMaxTracks = 10000;

inline constexpr const char* kTrackLimitMessage = "表示できるのは最大 %d 曲です.";
inline constexpr const char* kOutOfMemoryMessage = "メモリ不足のためこれ以上曲を追加できません.";

// The limit message with the limit filled in.
std::string TrackLimitText();

enum class StoreResult { kStored, kBadIndex, kOutOfMemory };

class TrackTable {
 public:
  int32_t TrackCount() const { return static_cast<int32_t>(records_.size()); }
  bool HasStorage() const { return !records_.empty(); }
  // True when one more song may be added (the callers' limit test).
  bool CanAdd() const { return TrackCount() <= kMaxTracks - 1; }

  const TTrackInfo& operator[](int32_t index) const { return records_[index]; }
  TTrackInfo& operator[](int32_t index) { return records_[index]; }

  // Commits `staging` at `index`: appends when index == TrackCount(), overwrites when
  // smaller. Growing past the available memory leaves the table as it was.
  StoreResult StoreTrack(int32_t index, const TTrackInfo& staging);
  void ClearTable();
  // Removes the records flagged Deleted, keeping the order of the rest. Returns, for each
  // old index, its new index or -1 when it was removed.
  std::vector<int32_t> CompactTable();

  // Makes growth past `records` records fail as if memory ran out, so tests reach the
  // out-of-memory path without exhausting the machine.
  void LimitGrowthForTests(int32_t records) { growth_limit_ = records; }

 private:
  std::vector<TTrackInfo> records_;
  int32_t growth_limit_ = std::numeric_limits<int32_t>::max();
};

}  // namespace tarvello
