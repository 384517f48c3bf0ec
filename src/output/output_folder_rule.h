#pragma once

// Where an output may go: the folder that OutDir names stays on the chosen volume. OutDir
// has no "." or ".." parts, and its folder, with symbolic links resolved, lies below the
// volume's root on the same file system.

#include <string>
#include <string_view>

#include "output/drive_list.h"
#include "platform/platform.h"

namespace tarvello {

inline constexpr const char* kOutDirDotParts = "出力先フォルダに「.」や「..」は指定できません.";
inline constexpr const char* kFolderOffVolume = "出力先フォルダが出力先ドライブの外にあります.";

// The OutDir rule: a leading backslash is ensured and one trailing backslash removed,
// unless the text is exactly "\".
std::string NormalizeOutDir(std::string_view out_dir);

// True when OutDir (CP932, backslash form) has a part "." or "..". Both "\" and "/"
// separate parts, as they do once OutDir is a path of this system.
bool OutDirHasDotParts(std::string_view out_dir);

// Why the folder that OutDir names on a volume may not be written or read back.
enum class OutputFolderBlock {
  kNone,       // the folder may be used
  kNoDrive,    // no volume is chosen
  kNoMedium,   // the volume holds no medium (its last measurement failed)
  kDotParts,   // OutDir has a "." or ".." part
  kOffVolume,  // the folder, its links resolved, lies outside the volume or below another
};

// The one check of the folder that an output, a read-back of the card and a restore use,
// on the measured volume `drive` (nullptr: none).
OutputFolderBlock CheckOutputFolder(const TDriveInfo* drive, Volumes& volumes,
                                    const std::string& out_dir);

// The message of kDotParts and kOffVolume with the folder's path; empty for the other
// blocks, whose words each caller has its own.
std::string OutputFolderRefusalText(OutputFolderBlock block, const std::string& folder);

}  // namespace tarvello
