#pragma once

// Size and number texts, grouped and pointed with the user's locale symbols.

#include <cstdint>
#include <string>

namespace tarvello {

struct NumberSymbols {
  std::string grouping = ",";
  std::string decimal = ".";

  // The symbols of the locale named by the environment (LC_ALL, LC_NUMERIC, LANG).
  static NumberSymbols FromLocale();
  // The symbols of a POSIX locale name such as "de_DE.UTF-8"; "C" gives "," and ".".
  static NumberSymbols FromLocaleName(const std::string& posix_name);
};

// "0 バイト", "1.4 KB", "1.00 MB", "4.66 GB" (UTF-8).
std::string FormatFileSize(int64_t size, const NumberSymbols& symbols);
// "-1,234": a whole number grouped in thousands.
std::string FormatThousands(int32_t number, const NumberSymbols& symbols);
// A rate in hertz as kilohertz with the decimals it needs: "44.1 kHz", "48 kHz",
// "22.05 kHz".
std::string FormatKilohertz(int32_t hertz, const NumberSymbols& symbols);

}  // namespace tarvello
