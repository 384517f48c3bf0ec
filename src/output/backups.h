#pragma once

// The backup folders that output runs leave below the backup location ("yyyymmdd",
// "yyyymmdd_2", ...): listing them newest first, deleting them, keeping only the newest.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace tarvello {

struct BackupFolderInfo {
  std::string name;  // "20231114_2"
  std::string path;  // without a trailing "/"
  std::string date;  // "2023/11/14"
  int sequence = 1;  // 1 for "yyyymmdd", n for "yyyymmdd_n"
  int songs = 0;     // files other than the management files
  int files = 0;
  int64_t bytes = 0;
};

// True for "yyyymmdd" and "yyyymmdd_n" (n >= 2) with a valid date.
bool IsBackupFolderName(const std::string& name);

// The backup folders below `root`, newest first (by date, then by number).
std::vector<BackupFolderInfo> ListBackups(FileSystem& files, const std::string& root);

// The folder's files that a restore puts back: neither folders nor system files.
std::vector<DirEntry> BackupFiles(FileSystem& files, const std::string& folder);

// The space the backup's files take on a card with this cluster size.
int64_t BackupSpace(FileSystem& files, const std::string& folder, int64_t cluster_size);

// Deletes the folder's files, then the folder; false when anything stayed.
bool DeleteBackup(FileSystem& files, const std::string& folder);

// Deletes all but the newest `keep` backup folders below `root` (0 keeps all). Returns
// the folders that could not be deleted.
std::vector<std::string> KeepNewestBackups(FileSystem& files, const std::string& root, int keep);

// The folder that holds the day's backup folders: `day_folder` without its last part.
std::string BackupRoot(const std::string& day_folder);

}  // namespace tarvello
