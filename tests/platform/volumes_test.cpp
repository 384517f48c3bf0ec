#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "fakes/fake_platform.h"
#include "platform/posix/posix_mountinfo.h"
#include "platform/posix/posix_volumes.h"

namespace tarvello {
namespace {

using fakes::TempDir;
using fakes::WriteFile;

TEST(MountInfoTest, ParsesFieldsAndUndoesEscapes) {
  const auto mounts = ParseMountInfo(
      "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
      "40 22 179:1 / /media/me/MY\\040CARD rw,nosuid shared:5 master:2 - vfat /dev/mmcblk0p1 rw\n"
      "bad line\n"
      "41 22 0:50 / /mnt/tab\\011back\\134slash rw - tmpfs tmpfs rw\n"
      "42 22 0:51 / /mnt/x rw - \n"
      "43 22 0:52 / /mnt/no-optional rw - nfs4 server:/export rw");
  ASSERT_EQ(mounts.size(), 4u);
  EXPECT_EQ(mounts[0].mount_point, "/");
  EXPECT_EQ(mounts[0].fs_type, "ext4");
  EXPECT_EQ(mounts[0].source, "/dev/sda1");
  EXPECT_EQ(mounts[1].mount_point, "/media/me/MY CARD");
  EXPECT_EQ(mounts[1].fs_type, "vfat");
  EXPECT_EQ(mounts[1].source, "/dev/mmcblk0p1");
  EXPECT_EQ(mounts[2].mount_point, "/mnt/tab\tback\\slash");
  EXPECT_EQ(mounts[3].source, "server:/export");
}

TEST(MountInfoTest, LeavesIncompleteEscapesAlone) {
  EXPECT_EQ(UnescapeMountField("a\\04"), "a\\04");
  EXPECT_EQ(UnescapeMountField("a\\09x"), "a\\09x");
  EXPECT_EQ(UnescapeMountField("\\"), "\\");
}

class VolumeTypeTest : public ::testing::Test {
 protected:
  // A fake /sys/block: disk "sdb" removable with partition "sdb1", disk "sda" fixed.
  void SetUp() override {
    WriteFile(sys_.Path("sda/removable"), "0\n");
    WriteFile(sys_.Path("sda/sda1/partition"), "1\n");
    WriteFile(sys_.Path("sdb/removable"), "1\n");
    WriteFile(sys_.Path("sdb/sdb1/partition"), "1\n");
  }
  DriveType Type(const std::string& type, const std::string& source,
                 const std::string& mount_point = "/mnt/x") {
    return ClassifyVolume({mount_point, type, source}, sys_.path());
  }
  TempDir sys_;
};

TEST_F(VolumeTypeTest, PseudoFileSystemsAreUnknown) {
  for (const char* type : {"proc", "sysfs", "cgroup2", "devpts", "overlay", "squashfs", "autofs",
                           "mqueue", "devtmpfs", "fuse.portal"}) {
    EXPECT_EQ(Type(type, "/dev/sda1"), DriveType::kUnknown) << type;
  }
  EXPECT_EQ(Type("fuse.unheard-of", "someone"), DriveType::kUnknown);
}

TEST_F(VolumeTypeTest, KindsFollowTheFileSystem) {
  EXPECT_EQ(Type("nfs", "server:/music"), DriveType::kRemote);
  EXPECT_EQ(Type("nfs4", "server:/music"), DriveType::kRemote);
  EXPECT_EQ(Type("cifs", "//server/share"), DriveType::kRemote);
  EXPECT_EQ(Type("fuse.sshfs", "me@host:"), DriveType::kRemote);
  EXPECT_EQ(Type("iso9660", "/dev/sr0"), DriveType::kCdRom);
  EXPECT_EQ(Type("udf", "/dev/sr0"), DriveType::kCdRom);
  EXPECT_EQ(Type("tmpfs", "tmpfs"), DriveType::kRamDisk);
  EXPECT_EQ(Type("ramfs", "none"), DriveType::kRamDisk);
}

TEST_F(VolumeTypeTest, BlockDevicesAreFixedOrRemovable) {
  EXPECT_EQ(Type("ext4", "/dev/sda1"), DriveType::kFixed);
  EXPECT_EQ(Type("ext4", "/dev/sda"), DriveType::kFixed);
  EXPECT_EQ(Type("vfat", "/dev/sdb1"), DriveType::kRemovable);  // partition of a removable disk
  EXPECT_EQ(Type("vfat", "/dev/sdb"), DriveType::kRemovable);
  EXPECT_EQ(Type("exfat", "/dev/mmcblk0p1"), DriveType::kRemovable);
  EXPECT_EQ(Type("vfat", "/dev/sda1", "/media/me/CARD"), DriveType::kRemovable);
  EXPECT_EQ(Type("vfat", "/dev/sda1", "/run/media/me/CARD"), DriveType::kRemovable);
  EXPECT_EQ(Type("vfat", "/dev/sda1", "/mediaplayer"), DriveType::kFixed);
  EXPECT_EQ(Type("ext4", "/dev/vdz9"), DriveType::kFixed);  // unknown to /sys/block
}

TEST(VolumeNameTest, ShortNameIsTheLabelElseTheLastComponent) {
  EXPECT_EQ(VolumeShortName("/media/me/CARD", "SD CARD"), "SD CARD");
  EXPECT_EQ(VolumeShortName("/media/me/CARD", ""), "CARD");
  EXPECT_EQ(VolumeShortName("/media/me/CARD/", ""), "CARD");
  EXPECT_EQ(VolumeShortName("/", ""), "/");
  EXPECT_EQ(VolumeShortName("/", "ROOTFS"), "ROOTFS");
}

TEST(VolumeNameTest, CaptionAddsTheMountPointExceptForTheRoot) {
  EXPECT_EQ(VolumeDisplayName("/media/me/CARD", "SD CARD"), "SD CARD (/media/me/CARD)");
  EXPECT_EQ(VolumeDisplayName("/media/me/CARD", "CARD"), "CARD (/media/me/CARD)");
  EXPECT_EQ(VolumeDisplayName("/", "/"), "/");
  EXPECT_EQ(VolumeDisplayName("/", "ROOTFS"), "ROOTFS (/)");
}

TEST(UserMountPointTest, SystemFoldersAreLeftOutButRemovableMediaBelowRunAreNot) {
  for (const char* system :
       {"/proc", "/proc/sys/fs/binfmt_misc", "/sys", "/sys/fs/cgroup", "/dev", "/dev/shm",
        "/dev/pts", "/run", "/run/user/1000", "/run/lock", "/run/media"}) {
    EXPECT_FALSE(IsUserMountPoint(system)) << system;
  }
  for (const char* user : {"/", "/home", "/media/me/CARD", "/run/media/me/CARD", "/mnt/card",
                           "/procedures", "/device", "/running", "/tmp/x"}) {
    EXPECT_TRUE(IsUserMountPoint(user)) << user;
  }
}

TEST(VolumeNameTest, LabelsComeFromTheLabelFolder) {
  TempDir dir;
  WriteFile(dir.Path("dev/sdb1"), "");
  WriteFile(dir.Path("dev/sdc1"), "");
  ASSERT_EQ(::mkdir(dir.Path("by-label").c_str(), 0700), 0);
  ASSERT_EQ(::symlink("../dev/sdb1", dir.Path("by-label/MY\\x20CARD").c_str()), 0);
  EXPECT_EQ(FindVolumeLabel(dir.Path("dev/sdb1"), dir.Path("by-label")), "MY CARD");
  EXPECT_EQ(FindVolumeLabel(dir.Path("dev/sdc1"), dir.Path("by-label")), "");
  EXPECT_EQ(FindVolumeLabel(dir.Path("dev/sdb1"), dir.Path("missing")), "");
}

TEST(SpaceOfTest, SizesThatCannotBeTrueGiveNoRoom) {
  struct statvfs info {};
  info.f_frsize = 32768;
  info.f_bsize = 4096;
  info.f_blocks = 1000;
  info.f_bfree = 600;
  info.f_bavail = 500;
  const std::optional<VolumeSpace> space = SpaceOf(info);
  ASSERT_TRUE(space.has_value());
  EXPECT_EQ(space->total_bytes, 32768 * 1000);
  EXPECT_EQ(space->free_bytes, 32768 * 500);
  EXPECT_EQ(space->bytes_per_sector * space->sectors_per_cluster, 32768);

  struct statvfs no_fragments = info;
  no_fragments.f_frsize = 0;  // the block size stands in
  EXPECT_EQ(SpaceOf(no_fragments)->total_bytes, 4096 * 1000);

  const auto with = [&](auto change) {
    struct statvfs wrong = info;
    change(wrong);
    return SpaceOf(wrong);
  };
  EXPECT_FALSE(with([](struct statvfs& s) { s.f_frsize = s.f_bsize = 0; }).has_value());
  EXPECT_FALSE(with([](struct statvfs& s) { s.f_blocks = 0; }).has_value());
  EXPECT_FALSE(with([](struct statvfs& s) { s.f_bavail = 1001; }).has_value());
  EXPECT_FALSE(with([](struct statvfs& s) { s.f_bfree = 1001; }).has_value());
}

TEST(ClusterGeometryTest, FitsSixteenBitFactors) {
  const VolumeSpace fat = ClusterGeometry(32768);
  EXPECT_EQ(fat.bytes_per_sector, 512);
  EXPECT_EQ(fat.sectors_per_cluster, 64);
  const VolumeSpace odd = ClusterGeometry(1000);
  EXPECT_EQ(odd.bytes_per_sector, 1000);
  EXPECT_EQ(odd.sectors_per_cluster, 1);
  const VolumeSpace huge = ClusterGeometry(uint64_t{64} << 20);
  EXPECT_EQ(uint64_t{huge.bytes_per_sector} * huge.sectors_per_cluster, uint64_t{64} << 20);
  const VolumeSpace none = ClusterGeometry(0);
  EXPECT_EQ(none.bytes_per_sector, 0);
  EXPECT_EQ(none.sectors_per_cluster, 0);
}

class PosixVolumesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(dir_.Path("sys/sda/removable"), "0\n");
    WriteFile(dir_.Path("dev/card"), "");
    ASSERT_EQ(::mkdir(dir_.Path("by-label").c_str(), 0700), 0);
    ASSERT_EQ(::symlink(dir_.Path("dev/card").c_str(), dir_.Path("by-label/SONGS").c_str()), 0);
    for (const char* folder : {"m b", "ma", "net", "proc", "run"}) {
      ASSERT_EQ(::mkdir(dir_.Path(folder).c_str(), 0700), 0);
    }
  }
  PosixVolumes Volumes() {
    return PosixVolumes({dir_.Path("mountinfo"), dir_.Path("sys"), dir_.Path("by-label")});
  }
  std::string Line(int id, const std::string& mount, const std::string& type,
                   const std::string& source) {
    return std::to_string(id) + " 1 0:" + std::to_string(id) + " / " + mount +
           " rw,relatime shared:1 - " + type + " " + source + " rw\n";
  }
  TempDir dir_;
};

