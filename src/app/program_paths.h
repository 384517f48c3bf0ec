#pragma once

// The paths the program settles at start-up: its settings file, the day's backup folder,
// the temporary folder and the iTunes library file.

#include <ctime>
#include <string>

#include "platform/platform.h"

namespace tarvello {

struct ProgramPaths {
  std::string IniFileName;
  std::string BackupFolder;  // no trailing "/"; the output run creates it
  std::string TempFolder;    // ends with "/"
  std::string LibraryFileName;
};

// Beside the executable when its folder is writable; otherwise the settings file goes to
// $XDG_CONFIG_HOME/tarvello/ and the backups to $XDG_DATA_HOME/tarvello/. The backup
// folder is named after the day of `environment.Now()`, in local time.
ProgramPaths MakeProgramPaths(Environment& environment, FileSystem& files);

// The day's backup folder below `backups` (no trailing "/"): `backups` + "/yyyymmdd" of
// the local date of `now`.
std::string DayBackupFolder(const std::string& backups, std::time_t now);

// The window's extra settings file, beside the window's settings file wherever this
// program's own settings file would go: tarvello-cli shares the card profiles kept there.
std::string WindowExtraSettingsFile(Environment& environment, FileSystem& files);

// Creates the settings file's folder when it is missing; false when that fails.
bool EnsureIniFolder(FileSystem& files, const std::string& ini_file_name);

}  // namespace tarvello
