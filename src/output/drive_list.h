#pragma once

// The volumes behind the drive box and what was last measured of each.

#include <array>
#include <cstdint>
#include <string>

namespace tarvello {

// The drive icons, in the order of the drive image list.
enum class DriveIcon { kFloppy, kRemovable, kFixed, kNetwork, kCdRom, kRamDisk };

// One item of the drive box.
struct DriveItem {
  std::string caption;
  DriveIcon icon = DriveIcon::kFixed;
};

struct TDriveInfo {
  std::string Root;  // mount point: the volume's identity
  std::string Name;  // the short name the status texts call the volume by
  uint8_t IconIndex = 0;
  int64_t TotalBytes = 0;  // 0: no medium, or a volume that reports no capacity
  bool HasMedium = false;  // the last measurement succeeded
  int64_t FreeBytes = 0;
  uint16_t BytesPerSector = 0;
  uint16_t SectorsPerCluster = 0;
  int64_t OutputFolderBytes = 0;

  int64_t ClusterSize() const { return int64_t{BytesPerSector} * SectorsPerCluster; }
};

struct DriveList {
  std::array<TDriveInfo, 26> entries{};  // the list shows at most 26 volumes
  int DriveCount = 0;
};

}  // namespace tarvello
