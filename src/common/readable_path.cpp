#include "common/common_routine.h"

namespace tarvello {

std::string GetReadablePath(FileSystem& files, TempNameCounter& counter, const std::string& path,
                            bool copy_allowed, const std::string& folder, const std::string& prefix,
                            const std::string& extension) {
  if (!files.FileExists(path)) return {};
  if (files.OpenRead(path) != nullptr) return path;  // opened and closed at once
  if (!copy_allowed) return {};
  // Another program holds the file; a copy may still be readable.
  std::string copy = MakeTempFileName(files, counter, folder, prefix, extension);
  return files.CopyFile(path, copy) ? copy : std::string();
}

}  // namespace tarvello
