#pragma once

// The CP932 (Shift-JIS) text the phone and the settings file use, whatever the
// desktop's locale. Characters CP932 cannot hold become "?".

#include <cstddef>
#include <string>
#include <string_view>

namespace tarvello {

std::string Utf8ToCp932(std::string_view utf8);
std::string Cp932ToUtf8(std::string_view cp932);

// True for a byte that starts a double-byte CP932 character.
constexpr bool IsCp932LeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// The length of the longest start of `text` that fits `limit` bytes without ending
// between the two bytes of a double-byte character.
constexpr size_t Cp932CutLength(std::string_view text, size_t limit) {
  if (text.size() <= limit) return text.size();
  size_t length = 0;
  while (length < limit) {
    const size_t width = IsCp932LeadByte(static_cast<unsigned char>(text[length])) ? 2 : 1;
    if (length + width > limit) break;
    length += width;
  }
  return length;
}

}  // namespace tarvello
