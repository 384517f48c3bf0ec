#pragma once

// The lines of /proc/self/mountinfo.

#include <string>
#include <string_view>
#include <vector>

namespace tarvello {

struct MountRecord {
  std::string mount_point;
  std::string fs_type;
  std::string source;
};

// Undoes the octal escapes ("\040" for a blank) the kernel writes into the fields.
std::string UnescapeMountField(std::string_view field);

// The mounts listed in the text, in the order given; malformed lines are skipped.
std::vector<MountRecord> ParseMountInfo(std::string_view text);

}  // namespace tarvello
