#pragma once

// The settings file: window size and place, column widths, the start-up drive and the
// output options. CP932 text with CR LF line ends.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "output/output_options.h"

namespace tarvello {

inline constexpr int kListColumnCount = 11;
inline constexpr int kDefaultColumnWidth = 80;
inline constexpr int kCentreMarker = -9999;

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

// Overwrites each value of `settings` that the file's bytes supply.
void ReadSettings(std::string_view bytes, Settings& settings);
// The whole file for these values.
std::string WriteSettings(const Settings& settings);

}  // namespace tarvello
