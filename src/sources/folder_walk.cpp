#include "sources/folder_walk.h"

#include <sys/stat.h>
#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/stringpiece.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <set>
#include <string_view>
#include <utility>

namespace tarvello {
namespace {

namespace fs = std::filesystem;

constexpr std::array<std::string_view, 29> kMusicExtensions = {
    "mp3",  "m4a",  "m4b", "m4p", "mp4",  "m4v", "mov", "aac",  "adts", "3g2",
    "3gp",  "flac", "ogg", "oga", "opus", "spx", "wav", "wave", "aif",  "aiff",
    "aifc", "caf",  "wma", "asf", "ape",  "wv",  "mpc", "mka",  "webm"};

// A folder's identity, whatever link reached it.
using FolderId = std::pair<dev_t, ino_t>;

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

struct Entry {
  std::string name;
  bool is_folder = false;
};

class Walk {
 public:
  Walk(const TextCollator& natural, const std::function<bool()>& cancelled)
      : natural_(natural), cancelled_(cancelled) {}

  void Visit(const std::string& folder) {
    if (result_.cancelled || (cancelled_ && cancelled_())) {
      result_.cancelled = true;
      return;
    }
    struct stat status {};
    if (::stat(folder.c_str(), &status) != 0) return;
    if (!visited_.insert({status.st_dev, status.st_ino}).second) return;
    std::vector<Entry> entries = List(folder);
    std::sort(entries.begin(), entries.end(), [this](const Entry& a, const Entry& b) {
      return natural_.Compare(a.name, b.name) < 0;
    });
    for (const Entry& entry : entries) {
      const std::string path = folder + "/" + entry.name;
      if (entry.is_folder) {
        Visit(path);
      } else if (IsMusicFileName(entry.name)) {
        result_.songs.push_back(path);
      } else {
        ++result_.passed_over;
      }
    }
  }

  FolderWalkResult Take() { return std::move(result_); }

 private:
  // The folder's visible entries; links count as what they point at, and dangling ones
  // and devices are left out.
  static std::vector<Entry> List(const std::string& folder) {
    std::vector<Entry> entries;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
      std::string name = it->path().filename().string();
      if (name.starts_with('.')) continue;
      std::error_code type_error;
      const fs::file_status status = it->status(type_error);
      if (type_error) continue;
      if (fs::is_directory(status)) {
        entries.push_back({std::move(name), true});
      } else if (fs::is_regular_file(status)) {
        entries.push_back({std::move(name), false});
      }
    }
    return entries;
  }

  const TextCollator& natural_;
  const std::function<bool()>& cancelled_;
  std::set<FolderId> visited_;
  FolderWalkResult result_;
};

}  // namespace

bool IsMusicFileName(const std::string& name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0) return false;
  std::string extension = name.substr(dot + 1);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return std::find(kMusicExtensions.begin(), kMusicExtensions.end(), extension) !=
         kMusicExtensions.end();
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

FolderWalkResult WalkMusicFolder(const std::string& root, const TextCollator& natural,
                                 const std::function<bool()>& cancelled) {
  Walk walk(natural, cancelled);
  std::string folder = root;
  while (folder.size() > 1 && folder.ends_with('/')) folder.pop_back();
  walk.Visit(folder);
  return walk.Take();
}

}  // namespace tarvello
