#pragma once

// The CP932 (Shift-JIS) text the phone and the settings file use, whatever the
// desktop's locale. Characters that CP932 maps only one way (〜, −, —, ¥, ...) take the
// code Japanese Windows gives them; characters with no mapping at all become "?". A song
// record's texts take the closest CP932 forms instead (common/closest_cp932.h).

#include <cstddef>
#include <string>
#include <string_view>

namespace tarvello {

std::string Utf8ToCp932(std::string_view utf8);
std::string Utf16ToCp932(std::u16string_view utf16);
std::string Cp932ToUtf8(std::string_view cp932);

// True for a byte that starts a double-byte CP932 character.
constexpr bool IsCp932LeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// The length of the longest start of `text` that holds whole characters only and at most
// `limit` bytes. A lead byte at the very end, with no byte left to complete it, is half a
// character and is left out too.
constexpr size_t Cp932CutLength(std::string_view text, size_t limit) {
  size_t length = 0;
  while (length < text.size()) {
    const size_t width = IsCp932LeadByte(static_cast<unsigned char>(text[length])) ? 2 : 1;
    if (length + width > text.size() || length + width > limit) break;
    length += width;
  }
  return length;
}

// That start of `text` itself.
constexpr std::string_view TruncateToBytes(std::string_view text, size_t max_bytes) {
  return text.substr(0, Cp932CutLength(text, max_bytes));
}

}  // namespace tarvello
