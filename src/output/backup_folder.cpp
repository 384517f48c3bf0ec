#include "output/backup_folder.h"

namespace tarvello {
namespace {

bool Taken(FileSystem& files, const std::string& path) {
  return files.DirectoryExists(path) || files.FileExists(path);
}

}  // namespace

std::string ChooseBackupFolder(FileSystem& files, const std::string& base) {
  if (!Taken(files, base)) return base;
  for (int number = 2;; ++number) {
    std::string candidate = base + "_" + std::to_string(number);
    if (!Taken(files, candidate)) return candidate;
  }
}

bool CopyKeepingTime(FileSystem& files, const std::string& from, const std::string& to) {
  const std::optional<std::time_t> time = files.LastWriteTime(from);
  if (!files.CopyFile(from, to)) return false;
  return !time || files.SetLastWriteTime(to, *time);
}

}  // namespace tarvello
