#pragma once

// Mounted volumes of a Linux system, read from the kernel's mount table.

#include <sys/statvfs.h>

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/posix_mountinfo.h"

namespace tarvello {

// Where the system tells about mounts, block devices and volume labels. Tests point
// these at files and folders of their own.
struct VolumeSources {
  std::string mountinfo_path = "/proc/self/mountinfo";
  std::string sys_block_path = "/sys/block";
  std::string by_label_path = "/dev/disk/by-label";
  std::string fstab_path = "/etc/fstab";
};

// The kind of volume a mount is; kUnknown for pseudo file systems and anything else
// the drive list does not show.
DriveType ClassifyVolume(const MountRecord& mount, const std::string& sys_block_path);

// The volume label of a mount's source device; empty when it has none.
std::string FindVolumeLabel(const std::string& source, const std::string& by_label_path);

// The name status texts give a volume: its label, else the mount point's last
// component, "/" for the root.
std::string VolumeShortName(const std::string& mount_point, const std::string& label);

// The drive box's caption: the short name and the mount point in parentheses; the
// root without a label is "/" alone.
std::string VolumeDisplayName(const std::string& mount_point, const std::string& short_name);

// False for the system's own mounts that no user writes to: everything below /proc,
// /sys, /dev and /run, except removable media below /run/media.
bool IsUserMountPoint(const std::string& mount_point);

// True when `folder`, with its symbolic links resolved, is `root` or lies below it on the
// same file system. The parts of `folder` that do not exist yet are taken as written; a
// "." or ".." among them, or a link that leads nowhere, gives false.
bool FolderLiesOnVolume(const std::string& root, const std::string& folder);

// The mount points that /etc/fstab names: folders where a volume is meant to be.
std::vector<std::string> ParseFstabMountPoints(std::string_view text);

class PosixVolumes : public Volumes {
 public:
  PosixVolumes() = default;
  explicit PosixVolumes(VolumeSources sources) : sources_(std::move(sources)) {}

  std::vector<VolumeEntry> List() override;
  // Only a live mount point is measured: one that the mount table lists and that lies
  // on another device than its parent folder.
  std::optional<VolumeSpace> Measure(const std::string& root) override;
  bool HoldsFolder(const std::string& root, const std::string& folder) override;

  // Measures the volume that holds `folder`, which need not be a mount point itself.
  // nullopt when the folder is missing, or when between it and the nearest live mount
  // point lies a folder where a card is mounted (one that fstab names, or one below
  // /mnt, /media or /run/media): the card is gone and the folder is the disk beneath.
  std::optional<VolumeSpace> MeasureFolder(const std::string& folder);

 private:
  std::set<std::string> MountPoints() const;
  static std::optional<VolumeSpace> MeasureFileSystem(const std::string& path);

  VolumeSources sources_;
};

// Sector geometry whose product is the cluster size, each factor fitting 16 bits;
// {0, 0} when no such pair exists.
VolumeSpace ClusterGeometry(uint64_t cluster_size);

// The sizes statvfs(2) gave; nullopt when they cannot be true (no blocks, no block size,
// more free than there are), as a failing card or a careless FUSE file system may answer:
// room that is not known is not there.
std::optional<VolumeSpace> SpaceOf(const struct statvfs& info);

}  // namespace tarvello
