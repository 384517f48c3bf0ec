#pragma once

#include <string_view>

#include <cstddef>
#include <cstdint>

namespace tarvello {

// Number of continuation bytes a UTF-8 lead byte announces; 0 for any other byte.
constexpr size_t Utf8TrailCount(uint8_t byte) {
  if (byte >= 0xC0 && byte <= 0xDF) return 1;
  if (byte >= 0xE0 && byte <= 0xEF) return 2;
  if (byte >= 0xF0 && byte <= 0xF7) return 3;
  return 0;
}

constexpr bool IsUtf8Continuation(uint8_t byte) {
  return byte >= 0x80 && byte <= 0xBF;
}

// True when the bytes hold at least one well-formed UTF-8 multi-byte sequence and no
// broken one; pure ASCII is not taken as UTF-8.
bool IsUtf8Text(std::string_view bytes);

// True when the bytes are well-formed UTF-8 throughout (the empty text is): what a text
// typed on a UTF-8 desktop always is.
bool IsWellFormedUtf8(std::string_view bytes);

}  // namespace tarvello
