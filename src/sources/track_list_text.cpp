#include "sources/track_list_text.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "common/closest_cp932.h"
#include "common/cp932.h"
#include "common/utf8.h"

namespace tarvello {
namespace {

constexpr size_t kBlockSize = size_t{64} << 10;

// Where the bytes stop holding whole UTF-8 sequences: the start of a sequence that the end
// of `bytes` cuts, or the size when none is cut.
size_t WholeSequencesEnd(std::string_view bytes) {
  const size_t lookback = std::min<size_t>(bytes.size(), 3);
  for (size_t back = 1; back <= lookback; ++back) {
    const size_t at = bytes.size() - back;
    const auto byte = static_cast<uint8_t>(bytes[at]);
    if (IsUtf8Continuation(byte)) continue;
    return Utf8TrailCount(byte) >= back ? at : bytes.size();
  }
  return bytes.size();
}

}  // namespace

ListEncoding DetectListEncoding(ByteFile& file) {
  file.Seek(0);
  std::string pending;  // a sequence cut by the end of the last block, then the new block
  std::string block(kBlockSize, '\0');
  bool multi_byte = false;
  for (;;) {
    const size_t got = file.Read(block.data(), block.size());
    if (got == 0) break;
    pending.append(block, 0, got);
    const size_t whole = WholeSequencesEnd(pending);
    const std::string_view checked(pending.data(), whole);
    if (!IsWellFormedUtf8(checked)) return ListEncoding::kCp932;
    multi_byte = multi_byte || std::any_of(checked.begin(), checked.end(),
                                           [](char c) { return static_cast<uint8_t>(c) >= 0x80; });
    pending.erase(0, whole);
  }
  return pending.empty() && multi_byte ? ListEncoding::kUtf8 : ListEncoding::kCp932;
}

std::string ListTextToCp932(std::string_view value, ListEncoding encoding) {
  return encoding == ListEncoding::kUtf8 ? Utf8ToClosestCp932(value) : std::string(value);
}

std::string ListPathToNative(std::string_view value, ListEncoding encoding) {
  return encoding == ListEncoding::kUtf8 ? std::string(value) : Cp932ToUtf8(value);
}

}  // namespace tarvello
