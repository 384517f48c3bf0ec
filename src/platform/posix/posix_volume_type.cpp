#include "platform/posix/posix_volumes.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>

#include "platform/posix/posix_path_status.h"

namespace tarvello {
namespace {

// File systems that hold no user files.
constexpr std::string_view kPseudoTypes[] = {
    "proc",        "sysfs",         "cgroup",
    "cgroup2",     "devpts",        "devtmpfs",
    "mqueue",      "debugfs",       "tracefs",
    "securityfs",  "pstore",        "bpf",
    "configfs",    "fusectl",       "hugetlbfs",
    "binfmt_misc", "autofs",        "overlay",
    "squashfs",    "nsfs",          "efivarfs",
    "rpc_pipefs",  "selinuxfs",     "pipefs",
    "nfsd",        "fuse.portal",   "fuse.gvfsd-fuse",
    "fuse.lxcfs",  "fuse.snapfuse", "fuse.xdg-document-portal",
    "usbfs",       "devfs"};

constexpr std::string_view kNetworkTypes[] = {
    "nfs", "nfs4", "cifs",      "smb3",           "smbfs", "sshfs", "fuse.sshfs",
    "9p",  "ceph", "glusterfs", "fuse.glusterfs", "afs",   "ncpfs", "davfs"};

constexpr std::string_view kCdRomTypes[] = {"iso9660", "udf"};
constexpr std::string_view kRamTypes[] = {"tmpfs", "ramfs"};

template <size_t N>
bool Contains(const std::string_view (&list)[N], std::string_view value) {
  for (std::string_view item : list) {
    if (item == value) return true;
  }
  return false;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

bool ReadsOne(const std::string& path) {
  std::ifstream in(path);
  char flag = '0';
  return in >> flag && flag == '1';
}

// The device name a source names, following links such as /dev/disk/by-uuid/....
std::string DeviceName(const std::string& source) {
  std::string device = source;
  if (char* resolved = ::realpath(source.c_str(), nullptr)) {
    device = resolved;
    ::free(resolved);
  }
  return std::filesystem::path(device).filename().string();
}

// True when the disk that holds the device (the device itself or the disk of which it
// is a partition) says it is removable.
bool IsRemovableDevice(const std::string& device, const std::string& sys_block_path) {
  if (device.empty()) return false;
  const std::string own = sys_block_path + "/" + device;
  if (IsDirectory(own)) return ReadsOne(own + "/removable");
  struct stat info {};
  if (DIR* dir = ::opendir(sys_block_path.c_str())) {
    bool removable = false;
    while (const dirent* item = ::readdir(dir)) {
      const std::string disk = sys_block_path + "/" + item->d_name;
      if (item->d_name[0] != '.' && ::stat((disk + "/" + device).c_str(), &info) == 0) {
        removable = ReadsOne(disk + "/removable");
        break;
      }
    }
    ::closedir(dir);
    return removable;
  }
  return false;
}

bool BelowRemovableMediaFolder(const std::string& mount_point) {
  return StartsWith(mount_point, "/media/") || StartsWith(mount_point, "/run/media/");
}

}  // namespace

DriveType ClassifyVolume(const MountRecord& mount, const std::string& sys_block_path) {
  const std::string_view type = mount.fs_type;
  if (Contains(kPseudoTypes, type)) return DriveType::kUnknown;
  if (Contains(kNetworkTypes, type)) return DriveType::kRemote;
  if (Contains(kCdRomTypes, type)) return DriveType::kCdRom;
  if (Contains(kRamTypes, type)) return DriveType::kRamDisk;
  if (!StartsWith(mount.source, "/dev/")) return DriveType::kUnknown;
  const std::string device = DeviceName(mount.source);
  if (StartsWith(device, "mmcblk") || BelowRemovableMediaFolder(mount.mount_point) ||
      IsRemovableDevice(device, sys_block_path)) {
    return DriveType::kRemovable;
  }
  return DriveType::kFixed;
}

}  // namespace tarvello
