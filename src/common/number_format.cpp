#include "common/number_format.h"

#include <unicode/dcfmtsym.h>
#include <unicode/locid.h>

#include <cstdlib>
#include <string_view>

namespace tarvello {
namespace {

// Digits of a magnitude, grouped in threes from the right.
std::string GroupDigits(uint64_t magnitude, const std::string& grouping) {
  const std::string digits = std::to_string(magnitude);
  std::string grouped;
  grouped.reserve(digits.size() + digits.size() / 3 * grouping.size());
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += grouping;
    grouped += digits[i];
  }
  return grouped;
}

// Magnitude without overflow, also for the most negative value.
uint64_t Magnitude(int64_t number) {
  return number < 0 ? uint64_t{0} - static_cast<uint64_t>(number) : static_cast<uint64_t>(number);
}

std::string FormatWhole(int64_t number, const NumberSymbols& symbols) {
  std::string text = number < 0 ? "-" : "";
  return text + GroupDigits(Magnitude(number), symbols.grouping);
}

// size / divisor with `decimals` (1 or 2) decimals. The value is first rounded half up to
// two decimals and only then cut to one, so 1048575 bytes read "1,024.0" KB. Exact
// integer arithmetic keeps large sizes and ties free of floating-point error.
std::string FormatScaled(int64_t size, int64_t divisor, int decimals,
                         const NumberSymbols& symbols) {
  const uint64_t value = static_cast<uint64_t>(size);
  const uint64_t unit = static_cast<uint64_t>(divisor);
  const uint64_t hundredths = value / unit * 100 + (value % unit * 100 + unit / 2) / unit;
  std::string text = GroupDigits(hundredths / 100, symbols.grouping) + symbols.decimal;
  const uint64_t fraction = hundredths % 100;
  text += static_cast<char>('0' + fraction / 10);
  if (decimals == 2) text += static_cast<char>('0' + fraction % 10);
  return text;
}

std::string UnicodeToUtf8(const icu::UnicodeString& text) {
  std::string out;
  text.toUTF8String(out);
  return out;
}

// The locale that governs numbers, named the POSIX way: LC_ALL, then LC_NUMERIC, then LANG.
std::string NumericLocaleName() {
  for (const char* name : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return value;
  }
  return "C";
}

}  // namespace

NumberSymbols NumberSymbols::FromLocaleName(const std::string& posix_name) {
  // "de_DE.UTF-8@euro" -> "de_DE"; "C" and "POSIX" read like en_US_POSIX.
  std::string name = posix_name.substr(0, posix_name.find_first_of(".@"));
  if (name.empty() || name == "C" || name == "POSIX") name = "en_US_POSIX";
  UErrorCode status = U_ZERO_ERROR;
  const icu::DecimalFormatSymbols icu_symbols(icu::Locale::createFromName(name.c_str()), status);
  NumberSymbols symbols;
  if (U_FAILURE(status)) return symbols;
  const std::string grouping =
      UnicodeToUtf8(icu_symbols.getSymbol(icu::DecimalFormatSymbols::kGroupingSeparatorSymbol));
  const std::string decimal =
      UnicodeToUtf8(icu_symbols.getSymbol(icu::DecimalFormatSymbols::kDecimalSeparatorSymbol));
  if (!grouping.empty()) symbols.grouping = grouping;
  if (!decimal.empty()) symbols.decimal = decimal;
  return symbols;
}

NumberSymbols NumberSymbols::FromLocale() {
  return FromLocaleName(NumericLocaleName());
}

std::string FormatFileSize(int64_t size, const NumberSymbols& symbols) {
  constexpr int64_t kKilo = 1024;
  constexpr int64_t kMega = kKilo * 1024;
  constexpr int64_t kGiga = kMega * 1024;
  // The comparisons are signed: a negative size reads as bytes.
  if (size < kKilo) return FormatWhole(size, symbols) + " バイト";
  if (size < kMega) return FormatScaled(size, kKilo, 1, symbols) + " KB";
  if (size < kGiga) return FormatScaled(size, kMega, 2, symbols) + " MB";
  return FormatScaled(size, kGiga, 2, symbols) + " GB";
}

std::string FormatThousands(int32_t number, const NumberSymbols& symbols) {
  return FormatWhole(number, symbols);
}

std::string FormatKilohertz(int32_t hertz, const NumberSymbols& symbols) {
  const int64_t value = hertz;
  std::string text =
      (value < 0 ? "-" : "") + GroupDigits(Magnitude(value / 1000), symbols.grouping);
  std::string decimals = std::to_string(Magnitude(value % 1000) + 1000).substr(1);
  while (!decimals.empty() && decimals.back() == '0') decimals.pop_back();
  if (!decimals.empty()) text += symbols.decimal + decimals;
  return text + " kHz";
}

}  // namespace tarvello
