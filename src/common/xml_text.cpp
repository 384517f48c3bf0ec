#include "common/xml_text.h"

#include <array>
#include <limits>
#include <optional>

#include "common/text_tools.h"

namespace tarvello {
namespace {

constexpr std::string_view kLocalhostUrl = "file://localhost/";
constexpr std::string_view kEmptyHostUrl = "file:///";
constexpr uint32_t kLastCodePoint = 0x10FFFF;

// Digits in `base`, all of the text, no sign; nullopt when they are not such a number or
// pass `limit`.
std::optional<uint64_t> UnsignedDigits(std::string_view digits, int base, uint64_t limit) {
  // An unsigned type takes no sign, so "+5" or "-5" is no number.
  const std::optional<uint64_t> value = ParseInteger<uint64_t>(digits, base);
  if (!value || *value > limit) return std::nullopt;
  return value;
}

// The code point of a numeric reference's name without its "#": decimal, or hexadecimal
// after "x", "X" or "$".
std::optional<uint32_t> NumericReference(std::string_view number) {
  std::optional<uint64_t> value;
  if (!number.empty() && (number[0] == 'x' || number[0] == 'X' || number[0] == '$')) {
    value = UnsignedDigits(number.substr(1), 16, kLastCodePoint);
  } else {
    value = UnsignedDigits(number, 10, kLastCodePoint);
  }
  if (!value) return std::nullopt;
  return static_cast<uint32_t>(*value);
}

// A code point's UTF-8 bytes; false for a surrogate, which UTF-8 cannot hold.
bool AppendUtf8(uint32_t code, std::string& out) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code >= 0xD800 && code <= 0xDFFF) {
    return false;
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
  return true;
}

// The replacement of the reference named `name`; false when it stays as written.
bool AppendReference(std::string_view name, std::string& out) {
  if (!name.empty() && name[0] == '#') {
    const std::optional<uint32_t> code = NumericReference(name.substr(1));
    return code && AppendUtf8(*code, out);
  }
  struct Named {
    std::string_view name;
    char character;
  };
  static constexpr std::array<Named, 6> kNames{
      {{"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"apos", '\''}, {"quot", '"'}, {"nbsp", ' '}}};
  for (const Named& named : kNames) {
    if (EqualsIgnoringCase(name, named.name)) {
      out += named.character;
      return true;
    }
  }
  return false;
}

template <typename Int>
Int SignedValue(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (!text.empty() && text[0] == '$') {
    base = 16;
    text.remove_prefix(1);
  } else if (text.size() > 1 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  // The magnitude of the most negative value is one more than the largest positive one.
  const uint64_t limit =
      static_cast<uint64_t>(std::numeric_limits<Int>::max()) + (negative ? 1 : 0);
  const std::optional<uint64_t> magnitude = UnsignedDigits(text, base, limit);
  if (!magnitude) return 0;
  if (!negative) return static_cast<Int>(*magnitude);
  return static_cast<Int>(-static_cast<Int>(*magnitude - 1) - 1);
}

}  // namespace

std::string DecodePercentEscapes(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      const int high = HexDigitValue(text[i + 1]);
      const int low = HexDigitValue(text[i + 2]);
      if (high >= 0 && low >= 0) {
        out += static_cast<char>(high * 16 + low);
        i += 2;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

std::string DecodeXmlEntities(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t at = 0;
  while (at < text.size()) {
    const size_t amp = text.find('&', at);
    if (amp == std::string_view::npos) {
      out.append(text.substr(at));
      break;
    }
    out.append(text.substr(at, amp - at));
    const size_t semicolon = text.find(';', amp + 1);
    if (semicolon == std::string_view::npos) {
      // No reference can follow: the rest is plain text.
      out.append(text.substr(amp));
      break;
    }
    const std::string_view name = text.substr(amp + 1, semicolon - amp - 1);
    if (!AppendReference(name, out)) out.append(text.substr(amp, semicolon - amp + 1));
    at = semicolon + 1;
  }
  return out;
}

std::string FileUrlToPath(std::string_view url) {
  std::string_view rest;
  if (url.starts_with(kLocalhostUrl)) {
    rest = url.substr(kLocalhostUrl.size() - 1);  // keeps the "/"
  } else if (url.starts_with(kEmptyHostUrl)) {
    rest = url.substr(kEmptyHostUrl.size() - 1);
  } else {
    return std::string(url);
  }
  // "/C:/Users/..." written by a Windows library: a drive path, which does not exist here.
  if (rest.size() >= 3 && rest[1] >= 'A' && rest[1] <= 'Z' && rest[2] == ':') rest.remove_prefix(1);
  if (rest.ends_with('/')) rest.remove_suffix(1);
  return DecodePercentEscapes(rest);
}

int32_t IntegerValue(std::string_view text) {
  return SignedValue<int32_t>(text);
}

int64_t Integer64Value(std::string_view text) {
  return SignedValue<int64_t>(text);
}

}  // namespace tarvello
