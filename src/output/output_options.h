#pragma once

// The output options that the run and the management files work by. The settings file
// stores them; the options dialog edits them.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/cp932.h"

namespace tarvello {

// What a new installation outputs to and names its songs by.
inline constexpr std::string_view kDefaultOutDir = "\\PRIVATE\\AU\\DF\\D_SD";
inline constexpr std::string_view kDefaultPrefix = "SDS";
inline constexpr std::string_view kDefaultExt = "3G2";

// Prefix and Ext hold at most this many CP932 bytes; a full-width character takes two.
inline constexpr size_t kNamePartBytes = 3;

// A prefix or extension (CP932) cut to kNamePartBytes, never inside a double-byte character.
inline std::string NamePartOf(std::string_view cp932) {
  return std::string(TruncateToBytes(cp932, kNamePartBytes));
}

struct TOutputOptions {
  std::string OutDir{kDefaultOutDir};  // CP932, backslash form
  std::string Prefix{kDefaultPrefix};
  std::string Ext{kDefaultExt};
  uint8_t TitleFormat = 0;
  uint8_t Separator = 0;
  bool AutoImport = true;
  bool BackupBeforeOutput = true;

  bool operator==(const TOutputOptions&) const = default;
};

// The separators of the title formats, CP932 bytes, indexed by TOutputOptions::Separator.
inline constexpr std::array<std::string_view, 8> kSeparators = {"\x81\x5E", "_", "-",    "~",
                                                                "=",        "@", "\xA4", "\xA5"};

// The separator for an index; an index beyond the table gives the first one.
inline std::string_view SeparatorAt(uint8_t index) {
  return index < kSeparators.size() ? kSeparators[index] : kSeparators[0];
}

}  // namespace tarvello