TEST_F(PosixVolumesTest, ListsRealVolumesSortedByMountPoint) {
  const std::string root = dir_.path();
  WriteFile(dir_.Path("mountinfo"),
            Line(30, root + "/run", "tmpfs", "tmpfs") + Line(31, root + "/proc", "proc", "proc") +
                Line(32, root + "/net", "nfs", "server:/x") +
                Line(33, root + "/m\\040b", "tmpfs", dir_.Path("dev/card")) +
                Line(34, root + "/ma", "ext4", "/dev/sda1") +
                Line(35, root + "/gone", "tmpfs", "tmpfs"));
  const std::vector<VolumeEntry> volumes = Volumes().List();
  ASSERT_EQ(volumes.size(), 4u);  // proc is a pseudo file system, "gone" does not exist
  EXPECT_EQ(volumes[0].root, root + "/m b");
  EXPECT_EQ(volumes[0].name, "SONGS");
  EXPECT_EQ(volumes[0].display_name, "SONGS (" + root + "/m b)");
  EXPECT_EQ(volumes[0].type, DriveType::kRamDisk);
  EXPECT_EQ(volumes[1].root, root + "/ma");
  EXPECT_EQ(volumes[1].name, "ma");
  EXPECT_EQ(volumes[1].display_name, "ma (" + root + "/ma)");
  EXPECT_EQ(volumes[1].type, DriveType::kFixed);
  EXPECT_EQ(volumes[2].type, DriveType::kRemote);
  EXPECT_EQ(volumes[3].root, root + "/run");
  EXPECT_EQ(volumes[3].type, DriveType::kRamDisk);
}

