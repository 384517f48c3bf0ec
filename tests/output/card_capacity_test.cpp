// The capacity bar's figures: the three parts always make up the card, and "fits" agrees
// with the output command's own check.

#include "output/card_capacity.h"

#include <gtest/gtest.h>

#include <random>

#include "output/output_summary.h"

namespace tarvello {
namespace {

TEST(CardCapacityTest, PartsMakeUpTheCardAndFitsAgreesWithTheOutputCheck) {
  std::mt19937_64 random(3);
  for (int round = 0; round < 5000; ++round) {
    TDriveInfo drive;
    drive.HasMedium = true;
    drive.TotalBytes = static_cast<int64_t>(random() % (1 << 30)) + 1;
    drive.FreeBytes = static_cast<int64_t>(random() % static_cast<uint64_t>(drive.TotalBytes + 1));
    drive.OutputFolderBytes =
        static_cast<int64_t>(random() % static_cast<uint64_t>(drive.TotalBytes - drive.FreeBytes + 1));
    OutputTotals totals;
    totals.Count = 1;
    totals.Space = static_cast<int64_t>(random() % (1 << 30));

    const CardCapacity capacity = CapacityOf(&drive, totals);

    ASSERT_TRUE(capacity.known);
    EXPECT_EQ(capacity.fits, ExecuteAllowed(totals, &drive));
    EXPECT_EQ(capacity.other, drive.TotalBytes - drive.FreeBytes - drive.OutputFolderBytes);
    if (capacity.fits) {
      EXPECT_EQ(capacity.other + capacity.songs + capacity.free, capacity.total);
    } else {
      EXPECT_EQ(capacity.free, 0);
    }
  }
  TDriveInfo gone;
  EXPECT_FALSE(CapacityOf(&gone, {}).known);
  EXPECT_FALSE(CapacityOf(nullptr, {}).known);
}

}  // namespace
}  // namespace tarvello
