#pragma once

// Running totals of the songs marked for output, and the card-space arithmetic.

#include <cstdint>

namespace tarvello {

inline constexpr int64_t kManagementFileSize = 9632;
inline constexpr int32_t kSongsPerManagementFile = 100;

struct OutputTotals {
  int32_t Count = 0;
  int32_t Seconds = 0;
  int64_t Bytes = 0;
  int64_t Space = 0;
};

// Rounds a byte count up to whole clusters; a cluster size of 0 leaves it unchanged.
int64_t ClusterRound(int64_t bytes, int64_t cluster_size);

// Number of management files that `count` songs need (started blocks of 100).
int32_t ManagementFileCount(int32_t count);

// Sums over a set of rows entering or leaving the output set.
struct TotalsDelta {
  int32_t count = 0;
  int32_t seconds = 0;
  int64_t bytes = 0;
  int64_t rounded_bytes = 0;  // each size rounded by ClusterRound

  void Add(int32_t time, int64_t file_size, int64_t cluster_size);
};

// Applies a set of rows entering (sign +1) or leaving (sign -1) the output set,
// including the change in management files.
void AdjustTotals(OutputTotals& totals, int sign, const TotalsDelta& delta,
                  int64_t cluster_size);

}  // namespace tarvello