TEST_F(PosixVolumesTest, SystemMountsAndFileBindMountsAreLeftOut) {
  const std::string root = dir_.path();
  WriteFile(dir_.Path("hosts"), "127.0.0.1 localhost\n");
  // Real folders of this system, so only the mount point rule can leave them out.
  WriteFile(dir_.Path("mountinfo"),
            Line(30, "/dev/shm", "tmpfs", "tmpfs") + Line(31, "/sys/fs/cgroup", "tmpfs", "tmpfs") +
                Line(32, "/dev", "devtmpfs", "udev") + Line(33, "/proc", "proc", "proc") +
                Line(34, root + "/hosts", "ext4", "/dev/sda1") +
                Line(35, root + "/ma", "ext4", "/dev/sda1"));
  const std::vector<VolumeEntry> volumes = Volumes().List();
  ASSERT_EQ(volumes.size(), 1u);
  EXPECT_EQ(volumes[0].root, root + "/ma");
}

TEST_F(PosixVolumesTest, TheLastMountOnAMountPointIsTheOneSeen) {
  const std::string root = dir_.path();
  WriteFile(dir_.Path("mountinfo"), Line(30, root + "/ma", "ext4", "/dev/sda1") +
                                        Line(31, root + "/ma", "tmpfs", "tmpfs") +
                                        Line(32, root + "/run", "tmpfs", "tmpfs") +
                                        Line(33, root + "/net", "tmpfs", "tmpfs"));
  const std::vector<VolumeEntry> volumes = Volumes().List();
  ASSERT_EQ(volumes.size(), 3u);
  EXPECT_EQ(volumes[0].root, root + "/ma");
  EXPECT_EQ(volumes[0].type, DriveType::kRamDisk);
}

