#include "platform/posix/posix_volumes.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <limits>
#include <string_view>

namespace tarvello {
namespace {

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool IsDirectory(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string ResolvedPath(const std::string& path) {
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return path;
  std::string result = resolved;
  ::free(resolved);
  return result;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// udev writes unsafe bytes of a label as "\xNN".
std::string DecodeLabel(std::string_view name) {
  std::string out;
  for (size_t i = 0; i < name.size(); ++i) {
    if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x' &&
        HexValue(name[i + 2]) >= 0 && HexValue(name[i + 3]) >= 0) {
      out += static_cast<char>(HexValue(name[i + 2]) * 16 + HexValue(name[i + 3]));
      i += 3;
    } else {
      out += name[i];
    }
  }
  return out;
}

uint64_t Bytes(uint64_t blocks, uint64_t block_size) {
  constexpr uint64_t kMax = std::numeric_limits<int64_t>::max();
  if (block_size != 0 && blocks > kMax / block_size) return kMax;
  return blocks * block_size;
}

// The last mount on a mount point hides the ones beneath it.
std::vector<MountRecord> VisibleMounts(std::vector<MountRecord> mounts) {
  std::vector<MountRecord> visible;
  for (auto it = mounts.rbegin(); it != mounts.rend(); ++it) {
    const bool hidden = std::any_of(visible.begin(), visible.end(), [&](const MountRecord& m) {
      return m.mount_point == it->mount_point;
    });
    if (!hidden) visible.push_back(std::move(*it));
  }
  return visible;
}

bool IsFloppy(const std::string& source) {
  return source.rfind("/dev/fd", 0) == 0 && source.size() > 7 &&
         std::isdigit(static_cast<unsigned char>(source[7]));
}

}  // namespace

std::string FindVolumeLabel(const std::string& source, const std::string& by_label_path) {
  if (source.empty()) return {};
  const std::string device = ResolvedPath(source);
  DIR* dir = ::opendir(by_label_path.c_str());
  if (dir == nullptr) return {};
  std::string label;
  while (const dirent* item = ::readdir(dir)) {
    const std::string name = item->d_name;
    if (name == "." || name == "..") continue;
    if (ResolvedPath(by_label_path + "/" + name) == device) {
      label = DecodeLabel(name);
      break;
    }
  }
  ::closedir(dir);
  return label;
}

std::string VolumeShortName(const std::string& mount_point, const std::string& label) {
  if (!label.empty()) return label;
  std::string path = mount_point;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos || path == "/") return path;
  return path.substr(slash + 1);
}

std::string VolumeDisplayName(const std::string& mount_point, const std::string& short_name) {
  if (short_name == mount_point) return short_name;  // the root
  return short_name + " (" + mount_point + ")";
}

bool IsUserMountPoint(const std::string& mount_point) {
  const auto below = [&](std::string_view folder) {
    return mount_point.compare(0, folder.size(), folder) == 0 &&
           (mount_point.size() == folder.size() || mount_point[folder.size()] == '/');
  };
  if (below("/run/media") && mount_point.size() > std::string_view("/run/media/").size()) {
    return true;
  }
  return !below("/proc") && !below("/sys") && !below("/dev") && !below("/run");
}

VolumeSpace ClusterGeometry(uint64_t cluster_size) {
  constexpr uint64_t kMax16 = std::numeric_limits<uint16_t>::max();
  VolumeSpace space;
  for (uint64_t sector = 512; sector <= 32768; sector *= 2) {
    if (cluster_size % sector == 0 && cluster_size / sector <= kMax16 && cluster_size > 0) {
      space.bytes_per_sector = static_cast<uint16_t>(sector);
      space.sectors_per_cluster = static_cast<uint16_t>(cluster_size / sector);
      return space;
    }
  }
  if (cluster_size > 0 && cluster_size <= kMax16) {
    space.bytes_per_sector = static_cast<uint16_t>(cluster_size);
    space.sectors_per_cluster = 1;
  }
  return space;
}

std::vector<VolumeEntry> PosixVolumes::List() {
  std::vector<VolumeEntry> volumes;
  for (const MountRecord& mount :
       VisibleMounts(ParseMountInfo(ReadText(sources_.mountinfo_path)))) {
    if (!IsUserMountPoint(mount.mount_point)) continue;
    const DriveType type = ClassifyVolume(mount, sources_.sys_block_path);
    if (type == DriveType::kUnknown || !IsDirectory(mount.mount_point)) continue;
    VolumeEntry entry;
    entry.root = mount.mount_point;
    entry.name =
        VolumeShortName(mount.mount_point, FindVolumeLabel(mount.source, sources_.by_label_path));
    entry.display_name = VolumeDisplayName(mount.mount_point, entry.name);
    entry.type = type;
    entry.floppy = type == DriveType::kRemovable && IsFloppy(mount.source);
    volumes.push_back(std::move(entry));
  }
  std::sort(volumes.begin(), volumes.end(),
            [](const VolumeEntry& a, const VolumeEntry& b) { return a.root < b.root; });
  return volumes;
}

std::optional<VolumeSpace> PosixVolumes::Measure(const std::string& root) {
  struct statvfs info {};
  if (root.empty() || ::statvfs(root.c_str(), &info) != 0) return std::nullopt;
  const uint64_t cluster = info.f_frsize != 0 ? info.f_frsize : info.f_bsize;
  VolumeSpace space = ClusterGeometry(cluster);
  space.total_bytes = static_cast<int64_t>(Bytes(info.f_blocks, cluster));
  space.free_bytes = static_cast<int64_t>(Bytes(info.f_bavail, cluster));
  return space;
}

}  // namespace tarvello
