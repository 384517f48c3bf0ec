#include "sources/folder_walk.h"

#include <sys/stat.h>
#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/stringpiece.h>

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

class NaturalCollator : public TextCollator {
 public:
  explicit NaturalCollator(std::unique_ptr<icu::Collator> collator)
      : collator_(std::move(collator)) {}
  int Compare(const std::string& a, const std::string& b) const override {
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult result =
        collator_->compareUTF8(icu::StringPiece(a), icu::StringPiece(b), status);
    if (U_FAILURE(status)) return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
    return static_cast<int>(result);
  }

 private:
  std::unique_ptr<icu::Collator> collator_;
};

// Without collation data the bytes decide.
class BytesCollator : public TextCollator {
 public:
  int Compare(const std::string& a, const std::string& b) const override {
    const int result = a.compare(b);
    return result < 0 ? -1 : (result > 0 ? 1 : 0);
  }
  std::optional<std::string> CollationKey(const std::string& text) const override { return text; }
};

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

std::unique_ptr<TextCollator> MakeNaturalCollator() {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::Collator> collator(
      icu::Collator::createInstance(icu::Locale::getDefault(), status));
  if (U_FAILURE(status) || !collator) return std::make_unique<BytesCollator>();
  collator->setAttribute(UCOL_NUMERIC_COLLATION, UCOL_ON, status);
  if (U_FAILURE(status)) return std::make_unique<BytesCollator>();
  return std::make_unique<NaturalCollator>(std::move(collator));
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
