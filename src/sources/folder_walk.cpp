#include "sources/folder_walk.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <limits>
#include <string_view>
#include <utility>

#include "common/text_tools.h"
#include "platform/platform.h"

namespace tarvello {
namespace {

namespace fs = std::filesystem;

constexpr std::array<std::string_view, 29> kMusicExtensions = {
    "mp3",  "m4a",  "m4b", "m4p", "mp4",  "m4v", "mov", "aac",  "adts", "3g2",
    "3gp",  "flac", "ogg", "oga", "opus", "spx", "wav", "wave", "aif",  "aiff",
    "aifc", "caf",  "wma", "asf", "ape",  "wv",  "mpc", "mka",  "webm"};

}  // namespace

FolderWalk::FolderWalk(const std::string& root, const TextCollator& natural) : natural_(natural) {
  Enter(WithoutTrailingSlashes(root));
}

const std::string& FolderWalk::Folder() const {
  static const std::string kNone;
  return levels_.empty() ? kNone : levels_.back().folder;
}

std::vector<std::string> FolderWalk::NextSongs(size_t count) {
  std::vector<std::string> songs;
  while (songs.size() < count && !levels_.empty()) {
    Level& level = levels_.back();
    if (level.next == level.entries.size()) {
      levels_.pop_back();
      continue;
    }
    const Entry& entry = level.entries[level.next++];
    std::string path = level.folder == "/" ? "/" + entry.name : level.folder + "/" + entry.name;
    if (entry.is_folder) {
      Enter(path);  // `level` is not used past this point: the levels may move
    } else if (IsMusicFileName(entry.name)) {
      songs.push_back(std::move(path));
      ++songs_found_;
    } else {
      ++passed_over_;
    }
  }
  return songs;
}

void FolderWalk::Enter(const std::string& folder) {
  struct stat status {};
  if (::stat(folder.c_str(), &status) != 0) {
    unreadable_.push_back(folder);
    return;
  }
  if (!visited_.insert({status.st_dev, status.st_ino}).second) return;
  Level level{folder, {}, 0};
  if (!List(folder, level.entries)) {
    unreadable_.push_back(folder);
    return;
  }
  levels_.push_back(std::move(level));
}

// Links count as what they point at; dangling ones and devices are left out.
bool FolderWalk::List(const std::string& folder, std::vector<Entry>& entries) const {
  std::error_code error;
  fs::directory_iterator it(folder, error);
  if (error) return false;
  for (const fs::directory_iterator end; it != end; it.increment(error)) {
    std::string name = it->path().filename().string();
    if (name.starts_with('.')) continue;
    std::error_code type_error;
    if (it->is_directory(type_error)) {
      entries.push_back({std::move(name), true});
    } else if (!type_error && it->is_regular_file(type_error) && !type_error) {
      entries.push_back({std::move(name), false});
    }
  }
  if (error) return false;
  std::sort(entries.begin(), entries.end(), [this](const Entry& a, const Entry& b) {
    return natural_.Compare(a.name, b.name) < 0;
  });
  return true;
}

bool IsMusicFileName(const std::string& name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0) return false;
  std::string extension = name.substr(dot + 1);
  std::transform(extension.begin(), extension.end(), extension.begin(), AsciiLower);
  return std::find(kMusicExtensions.begin(), kMusicExtensions.end(), extension) !=
         kMusicExtensions.end();
}

std::string MusicFilePatterns() {
  std::string patterns;
  for (const std::string_view extension : kMusicExtensions) {
    if (!patterns.empty()) patterns += ';';
    patterns.append("*.").append(extension);
  }
  return patterns;
}

FolderWalkResult WalkMusicFolder(const std::string& root, const TextCollator& natural) {
  FolderWalk walk(root, natural);
  FolderWalkResult result;
  result.songs = walk.NextSongs(std::numeric_limits<size_t>::max());
  result.passed_over = walk.PassedOver();
  result.unreadable = walk.UnreadableFolders();
  return result;
}

}  // namespace tarvello
