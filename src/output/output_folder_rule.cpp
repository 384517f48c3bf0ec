#include "output/output_folder_rule.h"

#include "common/cp932.h"
#include "output/drives.h"

namespace tarvello {
namespace {

// True when the text's last character is a backslash; the second byte of a double-byte
// character may be 0x5C too, so the walk starts at the first byte.
bool EndsWithBackslash(std::string_view text) {
  bool last_is_backslash = false;
  size_t index = 0;
  while (index < text.size()) {
    const auto byte = static_cast<unsigned char>(text[index]);
    if (IsCp932LeadByte(byte) && index + 1 < text.size()) {
      last_is_backslash = false;
      index += 2;
    } else {
      last_is_backslash = byte == '\\';
      index += 1;
    }
  }
  return last_is_backslash;
}

}  // namespace

std::string NormalizeOutDir(std::string_view out_dir) {
  std::string result;
  if (out_dir.empty() || out_dir.front() != '\\') result = "\\";
  result.append(out_dir);
  if (result != "\\" && EndsWithBackslash(result)) result.pop_back();
  return result;
}

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
