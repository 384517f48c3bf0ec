#include "catalogue/m4a_info.h"

#include <exception>
#include <string_view>

#include "catalogue/m4a_reader.h"
#include "catalogue/track_json.h"

namespace tarvello {
namespace {

// Output is written in blocks of about this size rather than line by line.
constexpr size_t kOutputBlockSize = 64 * 1024;

// The first line of an error's text: a file error's second line is the path, which the
// JSON line holds already.
std::string FirstLine(const std::exception& error) {
  const std::string_view text = error.what();
  return std::string(text.substr(0, text.find("\r\n")));
}

// Reads one file into `track`; when it is refused or cannot be read, false with the
// reason in `reason` and a message on `err`.
bool ReadOne(FileSystem& files, const std::string& path, TTrackInfo& track, std::string& reason,
             std::ostream& err) {
  try {
    const M4aVerdict verdict = ReadM4aRecord(files, track, path, path);
    if (verdict.Accepted()) return true;
    reason = RefusalText(verdict);
    err << "not an M4A song (" << reason << "): " << path << "\n";
  } catch (const std::exception& error) {
    reason = FirstLine(error);
    err << error.what() << "\n";
  }
  return false;
}

}  // namespace

int WriteM4aInfo(FileSystem& files, const std::vector<std::string>& paths, std::ostream& out,
                 std::ostream& err) {
  int status = 0;
  TTrackInfo track;  // each read zero-fills it first
  std::string reason;
  std::string block;
  block.reserve(kOutputBlockSize + 4096);
  for (const std::string& path : paths) {
    if (ReadOne(files, path, track, reason, err)) {
      AppendTrackJson(block, path, track);
    } else {
      AppendRefusedJson(block, path, reason);
      status = 1;
    }
    block += '\n';
    if (block.size() >= kOutputBlockSize) {
      out.write(block.data(), static_cast<std::streamsize>(block.size()));
      block.clear();
    }
  }
  out.write(block.data(), static_cast<std::streamsize>(block.size()));
  out.flush();
  return status;
}

}  // namespace tarvello