TEST_F(PosixVolumesTest, MissingMountTableListsNothing) {
  EXPECT_TRUE(Volumes().List().empty());
}

TEST_F(PosixVolumesTest, MeasuresTheVolumeThatHoldsAFolder) {
  const auto space = Volumes().MeasureFolder(dir_.path());
  ASSERT_TRUE(space.has_value());
  EXPECT_GT(space->total_bytes, 0);
  EXPECT_GE(space->free_bytes, 0);
  EXPECT_LE(space->free_bytes, space->total_bytes);
  EXPECT_GT(space->bytes_per_sector, 0);
  EXPECT_GT(space->sectors_per_cluster, 0);
  EXPECT_EQ(space->total_bytes % (int64_t{space->bytes_per_sector} * space->sectors_per_cluster),
            0);
}

TEST_F(PosixVolumesTest, AVanishedVolumeHasNoMedium) {
  EXPECT_EQ(Volumes().Measure(dir_.Path("gone")), std::nullopt);
  EXPECT_EQ(Volumes().Measure(""), std::nullopt);
  EXPECT_EQ(Volumes().MeasureFolder(dir_.Path("gone")), std::nullopt);
}

// A card mounted on a fixed folder, then unmounted behind the program's back: the folder
// stays, and nothing may be written to the disk beneath it.
TEST_F(PosixVolumesTest, AMountPointWhoseCardIsGoneHasNoMedium) {
  if (::geteuid() != 0) GTEST_SKIP() << "mounting a tmpfs card needs root; skipped";
  const std::string mount_point = dir_.Path("ma");
  WriteFile(dir_.Path("fstab"), "# card\nLABEL=CARD " + mount_point + " vfat noauto 0 0\n");
  PosixVolumes volumes(
      {"/proc/self/mountinfo", dir_.Path("sys"), dir_.Path("by-label"), dir_.Path("fstab")});
  const std::string below = mount_point + "/PRIVATE/AU";
  if (::mount("tarvello-card", mount_point.c_str(), "tmpfs", 0, "size=1m") != 0) {
    GTEST_SKIP() << "this system refused to mount a tmpfs; skipped";
  }
  WriteFile(below + "/x", "");
  EXPECT_TRUE(volumes.Measure(mount_point).has_value());
  EXPECT_TRUE(volumes.MeasureFolder(below).has_value());
  EXPECT_TRUE(volumes.HoldsFolder(mount_point, below + "/DF/D_SD"));
  ASSERT_EQ(::umount2(mount_point.c_str(), MNT_DETACH), 0);
  WriteFile(below + "/x", "");  // the same path, now on the disk beneath
  EXPECT_EQ(volumes.Measure(mount_point), std::nullopt);
  EXPECT_EQ(volumes.MeasureFolder(mount_point), std::nullopt);
  EXPECT_EQ(volumes.MeasureFolder(below), std::nullopt);
  // A plain folder that fstab does not name is measured by the volume that holds it.
  EXPECT_TRUE(volumes.MeasureFolder(dir_.Path("net")).has_value());
  EXPECT_EQ(volumes.Measure(dir_.Path("net")), std::nullopt);
  // Listed in the mount table, yet on its parent's device: a stale entry.
  WriteFile(dir_.Path("mountinfo"), Line(40, mount_point, "tmpfs", "tmpfs"));
  EXPECT_EQ(Volumes().Measure(mount_point), std::nullopt);
}

