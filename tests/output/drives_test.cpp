// Listing the volumes for the drive box, the output folder's path and usage, and the
// drive status text.

#include "output/drives.h"

#include <gtest/gtest.h>

#include <string>

#include "fakes/fake_platform.h"

namespace tarvello {
namespace {

using fakes::FakeVolumes;
using fakes::TempDir;
using fakes::WriteFile;

TEST(DriveListTest, VolumesGetTheIconOfTheirTypeAndUnknownOnesAreSkipped) {
  FakeVolumes volumes;
  volumes.Add("/a", "floppy", DriveType::kRemovable).floppy = true;
  volumes.Add("/b", "stick", DriveType::kRemovable);
  volumes.Add("/c", "disk", DriveType::kFixed);
  volumes.Add("/d", "share", DriveType::kRemote);
  volumes.Add("/e", "cd", DriveType::kCdRom);
  volumes.Add("/f", "ram", DriveType::kRamDisk);
  volumes.Add("/g", "odd", DriveType::kUnknown);
  volumes.Add("/h", "gone", DriveType::kNoRoot);
  DriveList drives;
  drives.DriveCount = 5;  // a rebuild starts from nothing

  const std::vector<DriveItem> items = LoadDriveList(volumes, drives);
  ASSERT_EQ(items.size(), 6u);
  ASSERT_EQ(drives.DriveCount, 6);
  const DriveIcon expected[] = {DriveIcon::kFloppy,  DriveIcon::kRemovable, DriveIcon::kFixed,
                                DriveIcon::kNetwork, DriveIcon::kCdRom,     DriveIcon::kRamDisk};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(items[i].icon, expected[i]) << i;
    EXPECT_EQ(drives.entries[i].IconIndex, static_cast<uint8_t>(expected[i]));
  }
  // The box shows the caption; the status texts use the short name.
  EXPECT_EQ(items[2].caption, "disk (/c)");
  EXPECT_EQ(drives.entries[2].Name, "disk");
  EXPECT_EQ(drives.entries[5].Root, "/f");
  EXPECT_EQ(FindDrive(drives, "/c"), 2);
  EXPECT_EQ(FindDrive(drives, "/g"), -1);
}

TEST(DriveListTest, AtMostTwentySixVolumesAreKept) {
  FakeVolumes volumes;
  for (int i = 0; i < 30; ++i) volumes.Add("/v" + std::to_string(100 + i), "v", DriveType::kFixed);
  DriveList drives;
  EXPECT_EQ(LoadDriveList(volumes, drives).size(), 26u);
  EXPECT_EQ(drives.DriveCount, 26);
}

TEST(OutputFolderPathTest, JoinsTheMountPointAndTheBackslashFolder) {
  EXPECT_EQ(OutputFolderPath("/media/card", "\\PRIVATE\\AU\\DF\\D_SD"),
            "/media/card/PRIVATE/AU/DF/D_SD");
  EXPECT_EQ(OutputFolderPath("/", "\\MUSIC"), "/MUSIC");
  // OutDir "\" is the root itself, spelled once: the run adds one "/" before names.
  EXPECT_EQ(OutputFolderPath("/media/card/", "\\"), "/media/card");
  EXPECT_EQ(OutputFolderPath("/", "\\"), "/");
  // 表 is 95 5C in CP932: its second byte is no folder separator.
  EXPECT_EQ(OutputFolderPath("/m", "\\\x95\x5C\\x"), "/m/表/x");
}

TEST(OutputFolderUsageTest, RoundsEachFileToClustersAndCountsHiddenFilesOnly) {
  TempDir dir;
  WriteFile(dir.Path("one"), "x");
  WriteFile(dir.Path(".hidden"), std::string(40000, 'h'));
  WriteFile(dir.Path("sub/inner"), std::string(5000, 'i'));
  WriteFile(dir.Path("exact"), std::string(32768, 'e'));
  PosixFileSystem files;

  EXPECT_EQ(OutputFolderUsage(files, dir.path(), 32768), 32768 + 65536 + 32768);
  EXPECT_EQ(OutputFolderUsage(files, dir.path(), 0), 1 + 40000 + 32768);
  EXPECT_EQ(OutputFolderUsage(files, dir.Path("missing"), 4096), 0);
}

class MeasureDriveTest : public ::testing::Test {
 protected:
  TDriveInfo Entry(const fakes::FakeVolume& volume) {
    TDriveInfo drive;
    drive.Root = volume.root;
    drive.Name = volume.name;
    return drive;
  }

  FakeVolumes volumes_;
  PosixFileSystem files_;
};

TEST_F(MeasureDriveTest, AvailableSpaceIsTheFreeSpacePlusTheOutputFolder) {
  auto& card = volumes_.AddTemp("CARD", DriveType::kRemovable, {1LL << 30, 16LL << 20, 512, 8});
  WriteFile(card.root + "/PRIVATE/AU/DF/D_SD/SDS_0000.3G2", std::string(4 << 20, 's'));
  TDriveInfo drive = Entry(card);

  EXPECT_EQ(MeasureDrive(drive, volumes_, files_, "\\PRIVATE\\AU\\DF\\D_SD", NumberSymbols{}),
            "CARD: 出力可能領域 20.00 MB （空き 16.00 MB＋使用 4.00 MB）/ 容量 1.00 GB");
  EXPECT_EQ(drive.ClusterSize(), 4096);
  EXPECT_EQ(drive.OutputFolderBytes, 4 << 20);
  EXPECT_EQ(drive.FreeBytes, 16 << 20);
}

TEST_F(MeasureDriveTest, AVolumeWithoutMediumOrThatVanishedHasNoSizes) {
  auto& reader = volumes_.AddTemp("READER");
  TDriveInfo drive = Entry(reader);
  MeasureDrive(drive, volumes_, files_, "\\", NumberSymbols{});
  ASSERT_GT(drive.TotalBytes, 0);
  EXPECT_TRUE(drive.HasMedium);

  reader.removed = true;
  EXPECT_EQ(MeasureDrive(drive, volumes_, files_, "\\", NumberSymbols{}),
            "READER: メディアが挿入されていません.");
  EXPECT_FALSE(drive.HasMedium);
  EXPECT_EQ(drive.TotalBytes, 0);
  EXPECT_EQ(drive.FreeBytes, 0);
  EXPECT_EQ(drive.ClusterSize(), 0);
  EXPECT_EQ(drive.OutputFolderBytes, 0);
}

}  // namespace
}  // namespace tarvello
