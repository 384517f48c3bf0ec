#pragma once

// The drive box's volumes: listing them, measuring the chosen one and the space its
// output folder's files take.

#include <string>
#include <vector>

#include "common/number_format.h"
#include "output/drive_list.h"
#include "platform/platform.h"

namespace tarvello {

// The icon a volume gets in the drive box.
DriveIcon IconFor(const VolumeEntry& volume);

// Rebuilds `drives` from the listable volumes and returns the drive box's items, entry i
// being item i. Volumes of unknown type are skipped; at most 26 are kept.
std::vector<DriveItem> LoadDriveList(Volumes& volumes, DriveList& drives);

// The index of the entry whose root is `root`, or -1.
int FindDrive(const DriveList& drives, const std::string& root);

// The drive to choose after the mounts changed: the chosen volume while it is still
// listed; when nothing was chosen, the first newly listed removable volume (a removable
// device, or a volume mounted where the desktop mounts inserted media); else none (-1).
struct DriveFollow {
  int index = -1;
  bool chosen_gone = false;  // the chosen volume is no longer listed
};
DriveFollow FollowDrives(const DriveList& before, const std::string& chosen_root,
                         const DriveList& now);

// The native path of the output folder on a volume: the mount point followed by OutDir
// (CP932, backslash form) turned into a UTF-8 path with "/".
std::string OutputFolderPath(const std::string& root, const std::string& out_dir);

// Sum of the sizes of the files directly in `folder`, each rounded up to whole clusters.
// Hidden files count; folders and system files do not. 0 for a missing folder.
int64_t OutputFolderUsage(FileSystem& files, const std::string& folder, int64_t cluster_size);

// The status text of a volume without a medium.
std::string NoMediumText(const std::string& name);

// Measures `drive` afresh and returns the text of status panel 1.
std::string MeasureDrive(TDriveInfo& drive, Volumes& volumes, FileSystem& files,
                         const std::string& out_dir, const NumberSymbols& symbols);

}  // namespace tarvello
