#include "output/output_folder_rule.h"

#include "common/cp932.h"
#include "output/drives.h"

namespace tarvello {

bool OutDirHasDotParts(std::string_view out_dir) {
  const std::string path = Cp932ToUtf8(out_dir);
  size_t begin = 0;
  while (begin <= path.size()) {
    size_t end = path.find_first_of("\\/", begin);
    if (end == std::string::npos) end = path.size();
    const std::string_view part = std::string_view(path).substr(begin, end - begin);
    if (part == "." || part == "..") return true;
    begin = end + 1;
  }
  return false;
}

std::string OutputFolderRefusal(Volumes& volumes, const std::string& root,
                                const std::string& out_dir) {
  const std::string folder = OutputFolderPath(root, out_dir);
  if (OutDirHasDotParts(out_dir)) return std::string(kOutDirDotParts) + "\r\n" + folder;
  if (!volumes.HoldsFolder(root, folder)) return std::string(kFolderOffVolume) + "\r\n" + folder;
  return {};
}

}  // namespace tarvello
