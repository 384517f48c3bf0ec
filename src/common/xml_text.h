#pragma once

// Text routines of the library readers: entity references, file URLs, integer values.

#include <cstdint>
#include <string>
#include <string_view>

namespace tarvello {

// Replaces the character and entity references of an XML text, working on bytes. A numeric
// reference gives its character's UTF-8 bytes; one whose digits are not a number, an
// unknown name and an empty name ("&;") stay as written, and so does an "&" with no ";"
// after it. The replacement is never scanned again.
std::string DecodeXmlEntities(std::string_view text);

// The native path of a library location. "file://localhost/" and "file:///" URLs lose the
// scheme and host, keep their leading "/", drop one trailing "/" and have their "%XX"
// escapes decoded; a "/C:" form loses its first "/". Anything else comes back unchanged,
// and so does a "%" that is not followed by two hexadecimal digits. The bare root URL gives
// the empty path: a location that names no file.
std::string FileUrlToPath(std::string_view url);

// The text with each "%XX" escape (two hexadecimal digits) replaced by its byte; a "%"
// without two such digits stays as written.
std::string DecodePercentEscapes(std::string_view text);

// The standard conversion of an integer text: optional sign, decimal digits, or hexadecimal
// digits after "$" or "0x"; a text that is not such a number, or does not fit, gives 0.
int32_t IntegerValue(std::string_view text);
int64_t Integer64Value(std::string_view text);

// The low 16 bits of an integer, as the 16-bit fields of a record keep it.
constexpr int16_t Low16Bits(int64_t value) {
  return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint64_t>(value) & 0xFFFFu));
}

// The low 32 bits of a wider integer, wrapping as the 32-bit fields keep it.
constexpr int32_t Low32Bits(int64_t value) {
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value) & 0xFFFFFFFFu));
}

}  // namespace tarvello
