#include "platform/posix/posix_volumes.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <optional>
#include <set>
#include <sstream>
#include <string_view>

#include "platform/posix/posix_path_status.h"

namespace tarvello {
namespace {

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string ResolvedPath(const std::string& path) {
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return path;
  std::string result = resolved;
  ::free(resolved);
  return result;
}

// The byte that two hexadecimal digits name; nullopt for anything else.
std::optional<char> HexByte(std::string_view digits) {
  unsigned value = 0;
  const char* end = digits.data() + digits.size();
  const auto [stop, error] = std::from_chars(digits.data(), end, value, 16);
  if (digits.size() != 2 || error != std::errc() || stop != end) return std::nullopt;
  return static_cast<char>(value);
}

// udev writes unsafe bytes of a label as "\xNN".
std::string DecodeLabel(std::string_view name) {
  std::string out;
  for (size_t i = 0; i < name.size(); ++i) {
    const std::optional<char> byte =
        name.substr(i, 2) == "\\x" ? HexByte(name.substr(i + 2, 2)) : std::nullopt;
    if (byte) {
      out += *byte;
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

// The folder that holds `path` ("/" for "/" itself); `path` is absolute and clean.
std::string ParentFolder(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
}

bool IsBelow(const std::string& path, const std::string& folder) {
  if (folder == "/") return path.starts_with('/');
  return path.starts_with(folder) && (path.size() == folder.size() || path[folder.size()] == '/');
}

std::optional<std::string> RealPath(const std::string& path) {
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return std::nullopt;
  std::string result = resolved;
  ::free(resolved);
  return result;
}

// A mount point whose volume is still there: the root, or a folder that the mount table
// lists and that lies on another device than its parent. A card unmounted behind the
// program's back leaves a plain folder on the parent's disk.
bool IsLiveMountPoint(const std::string& path, const std::set<std::string>& mount_points) {
  if (path == "/") return true;
  if (!mount_points.contains(path)) return false;
  const std::optional<dev_t> device = DeviceOf(path);
  return device && device != DeviceOf(ParentFolder(path));
}

// Folders where the system and the desktop mount cards (those fstab names, /mnt/NAME,
// /media/NAME, /media/USER/NAME, /run/media/USER/NAME): such a folder that is no live
// mount point is the disk beneath a card that has gone.
bool IsCardMountPlace(const std::string& path, const std::set<std::string>& fstab_points) {
  if (path == "/") return false;
  const std::string parent = ParentFolder(path);
  const std::string grandparent = ParentFolder(parent);
  return fstab_points.contains(path) || parent == "/mnt" || parent == "/media" ||
         (parent != "/" && (grandparent == "/media" || grandparent == "/run/media"));
}

// A relative path taken from the current folder.
std::optional<std::string> AbsolutePath(const std::string& path) {
  if (path.starts_with('/')) return path;
  char* current = ::getcwd(nullptr, 0);
  if (current == nullptr) return std::nullopt;
  std::string absolute = current;
  ::free(current);
  return absolute + "/" + path;
}

// The resolved form of `path`: its longest existing start with every link resolved,
// then the rest as written. nullopt for a link that leads nowhere or a part "." or ".."
// in the rest. `device` is that of the existing start.
std::optional<std::string> ResolveFolder(const std::string& path, dev_t& device) {
  const std::optional<std::string> absolute = AbsolutePath(path);
  if (!absolute || path.empty()) return std::nullopt;
  std::string start = WithoutTrailingSlashes(*absolute);
  std::vector<std::string> rest;  // the missing parts, last first
  struct stat info {};
  while (::lstat(start.c_str(), &info) != 0) {
    if (errno != ENOENT || start == "/") return std::nullopt;
    const size_t slash = start.find_last_of('/');
    const std::string part = start.substr(slash + 1);
    if (part == "." || part == "..") return std::nullopt;
    if (!part.empty()) rest.push_back(part);
    start = slash == 0 ? "/" : start.substr(0, slash);
  }
  std::optional<std::string> resolved = RealPath(start);
  const std::optional<dev_t> start_device = resolved ? DeviceOf(*resolved) : std::nullopt;
  if (!start_device) return std::nullopt;
  device = *start_device;
  for (auto part = rest.rbegin(); part != rest.rend(); ++part) {
    if (resolved->back() != '/') *resolved += '/';
    *resolved += *part;
  }
  return resolved;
}

}  // namespace

std::vector<std::string> ParseFstabMountPoints(std::string_view text) {
  std::vector<std::string> mount_points;
  std::istringstream lines{std::string(text)};
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string source;
    std::string mount_point;
    if (!(fields >> source >> mount_point) || source.starts_with('#')) continue;
    if (!mount_point.starts_with('/')) continue;  // "none", "swap"
    mount_points.push_back(WithoutTrailingSlashes(UnescapeMountField(mount_point)));
  }
  return mount_points;
}

bool FolderLiesOnVolume(const std::string& root, const std::string& folder) {
  dev_t root_device = 0;
  dev_t folder_device = 0;
  const std::optional<std::string> resolved_root = ResolveFolder(root, root_device);
  const std::optional<std::string> resolved_folder = ResolveFolder(folder, folder_device);
  if (!resolved_root || !resolved_folder) return false;
  return root_device == folder_device && IsBelow(*resolved_folder, *resolved_root);
}

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
  const std::string path = WithoutTrailingSlashes(mount_point);
  const std::string name = std::filesystem::path(path).filename().string();
  return name.empty() ? path : name;
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

std::set<std::string> PosixVolumes::MountPoints() const {
  std::set<std::string> mount_points;
  for (const MountRecord& mount : ParseMountInfo(ReadText(sources_.mountinfo_path))) {
    mount_points.insert(mount.mount_point);
  }
  return mount_points;
}

std::optional<VolumeSpace> PosixVolumes::Measure(const std::string& root) {
  if (root.empty() || !IsLiveMountPoint(root, MountPoints())) return std::nullopt;
  return MeasureFileSystem(root);
}

bool PosixVolumes::HoldsFolder(const std::string& root, const std::string& folder) {
  return FolderLiesOnVolume(root, folder);
}

std::optional<VolumeSpace> PosixVolumes::MeasureFolder(const std::string& folder) {
  const std::optional<std::string> resolved = RealPath(folder);
  if (!resolved) return std::nullopt;
  const std::set<std::string> mount_points = MountPoints();
  const std::vector<std::string> fstab = ParseFstabMountPoints(ReadText(sources_.fstab_path));
  const std::set<std::string> fstab_points(fstab.begin(), fstab.end());
  for (std::string path = *resolved; !IsLiveMountPoint(path, mount_points);
       path = ParentFolder(path)) {
    if (IsCardMountPlace(path, fstab_points)) return std::nullopt;
  }
  return MeasureFileSystem(*resolved);
}

std::optional<VolumeSpace> PosixVolumes::MeasureFileSystem(const std::string& path) {
  struct statvfs info {};
  if (::statvfs(path.c_str(), &info) != 0) return std::nullopt;
  return SpaceOf(info);
}

std::optional<VolumeSpace> SpaceOf(const struct statvfs& info) {
  const uint64_t cluster = info.f_frsize != 0 ? info.f_frsize : info.f_bsize;
  if (cluster == 0 || info.f_blocks == 0 || info.f_bfree > info.f_blocks ||
      info.f_bavail > info.f_blocks) {
    return std::nullopt;
  }
  VolumeSpace space = ClusterGeometry(cluster);
  space.total_bytes = static_cast<int64_t>(Bytes(info.f_blocks, cluster));
  space.free_bytes = static_cast<int64_t>(Bytes(info.f_bavail, cluster));
  return space;
}

}  // namespace tarvello
