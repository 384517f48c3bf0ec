#pragma once

// Where an output run backs up the files it is about to replace.

#include <string>

#include "platform/platform.h"

namespace tarvello {

// The day's backup folder `base` when nothing of that name exists yet; otherwise the first
// of base + "_2", base + "_3", ... that does not, so a backup never overwrites an earlier
// one. Without a trailing "/".
std::string ChooseBackupFolder(FileSystem& files, const std::string& base);

// Copies a file and gives the copy the original's last-write time, which the phone's
// order of the songs depends on; false when either step failed.
bool CopyKeepingTime(FileSystem& files, const std::string& from, const std::string& to);

}  // namespace tarvello
