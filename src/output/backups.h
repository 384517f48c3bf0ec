#pragma once

// The backup folders that output runs leave below the backup location ("yyyymmdd",
// "yyyymmdd_2", ...): listing them newest first, deleting them, keeping only the newest.

#include <cstdint>
#include <ctime>
#include <map>
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

// The space that all these backups take on their disk: files that several of them share
// through hard links count once.
int64_t BackupsDiskBytes(FileSystem& files, const std::vector<BackupFolderInfo>& backups);

// The last-write times that a backup's files had on the card, by name, for a folder whose
// files share their bytes (and so their times) with other backups. The times file lies in
// a subfolder, which neither a restore nor the listing takes for a backed-up file.
bool WriteBackupTimes(FileSystem& files, const std::string& folder,
                      const std::map<std::string, std::time_t>& times);
// Empty when the folder has no times file: its files carry their own times.
std::map<std::string, std::time_t> ReadBackupTimes(FileSystem& files, const std::string& folder);

// Deletes the folder's files and its times file, then the folder; false when anything
// stayed.
bool DeleteBackup(FileSystem& files, const std::string& folder);

// Deletes all but the newest `keep` backup folders below `root` (0 keeps all). Returns
// the folders that could not be deleted.
std::vector<std::string> KeepNewestBackups(FileSystem& files, const std::string& root, int keep);

// The folder that holds the day's backup folders: `day_folder` without its last part.
std::string BackupRoot(const std::string& day_folder);

}  // namespace tarvello
