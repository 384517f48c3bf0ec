#pragma once

// The small text helpers every reader needs: trimming, whole-text integers, hexadecimal
// digits and ASCII case-insensitive comparison. Bytes, not characters: nothing here
// looks at the locale.

#include <charconv>
#include <concepts>
#include <optional>
#include <string_view>

namespace tarvello {

// Which bytes a trim takes off.
using BlankTest = bool (*)(char);

// The one definition of blank: ASCII white space (space, tab, LF, VT, FF, CR).
constexpr bool IsBlank(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

// Every byte of code 32 or less: the control characters too, as the legacy files and the
// line scanners of the players' XML take them.
constexpr bool IsSpaceOrControl(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}

constexpr std::string_view TrimStart(std::string_view text, BlankTest blank = IsBlank) {
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  return text;
}

constexpr std::string_view TrimEnd(std::string_view text, BlankTest blank = IsBlank) {
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

constexpr std::string_view Trim(std::string_view text, BlankTest blank = IsBlank) {
  return TrimEnd(TrimStart(text, blank), blank);
}

// The whole text as an integer of type T in `base`, as std::from_chars reads it: no
// blanks, no "+", a "-" only for signed types. nullopt for anything else or a value
// out of T's range.
template <std::integral T>
std::optional<T> ParseInteger(std::string_view text, int base = 10) {
  T value{};
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value, base);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  return value;
}

// The value of a hexadecimal digit of either case; -1 for any other byte.
constexpr int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

constexpr char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Equal when only the case of ASCII letters differs.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);
bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix);

}  // namespace tarvello
