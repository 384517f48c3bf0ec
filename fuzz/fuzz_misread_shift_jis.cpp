// Feeds arbitrary text to the repair of Shift-JIS tags read as Latin-1: the result is
// always well-formed UTF-8, and text that is not all Latin-1 is never touched.

#include <unicode/utf8.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "convert/misread_shift_jis.h"

namespace {

bool IsWellFormedUtf8(const std::string& text) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  const auto length = static_cast<int32_t>(text.size());
  for (int32_t at = 0; at < length;) {
    UChar32 character = 0;
    U8_NEXT(bytes, at, length, character);
    if (character < 0) return false;
  }
  return true;
}

bool AllLatin1(const std::string& text) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  const auto length = static_cast<int32_t>(text.size());
  for (int32_t at = 0; at < length;) {
    UChar32 character = 0;
    U8_NEXT(bytes, at, length, character);
    if (character < 0 || character > 0xFF) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::string repaired = tarvello::RepairMisreadShiftJis(text);
  if (!AllLatin1(text) && repaired != text) std::abort();
  if (repaired != text && !IsWellFormedUtf8(repaired)) std::abort();
  return 0;
}
