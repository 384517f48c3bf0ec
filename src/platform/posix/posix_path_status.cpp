#include "platform/posix/posix_path_status.h"

#include <sys/stat.h>

namespace tarvello {

std::optional<dev_t> DeviceOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return info.st_dev;
}

bool IsDirectory(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace tarvello
