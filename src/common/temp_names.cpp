#include <cstdio>

#include "common/common_routine.h"

namespace tarvello {
namespace {

std::string FiveDigits(int32_t number) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%.5d", number);
  return digits;
}

}  // namespace

std::string MakeTempFileName(FileSystem& files, TempNameCounter& counter, const std::string& folder,
                             const std::string& prefix, const std::string& extension) {
  for (;;) {
    std::string name = folder + "~" + prefix + FiveDigits(counter.Next()) + "." + extension;
    // A folder of that name would make the name just as unusable as a file.
    if (!files.FileExists(name) && !files.DirectoryExists(name)) return name;
  }
}

}  // namespace tarvello
