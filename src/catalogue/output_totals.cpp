#include "catalogue/output_totals.h"

namespace tarvello {
namespace {

// Play times come from file headers and may be anything; their sum wraps like the
// 32-bit total it is instead of overflowing.
int32_t WrappingAdd(int32_t a, int64_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

}  // namespace

int64_t ClusterRound(int64_t bytes, int64_t cluster_size) {
  if (cluster_size <= 0 || bytes % cluster_size == 0) return bytes;
  return (bytes / cluster_size + 1) * cluster_size;
}

int32_t ManagementFileCount(int32_t count) {
  return count / kSongsPerManagementFile + (count % kSongsPerManagementFile != 0 ? 1 : 0);
}

void TotalsDelta::Add(int32_t time, int64_t file_size, int64_t cluster_size) {
  ++count;
  seconds = WrappingAdd(seconds, time);
  bytes += file_size;
  rounded_bytes += ClusterRound(file_size, cluster_size);
}

void AdjustTotals(OutputTotals& totals, int sign, const TotalsDelta& delta,
                  int64_t cluster_size) {
  const int32_t blocks_before = ManagementFileCount(totals.Count);
  totals.Count += sign * delta.count;
  totals.Seconds = WrappingAdd(totals.Seconds, int64_t{sign} * delta.seconds);
  totals.Bytes += sign * delta.bytes;
  const int32_t blocks_after = ManagementFileCount(totals.Count);
  const int64_t management = ClusterRound(kManagementFileSize, cluster_size);
  totals.Space += sign * delta.rounded_bytes + (blocks_after - blocks_before) * management;
}

}  // namespace tarvello
