#include "convert/misread_shift_jis.h"

#include <unicode/utf8.h>

#include <optional>

#include "common/cp932.h"

namespace tarvello {
namespace {

// The bytes a text of Latin-1 characters stands for; nullopt when it holds any other.
std::optional<std::string> Latin1Bytes(const std::string& utf8) {
  std::string bytes;
  const auto* text = reinterpret_cast<const uint8_t*>(utf8.data());
  const auto length = static_cast<int32_t>(utf8.size());
  for (int32_t at = 0; at < length;) {
    UChar32 character = 0;
    U8_NEXT(text, at, length, character);
    if (character < 0 || character > 0xFF) return std::nullopt;
    bytes.push_back(static_cast<char>(character));
  }
  return bytes;
}

bool IsTrailByte(unsigned char byte) {
  return byte >= 0x40 && byte <= 0xFC && byte != 0x7F;
}

// Well-formed CP932 outside the user-defined area, with a double-byte character whose
// trail byte is not ASCII.
bool LooksLikeShiftJis(const std::string& bytes) {
  bool high_trail = false;
  for (size_t at = 0; at < bytes.size(); ++at) {
    const auto byte = static_cast<unsigned char>(bytes[at]);
    if (byte < 0x80 || (byte >= 0xA1 && byte <= 0xDF)) continue;  // ASCII, half-width kana
    const bool user_defined = byte >= 0xF0 && byte <= 0xF9;
    if (!IsCp932LeadByte(byte) || user_defined || at + 1 == bytes.size()) return false;
    const auto trail = static_cast<unsigned char>(bytes[++at]);
    if (!IsTrailByte(trail)) return false;
    high_trail = high_trail || trail >= 0x80;
  }
  return high_trail;
}

}  // namespace

std::string RepairMisreadShiftJis(const std::string& utf8) {
  const std::optional<std::string> bytes = Latin1Bytes(utf8);
  if (!bytes || !LooksLikeShiftJis(*bytes)) return utf8;
  const std::string repaired = Cp932ToUtf8(*bytes);
  // A pair CP932 leaves unmapped would turn into a replacement: keep what FFmpeg read.
  if (repaired.find("\xEF\xBF\xBD") != std::string::npos ||
      repaired.find('\x1A') != std::string::npos) {
    return utf8;
  }
  return repaired;
}

void RepairMisreadShiftJis(SongTags& tags) {
  for (std::string* text : {&tags.title, &tags.artist, &tags.album, &tags.genre, &tags.composer,
                            &tags.comment, &tags.grouping}) {
    *text = RepairMisreadShiftJis(*text);
  }
}

}  // namespace tarvello
