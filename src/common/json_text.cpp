#include "common/json_text.h"

#include <cstdio>

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

void AppendEscaped(std::string& out, char byte) {
  switch (byte) {
    case '"':
      out += "\\\"";
      return;
    case '\\':
      out += "\\\\";
      return;
    default:
      break;
  }
  if (static_cast<uint8_t>(byte) < 0x20) {
    char escape[8];
    std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(byte));
    out += escape;
    return;
  }
  out += byte;
}

}  // namespace

std::string JsonString(std::string_view bytes) {
  std::string out = "\"";
  out.reserve(bytes.size() + 2);
  size_t at = 0;
  while (at < bytes.size()) {
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
  return out + "\"";
}

JsonObject& JsonObject::Text(std::string_view key, std::string_view utf8) {
  Key(key) += JsonString(utf8);
  return *this;
}

JsonObject& JsonObject::Cp932(std::string_view key, std::string_view cp932) {
  return Text(key, Cp932ToUtf8(cp932));
}

JsonObject& JsonObject::Number(std::string_view key, int64_t value) {
  Key(key) += std::to_string(value);
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

std::string JsonObject::Close() const {
  return out_ + "}";
}

std::string& JsonObject::Key(std::string_view key) {
  out_ += out_.size() == 1 ? "" : ",";
  out_ += JsonString(key);
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
