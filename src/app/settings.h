#pragma once

// The settings file: window size and place, column widths, the start-up drive and the
// output options. CP932 text with CR LF line ends.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarvello {

inline constexpr int kListColumnCount = 11;
inline constexpr int kDefaultColumnWidth = 80;
inline constexpr int kCentreMarker = -9999;

struct TOutputOptions {
  std::string OutDir = "\\PRIVATE\\AU\\DF\\D_SD";  // CP932, backslash form
  std::string Prefix = "SDS";
  std::string Ext = "3G2";
  uint8_t TitleFormat = 0;
  uint8_t Separator = 0;
  bool AutoImport = true;
  bool BackupBeforeOutput = true;

  bool operator==(const TOutputOptions&) const = default;
};

// The separators of the title formats, CP932 bytes, indexed by TOutputOptions::Separator.
inline constexpr std::array<std::string_view, 8> kSeparators = {
    "\x81\x5E", "_", "-", "~", "=", "@", "\xA4", "\xA5"};
// The separator for an index; an index beyond the table gives the first one.
std::string_view SeparatorAt(uint8_t index);

// Everything the settings file holds.
struct Settings {
  int height = 0;
  int width = 0;
  int top = kCentreMarker;
  int left = kCentreMarker;
  std::array<int, kListColumnCount> column_widths{};
  std::string out_drive;  // mount point of the start-up drive; empty for none
  TOutputOptions options;

  Settings() { column_widths.fill(kDefaultColumnWidth); }

  bool operator==(const Settings&) const = default;
};

// The OutDir rule: a leading backslash is ensured and one trailing backslash removed,
// unless the text is exactly "\".
std::string NormalizeOutDir(std::string_view out_dir);

// Overwrites each value of `settings` that the file's bytes supply.
void ReadSettings(std::string_view bytes, Settings& settings);
// The whole file for these values.
std::string WriteSettings(const Settings& settings);

}  // namespace tarvello
