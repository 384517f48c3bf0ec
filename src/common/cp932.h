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

// The longest leading part of `text` that holds whole characters only and at most
// `max_bytes` bytes. A lead byte at the very end, with no byte left to complete it, is
// half a character and is dropped too.
std::string_view TruncateToBytes(std::string_view text, size_t max_bytes);

}  // namespace tarvello
