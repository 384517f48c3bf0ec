#pragma once

// Where an output may go: the folder that OutDir names stays on the chosen volume. OutDir
// has no "." or ".." parts, and its folder, with symbolic links resolved, lies below the
// volume's root on the same file system.

#include <string>
#include <string_view>

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

// The message that refuses an output into OutDir on the volume at `root`, with the
// folder's path; empty when the output may go there.
std::string OutputFolderRefusal(Volumes& volumes, const std::string& root,
                                const std::string& out_dir);

}  // namespace tarvello
