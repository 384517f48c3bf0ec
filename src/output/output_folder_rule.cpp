#include "output/output_folder_rule.h"

#include "common/cp932.h"
#include "output/drives.h"
#include "output/output_messages.h"

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

OutputFolderBlock CheckOutputFolder(const TDriveInfo* drive, Volumes& volumes,
                                    const std::string& out_dir) {
  if (drive == nullptr) return OutputFolderBlock::kNoDrive;
  if (!drive->HasMedium) return OutputFolderBlock::kNoMedium;
  if (OutDirHasDotParts(out_dir)) return OutputFolderBlock::kDotParts;
  // A link inside the card must not carry the cleanup and the songs to another place.
  if (!volumes.HoldsFolder(drive->Root, OutputFolderPath(drive->Root, out_dir))) {
    return OutputFolderBlock::kOffVolume;
  }
  return OutputFolderBlock::kNone;
}

std::string OutputFolderRefusalText(OutputFolderBlock block, const std::string& folder) {
  switch (block) {
    case OutputFolderBlock::kDotParts:
      return WithLine(kOutDirDotParts, folder);
    case OutputFolderBlock::kOffVolume:
      return WithLine(kFolderOffVolume, folder);
    case OutputFolderBlock::kNone:
    case OutputFolderBlock::kNoDrive:
    case OutputFolderBlock::kNoMedium:
      break;
  }
  return {};
}

}  // namespace tarvello
