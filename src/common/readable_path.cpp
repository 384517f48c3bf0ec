#include "common/common_routine.h"

namespace tarvello {
namespace {

// Names taken between the free-name test and the copy before the copy gives up. Only
// another program racing for the same names takes them, and not this often.
constexpr int kTakenNamesAllowed = 100;

}  // namespace

std::string GetReadablePath(FileSystem& files, TempNameCounter& counter, const std::string& path,
                            bool copy_allowed, const std::string& folder, const std::string& prefix,
                            const std::string& extension) {
  if (!files.FileExists(path)) return {};
  if (files.OpenRead(path) != nullptr) return path;  // opened and closed at once
  if (!copy_allowed) return {};
  // Another program holds the file; a copy may still be readable. The copy is created
  // exclusively; a name someone else took meanwhile moves on to the next number.
  for (int attempt = 0; attempt <= kTakenNamesAllowed; ++attempt) {
    std::string copy = MakeTempFileName(files, counter, folder, prefix, extension);
    switch (files.CopyToNewFile(path, copy)) {
      case NewFileResult::kCopied:
        return copy;
      case NewFileResult::kExists:
        continue;
      case NewFileResult::kFailed:
        return {};
    }
  }
  return {};
}

}  // namespace tarvello
