#include "output/backups.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <set>

#include "catalogue/output_totals.h"
#include "common/text_tools.h"

namespace tarvello {
namespace {

bool AllDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Digits that are known to be digits; too many of them count as 0.
int Number(std::string_view digits) {
  return ParseInteger<int>(digits).value_or(0);
}

bool ValidDate(int year, int month, int day) {
  if (year < 1970 || month < 1 || month > 12 || day < 1) return false;
  static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return day <= (month == 2 && !leap ? 28 : kDays[month - 1]);
}

constexpr const char* kTimesFolder = "/.tarvello";
constexpr const char* kTimesFile = "/.tarvello/times";

bool IsManagementFile(const std::string& name) {
  return name.size() == 12 && name.rfind("SD_F_", 0) == 0 && name.compare(8, 4, ".MGR") == 0;
}

}  // namespace

bool IsBackupFolderName(const std::string& name) {
  const std::string_view text(name);
  if (text.size() < 8 || !AllDigits(text.substr(0, 8))) return false;
  if (!ValidDate(Number(text.substr(0, 4)), Number(text.substr(4, 2)), Number(text.substr(6, 2)))) {
    return false;
  }
  if (text.size() == 8) return true;
  const std::string_view number = text.substr(9);
  return text[8] == '_' && AllDigits(number) && number.size() <= 6 && number[0] != '0' &&
         Number(number) >= 2;
}

std::vector<DirEntry> BackupFiles(FileSystem& files, const std::string& folder) {
  std::vector<DirEntry> entries = files.ListDirectory(folder);
  std::erase_if(entries, [](const DirEntry& entry) { return entry.is_directory || entry.is_system; });
  std::sort(entries.begin(), entries.end(),
            [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
  return entries;
}

std::vector<BackupFolderInfo> ListBackups(FileSystem& files, const std::string& root) {
  std::vector<BackupFolderInfo> backups;
  for (const DirEntry& entry : files.ListDirectory(root)) {
    if (!entry.is_directory || !IsBackupFolderName(entry.name)) continue;
    BackupFolderInfo info;
    info.name = entry.name;
    info.path = root + "/" + entry.name;
    info.date = entry.name.substr(0, 4) + "/" + entry.name.substr(4, 2) + "/" +
                entry.name.substr(6, 2);
    info.sequence = entry.name.size() > 8 ? Number(std::string_view(entry.name).substr(9)) : 1;
    for (const DirEntry& file : BackupFiles(files, info.path)) {
      ++info.files;
      info.songs += IsManagementFile(file.name) ? 0 : 1;
      info.bytes += file.size;
    }
    backups.push_back(std::move(info));
  }
  std::sort(backups.begin(), backups.end(), [](const BackupFolderInfo& a, const BackupFolderInfo& b) {
    const std::string_view day_a(a.name.data(), 8), day_b(b.name.data(), 8);
    if (day_a != day_b) return day_a > day_b;
    return a.sequence > b.sequence;
  });
  return backups;
}

int64_t BackupSpace(FileSystem& files, const std::string& folder, int64_t cluster_size) {
  int64_t space = 0;
  for (const DirEntry& file : BackupFiles(files, folder)) {
    space += ClusterRound(file.size, cluster_size);
  }
  return space;
}

int64_t BackupsDiskBytes(FileSystem& files, const std::vector<BackupFolderInfo>& backups) {
  int64_t bytes = 0;
  std::set<FileIdentity> counted;
  for (const BackupFolderInfo& backup : backups) {
    for (const DirEntry& file : BackupFiles(files, backup.path)) {
      const std::optional<FileStatus> status = files.Status(backup.path + "/" + file.name);
      if (!status || counted.insert(status->identity).second) bytes += file.size;
    }
  }
  return bytes;
}

bool WriteBackupTimes(FileSystem& files, const std::string& folder,
                      const std::map<std::string, std::time_t>& times) {
  std::string text;
  for (const auto& [name, time] : times) {
    if (name.find('\n') == std::string::npos) text += std::to_string(time) + " " + name + "\n";
  }
  return files.CreateDirectories(folder + kTimesFolder) &&
         files.WriteWholeFile(folder + kTimesFile, text);
}

std::map<std::string, std::time_t> ReadBackupTimes(FileSystem& files, const std::string& folder) {
  std::map<std::string, std::time_t> times;
  std::optional<std::string> text;
  try {
    if (files.FileExists(folder + kTimesFile)) text = files.ReadWholeFile(folder + kTimesFile);
  } catch (const FileError&) {
  }
  std::string_view rest = text ? std::string_view(*text) : std::string_view();
  while (!rest.empty()) {
    const size_t end = rest.find('\n');
    const std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    const size_t blank = line.find(' ');
    int64_t time = 0;
    const auto parsed = std::from_chars(line.data(), line.data() + blank, time);
    if (blank == std::string_view::npos || parsed.ec != std::errc() ||
        parsed.ptr != line.data() + blank) {
      continue;
    }
    times[std::string(line.substr(blank + 1))] = static_cast<std::time_t>(time);
  }
  return times;
}

bool DeleteBackup(FileSystem& files, const std::string& folder) {
  bool all = true;
  for (const DirEntry& file : BackupFiles(files, folder)) {
    all = files.DeleteFile(folder + "/" + file.name) && all;
  }
  if (files.FileExists(folder + kTimesFile)) {
    all = files.DeleteFile(folder + kTimesFile) && files.RemoveDirectory(folder + kTimesFolder) &&
          all;
  }
  return files.RemoveDirectory(folder) && all;
}

std::vector<std::string> KeepNewestBackups(FileSystem& files, const std::string& root, int keep) {
  std::vector<std::string> failed;
  if (keep <= 0) return failed;
  const std::vector<BackupFolderInfo> backups = ListBackups(files, root);
  for (size_t index = static_cast<size_t>(keep); index < backups.size(); ++index) {
    if (!DeleteBackup(files, backups[index].path)) failed.push_back(backups[index].path);
  }
  return failed;
}

std::string BackupRoot(const std::string& day_folder) {
  const std::string root = std::filesystem::path(day_folder).parent_path().string();
  return root.empty() ? "." : root;
}

}  // namespace tarvello
