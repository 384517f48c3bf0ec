// Existence checks for many files at once. The song list asks for thousands of files
// that mostly share a few folders; one listing of a folder answers all of its files for
// the cost of a few system calls, where a stat per file costs one call each. The listing
// only answers where it is sure to agree with the one-file test; everything else is
// asked one by one.

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <memory>
#include <string_view>
#include <unordered_map>

#include "platform/posix/posix_file_system.h"

namespace tarvello {
namespace {

// Below this many paths in one folder, asking for each file is cheaper than a listing.
constexpr size_t kListingThreshold = 16;

struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};

// The folder and the name of a path; no folder when the path has no usable "/".
struct SplitPath {
  std::string_view folder;
  std::string_view name;
};

std::optional<SplitPath> Split(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos || slash + 1 == path.size()) return std::nullopt;
  const std::string_view name = std::string_view(path).substr(slash + 1);
  if (name == "." || name == "..") return std::nullopt;
  return SplitPath{std::string_view(path).substr(0, slash == 0 ? 1 : slash), name};
}

enum class Answer { kExists, kMissing, kAsk };

// What a folder entry's type says about "a file exists here" (anything but a folder).
Answer FromEntryType(unsigned char type) {
  switch (type) {
    case DT_DIR:
      return Answer::kMissing;
    case DT_LNK:
    case DT_UNKNOWN:
      return Answer::kAsk;  // the target decides
    default:
      return Answer::kExists;
  }
}

// The folder's listing, when the folder may also be searched: a listing of a folder
// without search permission names files that cannot be reached. nullptr otherwise.
DIR* OpenSearchable(std::string_view folder) {
  const std::string path(folder);
  if (faccessat(AT_FDCWD, path.c_str(), X_OK, AT_EACCESS) != 0) return nullptr;
  return opendir(path.c_str());
}

}  // namespace

std::vector<bool> PosixFileSystem::FilesExist(const std::vector<std::string>& paths) {
  std::vector<bool> exists(paths.size(), false);
  // Paths grouped by folder: name -> indexes of the paths that ask for it.
  std::unordered_map<std::string_view, std::unordered_map<std::string_view, std::vector<size_t>>>
      folders;
  std::vector<size_t> one_by_one;
  for (size_t i = 0; i < paths.size(); ++i) {
    const std::optional<SplitPath> split = Split(paths[i]);
    if (!split) {
      one_by_one.push_back(i);
      continue;
    }
    folders[split->folder][split->name].push_back(i);
  }
  for (auto& [folder, names] : folders) {
    size_t asked = 0;
    for (const auto& [name, indexes] : names) asked += indexes.size();
    std::unique_ptr<DIR, DirCloser> dir(asked >= kListingThreshold ? OpenSearchable(folder)
                                                                   : nullptr);
    if (!dir) {
      for (const auto& [name, indexes] : names)
        one_by_one.insert(one_by_one.end(), indexes.begin(), indexes.end());
      continue;
    }
    while (const dirent* entry = readdir(dir.get())) {
      const auto found = names.find(std::string_view(entry->d_name));
      if (found == names.end()) continue;
      const Answer answer = FromEntryType(entry->d_type);
      for (size_t index : found->second) {
        if (answer == Answer::kAsk) {
          one_by_one.push_back(index);
        } else {
          exists[index] = answer == Answer::kExists;
        }
      }
      names.erase(found);
    }
    // A name the listing lacks may still open: a card's file system ignores case.
    for (const auto& [name, indexes] : names)
      one_by_one.insert(one_by_one.end(), indexes.begin(), indexes.end());
  }
  for (size_t index : one_by_one) exists[index] = FileExists(paths[index]);
  return exists;
}

}  // namespace tarvello
