#pragma once

// Reading XML text line by line, as the library and track-list scanners do: no XML parser,
// only trimmed lines and the tags they begin with.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "common/text_tools.h"
#include "platform/platform.h"

namespace tarvello {

// The XML declaration the scanners insist on: the first 256 bytes, up to the first zero
// byte and after leading blanks and control characters, begin with this text.
inline constexpr std::string_view kXmlDeclarationStart = "<?xml version=\"1.0\"";

// Reads the file's first 256 bytes from its start and tests them for the declaration.
bool HasXmlDeclaration(ByteFile& file);

// The line without leading and trailing characters of code 32 or less.
constexpr std::string_view TrimLine(std::string_view line) {
  return Trim(line, IsSpaceOrControl);
}

// The text between the first `open` tag anywhere in the line and the first `close` tag
// after it; nullopt when either is missing.
std::optional<std::string_view> TagValue(std::string_view line, std::string_view open,
                                         std::string_view close);

// The lines of a file: a line ends at LF or CR LF, and a CR not followed by LF is dropped
// from its line. Reads in large blocks; a line longer than a block grows the buffer.
class LineReader {
 public:
  explicit LineReader(ByteFile& file, size_t block_size = kDefaultBlockSize);

  // The next line, valid until the next call; false at the end of the file.
  bool Next(std::string_view& line);

  // Reads on to the first line whose trimmed text begins with `prefix` and returns it (as
  // Next would); false when no line does. Blocks without a stray CR are searched whole
  // rather than line by line.
  bool SkipTo(std::string_view prefix, std::string_view& line);

  static constexpr size_t kDefaultBlockSize = size_t{1} << 20;
  static constexpr size_t kSmallestBuffer = 16;

 private:
  // Reads more of the file behind the unread bytes; false at the end of the file.
  bool Fill();
  // True when bytes [from, to) of the buffer hold a CR. The first CR at or after `from`
  // is remembered, so that text without CRs is searched once per block, not per line.
  bool HoldsCr(size_t from, size_t to);
  // Hands out bytes [begin, end) of the buffer as a line and moves past `next`.
  std::string_view TakeLine(size_t begin, size_t end, size_t next);
  enum class Search { kFound, kNotFound, kLineByLine };
  // Searches the whole lines in the buffer for `prefix` and moves past them when none
  // begins with it; kLineByLine when they hold a stray CR.
  Search SearchWholeLines(std::string_view prefix, std::string_view& line);

  ByteFile& file_;
  std::string buffer_;
  size_t begin_ = 0;    // first unread byte
  size_t end_ = 0;      // end of the bytes read
  size_t scanned_ = 0;  // bytes from begin_ on known to hold no LF
  bool at_end_ = false;
  size_t next_cr_ = std::string::npos;  // the first CR from the latest search on; npos: none yet
  std::string clean_;                   // a line with its stray CRs dropped
};

}  // namespace tarvello
