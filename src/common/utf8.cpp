#include "common/utf8.h"

#include <cstddef>
#include <cstdint>

#include <unicode/ustring.h>

namespace tarvello {
bool IsUtf8Text(std::string_view bytes) {
  size_t sequences = 0;
  size_t i = 0;
  while (i < bytes.size()) {
    const auto byte = static_cast<uint8_t>(bytes[i]);
    if (byte < 0x80) {
      ++i;
      continue;
    }
    // A continuation byte without its lead, or a byte UTF-8 never uses, means the text is
    // in another encoding: Shift-JIS kana such as "の" (82 CC) hold both kinds, and
    // decoding them as UTF-8 would turn the whole text into substitution characters.
    const size_t trail = Utf8TrailCount(byte);
    if (trail == 0) return false;
    // A sequence cut by the end of the text is as broken as one with a wrong byte.
    if (bytes.size() - i - 1 < trail) return false;
    for (size_t k = 1; k <= trail; ++k) {
      if (!IsUtf8Continuation(static_cast<uint8_t>(bytes[i + k]))) return false;
    }
    ++sequences;
    i += trail + 1;
  }
  return sequences > 0;
}

bool IsWellFormedUtf8(std::string_view bytes) {
  if (bytes.empty()) return true;
  // Measuring the UTF-16 length checks every sequence without converting anything.
  UErrorCode status = U_ZERO_ERROR;
  int32_t length = 0;
  u_strFromUTF8(nullptr, 0, &length, bytes.data(), static_cast<int32_t>(bytes.size()), &status);
  return status == U_BUFFER_OVERFLOW_ERROR || U_SUCCESS(status);
}

}  // namespace tarvello
