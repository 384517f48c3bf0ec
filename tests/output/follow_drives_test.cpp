// The drive box after mounts changed, over random lists before and after: the chosen
// volume stays chosen while listed, and only a newly listed removable volume is chosen
// when nothing was.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "output/drives.h"

namespace tarvello {
namespace {

DriveList RandomList(std::mt19937& random, const std::vector<std::string>& roots) {
  DriveList list;
  for (const std::string& root : roots) {
    if (random() % 2 == 0) continue;
    TDriveInfo& drive = list.entries[list.DriveCount++];
    drive.Root = root;
    drive.IconIndex = static_cast<uint8_t>(random() % 2 == 0 ? DriveIcon::kRemovable
                                                              : DriveIcon::kFixed);
  }
  return list;
}

bool Inserted(const TDriveInfo& drive) {
  return drive.IconIndex == static_cast<uint8_t>(DriveIcon::kRemovable) ||
         drive.Root.rfind("/media/", 0) == 0 || drive.Root.rfind("/run/media/", 0) == 0;
}

TEST(FollowDrivesTest, ChosenStaysWhileListedAndOnlyANewRemovableIsChosenWhenNoneWas) {
  const std::vector<std::string> roots = {"/", "/home", "/media/a", "/media/b", "/mnt/sd",
                                          "/mnt/usb", "/run/media/me/CARD"};
  std::mt19937 random(5);
  for (int round = 0; round < 2000; ++round) {
    const DriveList before = RandomList(random, roots);
    const DriveList now = RandomList(random, roots);
    std::string chosen;
    if (before.DriveCount > 0 && random() % 3 != 0) {
      chosen = before.entries[random() % before.DriveCount].Root;
    }

    const DriveFollow follow = FollowDrives(before, chosen, now);

    SCOPED_TRACE("round " + std::to_string(round) + ", chosen " + chosen);
    if (!chosen.empty()) {
      EXPECT_EQ(follow.index, FindDrive(now, chosen));
      EXPECT_EQ(follow.chosen_gone, FindDrive(now, chosen) < 0);
      continue;
    }
    EXPECT_FALSE(follow.chosen_gone);
    int expected = -1;
    for (int index = 0; index < now.DriveCount && expected < 0; ++index) {
      if (FindDrive(before, now.entries[index].Root) < 0 && Inserted(now.entries[index])) {
        expected = index;
      }
    }
    EXPECT_EQ(follow.index, expected);
  }
}

}  // namespace
}  // namespace tarvello
