#include "output/drives.h"

#include <algorithm>

#include "catalogue/output_totals.h"
#include "common/cp932.h"
#include "common/number_format.h"

namespace tarvello {

DriveIcon IconFor(const VolumeEntry& volume) {
  switch (volume.type) {
    case DriveType::kRemovable:
      return volume.floppy ? DriveIcon::kFloppy : DriveIcon::kRemovable;
    case DriveType::kRemote:
      return DriveIcon::kNetwork;
    case DriveType::kCdRom:
      return DriveIcon::kCdRom;
    case DriveType::kRamDisk:
      return DriveIcon::kRamDisk;
    default:
      return DriveIcon::kFixed;
  }
}

namespace {

bool IsListable(DriveType type) {
  return type != DriveType::kUnknown && type != DriveType::kNoRoot;
}

}  // namespace

std::vector<DriveItem> LoadDriveList(Volumes& volumes, DriveList& drives) {
  drives = DriveList{};
  std::vector<DriveItem> items;
  for (const VolumeEntry& volume : volumes.List()) {
    if (!IsListable(volume.type)) continue;
    if (drives.DriveCount == static_cast<int>(drives.entries.size())) break;
    const DriveIcon icon = IconFor(volume);
    TDriveInfo& entry = drives.entries[drives.DriveCount++];
    entry.Root = volume.root;
    entry.Name = volume.name;
    entry.IconIndex = static_cast<uint8_t>(icon);
    items.push_back({volume.display_name, icon});
  }
  return items;
}

int FindDrive(const DriveList& drives, const std::string& root) {
  for (int i = 0; i < drives.DriveCount; ++i) {
    if (drives.entries[i].Root == root) return i;
  }
  return -1;
}

std::string OutputFolderPath(const std::string& root, const std::string& out_dir) {
  std::string folder = Cp932ToUtf8(out_dir);
  std::replace(folder.begin(), folder.end(), '\\', '/');
  // OutDir "\" names the root itself; no spelling may give "root//name" later.
  return LexicallyNormalPath(root + "/" + folder);
}

int64_t OutputFolderUsage(FileSystem& files, const std::string& folder, int64_t cluster_size) {
  int64_t sum = 0;
  for (const DirEntry& entry : files.ListDirectory(folder)) {
    if (entry.is_directory || entry.is_system) continue;
    sum += ClusterRound(entry.size, cluster_size);
  }
  return sum;
}

std::string MeasureDrive(TDriveInfo& drive, Volumes& volumes, FileSystem& files,
                         const std::string& out_dir, const NumberSymbols& symbols) {
  drive.BytesPerSector = 0;
  drive.SectorsPerCluster = 0;
  drive.OutputFolderBytes = 0;
  // Only a failed measurement means no medium: a RAM file system reports a capacity of
  // 0 and still takes files.
  const std::optional<VolumeSpace> space = volumes.Measure(drive.Root);
  drive.HasMedium = space.has_value();
  if (!space) {
    drive.TotalBytes = 0;
    drive.FreeBytes = 0;
    return NoMediumText(drive.Name);
  }
  drive.TotalBytes = std::max<int64_t>(space->total_bytes, 0);
  drive.BytesPerSector = space->bytes_per_sector;
  drive.SectorsPerCluster = space->sectors_per_cluster;
  drive.FreeBytes = std::max<int64_t>(space->free_bytes, 0);
  const std::string folder = OutputFolderPath(drive.Root, out_dir);
  if (files.DirectoryExists(folder)) {
    drive.OutputFolderBytes = OutputFolderUsage(files, folder, drive.ClusterSize());
  }
  return drive.Name + ": 出力可能領域 " +
         FormatFileSize(drive.FreeBytes + drive.OutputFolderBytes, symbols) + " （空き " +
         FormatFileSize(drive.FreeBytes, symbols) + "＋使用 " +
         FormatFileSize(drive.OutputFolderBytes, symbols) + "）/ 容量 " +
         FormatFileSize(drive.TotalBytes, symbols);
}

std::string NoMediumText(const std::string& name) {
  return name + ": メディアが挿入されていません.";
}

namespace {

bool LooksInserted(const TDriveInfo& drive) {
  return drive.IconIndex == static_cast<uint8_t>(DriveIcon::kRemovable) ||
         drive.Root.starts_with("/media/") || drive.Root.starts_with("/run/media/");
}

}  // namespace

DriveFollow FollowDrives(const DriveList& before, const std::string& chosen_root,
                         const DriveList& now) {
  if (!chosen_root.empty()) {
    const int index = FindDrive(now, chosen_root);
    return {index, index < 0};
  }
  for (int index = 0; index < now.DriveCount; ++index) {
    const TDriveInfo& drive = now.entries[index];
    if (FindDrive(before, drive.Root) < 0 && LooksInserted(drive)) return {index, false};
  }
  return {};
}

}  // namespace tarvello
