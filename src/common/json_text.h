#pragma once

// JSON text for scripts: UTF-8 objects written one per line.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarvello {

// `bytes` as a quoted JSON string. Control characters are escaped as \u00XX, and bytes
// that are not well-formed UTF-8 become U+FFFD, so any input gives valid JSON.
std::string JsonString(std::string_view bytes);

// Builds one JSON object, members in the order they are added.
class JsonObject {
 public:
  JsonObject& Text(std::string_view key, std::string_view utf8);
  // A CP932 text, converted to UTF-8.
  JsonObject& Cp932(std::string_view key, std::string_view cp932);
  JsonObject& Number(std::string_view key, int64_t value);
  JsonObject& Bool(std::string_view key, bool value);
  // A value that is JSON text already (an object or an array).
  JsonObject& Raw(std::string_view key, std::string_view json);
  std::string Close() const;

 private:
  std::string& Key(std::string_view key);

  std::string out_ = "{";
};

// A JSON array of values that are JSON text already.
std::string JsonArray(const std::vector<std::string>& values);

}  // namespace tarvello
