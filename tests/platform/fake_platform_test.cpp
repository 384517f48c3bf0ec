#include "fakes/fake_platform.h"

#include <gtest/gtest.h>

namespace tarvello {
namespace {

using fakes::FakePlatform;

TEST(FakePlatformTest, VolumesCanLoseTheirMediumOrVanish) {
  FakePlatform fake;
  auto& card = fake.volumes.AddTemp("CARD", DriveType::kRemovable, {1 << 20, 1 << 19, 512, 8});
  auto& disk = fake.volumes.AddTemp("DISK", DriveType::kFixed);
  EXPECT_TRUE(fake.platform.files.DirectoryExists(card.root));
  EXPECT_EQ(fake.platform.volumes.List().size(), 2u);
  const auto space = fake.platform.volumes.Measure(card.root);
  ASSERT_TRUE(space.has_value());
  EXPECT_EQ(space->free_bytes, 1 << 19);
  EXPECT_EQ(space->sectors_per_cluster, 8);

  card.no_medium = true;
  EXPECT_EQ(fake.platform.volumes.Measure(card.root), std::nullopt);
  EXPECT_EQ(fake.platform.volumes.List().size(), 2u);
  disk.removed = true;
  EXPECT_EQ(fake.platform.volumes.Measure(disk.root), std::nullopt);
  EXPECT_EQ(fake.platform.volumes.List().size(), 1u);
  EXPECT_EQ(fake.platform.volumes.Measure("/elsewhere"), std::nullopt);
}

}  // namespace
}  // namespace tarvello
