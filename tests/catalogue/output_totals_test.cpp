#include "catalogue/output_totals.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace tarvello {
namespace {

TEST(ClusterRoundTest, RoundsUpToWholeClusters) {
  EXPECT_EQ(ClusterRound(5000, 4096), 8192);
  EXPECT_EQ(ClusterRound(8192, 4096), 8192);
  EXPECT_EQ(ClusterRound(8193, 4096), 12288);
  EXPECT_EQ(ClusterRound(0, 4096), 0);
  EXPECT_EQ(ClusterRound(kManagementFileSize, 4096), 12288);
  EXPECT_EQ(ClusterRound(1, 512 * 64), 32768);
  EXPECT_EQ(ClusterRound(kManagementFileSize, 512 * 64), 32768);
  EXPECT_EQ(ClusterRound(32769, 512 * 64), 65536);
  // Sizes past 4 GiB keep their full width.
  EXPECT_EQ(ClusterRound(int64_t{5} << 32, 32768), int64_t{5} << 32);
  EXPECT_EQ(ClusterRound((int64_t{5} << 32) + 1, 32768), (int64_t{5} << 32) + 32768);
}

TEST(ClusterRoundTest, NoClusterSizeLeavesSizesAlone) {
  EXPECT_EQ(ClusterRound(5000, 0), 5000);
  EXPECT_EQ(ClusterRound(kManagementFileSize, 0), 9632);
}

TEST(ManagementFileCountTest, OneFilePerStartedBlockOfHundred) {
  EXPECT_EQ(ManagementFileCount(0), 0);
  EXPECT_EQ(ManagementFileCount(1), 1);
  EXPECT_EQ(ManagementFileCount(100), 1);
  EXPECT_EQ(ManagementFileCount(101), 2);
  EXPECT_EQ(ManagementFileCount(10000), 100);
}

TotalsDelta Songs(int count, int32_t time, int64_t size, int64_t cluster_size) {
  TotalsDelta delta;
  for (int i = 0; i < count; ++i) delta.Add(time, size, cluster_size);
  return delta;
}

TEST(AdjustTotalsTest, HundredAndOneSongsNeedTwoManagementFiles) {
  OutputTotals totals;
  AdjustTotals(totals, +1, Songs(101, 200, 5000, 4096), 4096);
  EXPECT_EQ(totals.Count, 101);
  EXPECT_EQ(totals.Seconds, 101 * 200);
  EXPECT_EQ(totals.Bytes, 101 * 5000);
  EXPECT_EQ(totals.Space, 101 * 8192 + 2 * 12288);
}

TEST(AdjustTotalsTest, LeavingDropsManagementFilesThatAreNoLongerNeeded) {
  OutputTotals totals;
  AdjustTotals(totals, +1, Songs(101, 200, 5000, 4096), 4096);
  AdjustTotals(totals, -1, Songs(1, 200, 5000, 4096), 4096);
  EXPECT_EQ(totals.Count, 100);
  EXPECT_EQ(totals.Space, 100 * 8192 + 12288);
  AdjustTotals(totals, -1, Songs(100, 200, 5000, 4096), 4096);
  EXPECT_EQ(totals.Count, 0);
  EXPECT_EQ(totals.Seconds, 0);
  EXPECT_EQ(totals.Bytes, 0);
  EXPECT_EQ(totals.Space, 0);
}

TEST(AdjustTotalsTest, LargeClustersRoundSongsAndManagementFile) {
  OutputTotals totals;
  AdjustTotals(totals, +1, Songs(1, 1, 5000, 512 * 64), 512 * 64);
  EXPECT_EQ(totals.Space, 32768 + 32768);
  OutputTotals unrounded;
  AdjustTotals(unrounded, +1, Songs(1, 1, 5000, 0), 0);
  EXPECT_EQ(unrounded.Space, 5000 + 9632);
}

TEST(AdjustTotalsTest, HugePlayTimesComeBackOutExactly) {
  constexpr int32_t kHuge = std::numeric_limits<int32_t>::max();
  OutputTotals totals;
  AdjustTotals(totals, +1, Songs(1, 100, 10, 0), 0);
  AdjustTotals(totals, +1, Songs(2, kHuge, 10, 0), 0);
  AdjustTotals(totals, -1, Songs(2, kHuge, 10, 0), 0);
  EXPECT_EQ(totals.Seconds, 100);
  EXPECT_EQ(totals.Count, 1);
}

}  // namespace
}  // namespace tarvello
