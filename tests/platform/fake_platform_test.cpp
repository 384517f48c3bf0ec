#include "fakes/fake_platform.h"

#include <gtest/gtest.h>

namespace tarvello {
namespace {

using fakes::FakePlatform;
using fakes::TempDir;
using fakes::WriteFile;

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

TEST(FakePlatformTest, LockedFilesCannotBeOpenedButCanBeCopied) {
  FakePlatform fake;
  TempDir dir;
  WriteFile(dir.Path("a"), "abc");
  fake.files.locked.insert(dir.Path("a"));
  EXPECT_EQ(fake.platform.files.OpenRead(dir.Path("a")), nullptr);
  EXPECT_TRUE(fake.platform.files.CopyFile(dir.Path("a"), dir.Path("b")));
  EXPECT_NE(fake.platform.files.OpenRead(dir.Path("b")), nullptr);
}

TEST(FakePlatformTest, TheChosenCallFails) {
  FakePlatform fake;
  TempDir dir;
  WriteFile(dir.Path("a"), "abc");
  fake.files.fail_copy_at = 2;
  EXPECT_TRUE(fake.platform.files.CopyFile(dir.Path("a"), dir.Path("b")));
  EXPECT_FALSE(fake.platform.files.CopyFile(dir.Path("a"), dir.Path("c")));
  EXPECT_TRUE(fake.platform.files.CopyFile(dir.Path("a"), dir.Path("d")));
  EXPECT_FALSE(fake.platform.files.FileExists(dir.Path("c")));
  fake.files.fail_move_at = 1;
  EXPECT_FALSE(fake.platform.files.MoveFile(dir.Path("b"), dir.Path("e")));
  EXPECT_TRUE(fake.platform.files.FileExists(dir.Path("b")));
}

}  // namespace
}  // namespace tarvello