TEST_F(PosixVolumesTest, AFolderLiesOnAVolumeOnlyWithItsLinksResolved) {
  const std::string card = dir_.Path("ma");
  ASSERT_EQ(::mkdir((card + "/PRIVATE").c_str(), 0700), 0);
  ASSERT_EQ(::symlink(dir_.Path("net").c_str(), (card + "/OUT").c_str()), 0);
  ASSERT_EQ(::symlink(dir_.Path("nowhere").c_str(), (card + "/DANGLING").c_str()), 0);
  ASSERT_EQ(::symlink((card + "/PRIVATE").c_str(), (card + "/IN").c_str()), 0);
  EXPECT_TRUE(FolderLiesOnVolume(card, card));
  EXPECT_TRUE(FolderLiesOnVolume(card + "/", card + "//PRIVATE/AU/DF/D_SD"));
  EXPECT_TRUE(FolderLiesOnVolume(card, card + "/IN/AU"));
  EXPECT_FALSE(FolderLiesOnVolume(card, card + "/OUT/AU"));
  EXPECT_FALSE(FolderLiesOnVolume(card, card + "/DANGLING/AU"));
  EXPECT_FALSE(FolderLiesOnVolume(card, card + "/NEW/../../net"));
  EXPECT_FALSE(FolderLiesOnVolume(card, dir_.Path("mab")));
  // Relative paths are taken from the current folder.
  char* current = ::getcwd(nullptr, 0);
  ASSERT_NE(current, nullptr);
  ASSERT_EQ(::chdir(dir_.path().c_str()), 0);
  const bool relative_in = FolderLiesOnVolume("ma", "./ma/PRIVATE/AU");
  const bool relative_out = FolderLiesOnVolume("ma", "net");
  ASSERT_EQ(::chdir(current), 0);
  ::free(current);
  EXPECT_TRUE(relative_in);
  EXPECT_FALSE(relative_out);
  // A volume mounted inside the card is another volume (mounting needs root).
  if (::mount("tarvello-card", (card + "/PRIVATE").c_str(), "tmpfs", 0, "size=1m") != 0) return;
  EXPECT_FALSE(FolderLiesOnVolume(card, card + "/PRIVATE/AU"));
  EXPECT_TRUE(FolderLiesOnVolume(card + "/PRIVATE", card + "/PRIVATE/AU"));
  ::umount2((card + "/PRIVATE").c_str(), MNT_DETACH);
}

}  // namespace
}  // namespace tarvello
