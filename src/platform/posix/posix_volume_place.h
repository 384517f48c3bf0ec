#pragma once

// The lasting name of the volume that holds a path: its file system's UUID (or a FAT
// card's serial), from /dev/disk/by-uuid where udev keeps it, else read from the
// superblock through libblkid.

#include <optional>
#include <string>

#include "platform/platform.h"

namespace tarvello {

// Where the mount table and the device links are; tests point these elsewhere.
struct VolumePlaceSources {
  std::string mountinfo_path = "/proc/self/mountinfo";
  std::string by_uuid_path = "/dev/disk/by-uuid";
};

// nullopt for a path that does not exist, and for volumes without a UUID (tmpfs, most
// network shares) or whose device cannot be read.
std::optional<VolumePlace> FindVolumePlace(const std::string& path,
                                           const VolumePlaceSources& sources = {});

}  // namespace tarvello
