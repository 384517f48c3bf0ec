#include "common/json_text.h"

#include <charconv>
#include <utility>

#include "common/cp932.h"

namespace tarvello {
namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";

bool InRange(std::string_view bytes, size_t at, uint8_t low, uint8_t high) {
  if (at >= bytes.size()) return false;
  const auto byte = static_cast<uint8_t>(bytes[at]);
  return byte >= low && byte <= high;
}

// Length of the well-formed UTF-8 character at `at`, or 0 when there is none.
size_t CharacterLength(std::string_view bytes, size_t at) {
  const auto lead = static_cast<uint8_t>(bytes[at]);
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return InRange(bytes, at + 1, 0x80, 0xBF) ? 2 : 0;
  if (lead >= 0xE0 && lead <= 0xEF) {
    // No overlong forms (E0 80..9F) and no surrogates (ED A0..BF).
    const uint8_t low = lead == 0xE0 ? 0xA0 : 0x80;
    const uint8_t high = lead == 0xED ? 0x9F : 0xBF;
    return InRange(bytes, at + 1, low, high) && InRange(bytes, at + 2, 0x80, 0xBF) ? 3 : 0;
  }
  if (lead >= 0xF0 && lead <= 0xF4) {
    // Nothing overlong, nothing past U+10FFFF.
    const uint8_t low = lead == 0xF0 ? 0x90 : 0x80;
    const uint8_t high = lead == 0xF4 ? 0x8F : 0xBF;
    return InRange(bytes, at + 1, low, high) && InRange(bytes, at + 2, 0x80, 0xBF) &&
                   InRange(bytes, at + 3, 0x80, 0xBF)
               ? 4
               : 0;
  }
  return 0;
}

// Bytes that go into a JSON string as they are: ASCII from the space up, but the quote
// and the backslash.
bool IsPlain(char byte) {
  const auto value = static_cast<uint8_t>(byte);
  return value >= 0x20 && value < 0x80 && byte != '"' && byte != '\\';
}

// One ASCII byte that is not plain.
void AppendEscaped(std::string& out, char byte) {
  if (byte == '"' || byte == '\\') {
    out += '\\';
    out += byte;
    return;
  }
  constexpr char kHex[] = "0123456789abcdef";
  const auto value = static_cast<uint8_t>(byte);
  const char escape[] = {'\\', 'u', '0', '0', kHex[value >> 4], kHex[value & 0xF]};
  out.append(escape, sizeof escape);
}

// Printable ASCII reads the same in CP932 (some control bytes do not).
bool IsPrintableAscii(std::string_view bytes) {
  for (char byte : bytes) {
    if (byte < 0x20 || byte > 0x7E) return false;
  }
  return true;
}

}  // namespace

void AppendJsonString(std::string& out, std::string_view bytes) {
  out += '"';
  size_t at = 0;
  while (at < bytes.size()) {
    // Runs of plain bytes, the common case, go in with one append.
    size_t plain_end = at;
    while (plain_end < bytes.size() && IsPlain(bytes[plain_end])) ++plain_end;
    out.append(bytes.data() + at, plain_end - at);
    at = plain_end;
    if (at == bytes.size()) break;
    const size_t length = CharacterLength(bytes, at);
    if (length == 0) {
      out += kReplacement;
      ++at;
    } else if (length == 1) {
      AppendEscaped(out, bytes[at++]);
    } else {
      out.append(bytes, at, length);
      at += length;
    }
  }
  out += '"';
}

std::string JsonString(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + 2);
  AppendJsonString(out, bytes);
  return out;
}

JsonObject::JsonObject(std::string& out) : out_(out) {
  out_ += '{';
  first_member_at_ = out_.size();
}

JsonObject& JsonObject::Text(std::string_view key, std::string_view utf8) {
  AppendJsonString(Key(key), utf8);
  return *this;
}

JsonObject& JsonObject::Cp932(std::string_view key, std::string_view cp932) {
  // Most texts are plain ASCII and need no conversion.
  if (IsPrintableAscii(cp932)) return Text(key, cp932);
  return Text(key, Cp932ToUtf8(cp932));
}

JsonObject& JsonObject::Number(std::string_view key, int64_t value) {
  char digits[24];
  char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  Key(key).append(digits, end);
  return *this;
}

JsonObject& JsonObject::Bool(std::string_view key, bool value) {
  Key(key) += value ? "true" : "false";
  return *this;
}

JsonObject& JsonObject::Raw(std::string_view key, std::string_view json) {
  Key(key) += json;
  return *this;
}

std::string JsonObject::Close() {
  out_ += '}';
  return std::move(own_);
}

std::string& JsonObject::Key(std::string_view key) {
  if (out_.size() != first_member_at_) out_ += ',';
  AppendJsonString(out_, key);
  out_ += ':';
  return out_;
}

std::string JsonArray(const std::vector<std::string>& values) {
  std::string out = "[";
  for (const std::string& value : values) {
    if (out.size() > 1) out += ',';
    out += value;
  }
  return out + "]";
}

}  // namespace tarvello
