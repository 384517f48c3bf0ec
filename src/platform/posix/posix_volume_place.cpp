#include "platform/posix/posix_volume_place.h"

#include <blkid/blkid.h>
#include <dirent.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <memory>

#include "platform/posix/posix_mountinfo.h"
#include "platform/posix/posix_path_status.h"

namespace tarvello {
namespace {

// The name of the by-uuid link that leads to the block device `device`.
std::string UuidFromLinks(dev_t device, const std::string& by_uuid) {
  DIR* dir = ::opendir(by_uuid.c_str());
  if (dir == nullptr) return {};
  std::string found;
  while (const dirent* item = ::readdir(dir)) {
    const std::string name = item->d_name;
    if (name == "." || name == "..") continue;
    struct stat info {};
    if (::stat((by_uuid + "/" + name).c_str(), &info) == 0 && S_ISBLK(info.st_mode) &&
        info.st_rdev == device) {
      found = name;
      break;
    }
  }
  ::closedir(dir);
  return found;
}

struct ProbeDeleter {
  void operator()(blkid_struct_probe* probe) const { blkid_free_probe(probe); }
};

// The UUID in the superblock of the block device `device`; empty when it has none or
// cannot be read (an ordinary user may not read the device).
std::string UuidFromSuperblock(dev_t device) {
  std::unique_ptr<char, decltype(&::free)> name(blkid_devno_to_devname(device), &::free);
  if (!name) return {};
  std::unique_ptr<blkid_struct_probe, ProbeDeleter> probe(
      blkid_new_probe_from_filename(name.get()));
  if (!probe) return {};
  blkid_probe_enable_superblocks(probe.get(), 1);
  blkid_probe_set_superblocks_flags(probe.get(), BLKID_SUBLKS_UUID);
  if (blkid_do_safeprobe(probe.get()) != 0) return {};
  const char* value = nullptr;
  if (blkid_probe_lookup_value(probe.get(), "UUID", &value, nullptr) != 0 || value == nullptr) {
    return {};
  }
  return value;
}

// The mount point of `device` that `resolved` lies below, the longest one.
std::string MountPointOf(const std::string& resolved, dev_t device, const std::string& mountinfo) {
  std::ifstream in(mountinfo, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string best;
  for (const MountRecord& mount : ParseMountInfo(text)) {
    const std::string& point = mount.mount_point;
    const bool below = point == "/" || resolved == point ||
                       (resolved.starts_with(point) && resolved[point.size()] == '/');
    if (!below || (!best.empty() && point.size() <= best.size())) continue;
    if (DeviceOf(point) == device) best = point;
  }
  return best;
}

}  // namespace

std::optional<VolumePlace> FindVolumePlace(const std::string& path,
                                           const VolumePlaceSources& sources) {
  std::unique_ptr<char, decltype(&::free)> real(::realpath(path.c_str(), nullptr), &::free);
  if (!real) return std::nullopt;
  const std::string resolved = real.get();
  const std::optional<dev_t> device = DeviceOf(resolved);
  if (!device) return std::nullopt;
  std::string uuid = UuidFromLinks(*device, sources.by_uuid_path);
  if (uuid.empty()) uuid = UuidFromSuperblock(*device);
  if (uuid.empty()) return std::nullopt;
  const std::string root = MountPointOf(resolved, *device, sources.mountinfo_path);
  if (root.empty()) return std::nullopt;
  const std::string inside = root == "/" ? resolved : resolved.substr(root.size());
  return VolumePlace{"uuid-" + uuid, inside.empty() ? "/" : inside};
}

}  // namespace tarvello
