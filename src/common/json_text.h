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

// The same quoted string appended to `out`, for writing many without a copy each.
void AppendJsonString(std::string& out, std::string_view bytes);

// Builds one JSON object, members in the order they are added: in a string of its own,
// or at the end of a caller's string (many objects, one buffer).
class JsonObject {
 public:
  JsonObject() : JsonObject(own_) {}
  explicit JsonObject(std::string& out);
  JsonObject(const JsonObject&) = delete;
  JsonObject& operator=(const JsonObject&) = delete;

  JsonObject& Text(std::string_view key, std::string_view utf8);
  // A CP932 text, converted to UTF-8.
  JsonObject& Cp932(std::string_view key, std::string_view cp932);
  JsonObject& Number(std::string_view key, int64_t value);
  JsonObject& Bool(std::string_view key, bool value);
  // A value that is JSON text already (an object or an array).
  JsonObject& Raw(std::string_view key, std::string_view json);
  // Ends the object. Returns its text when it was built in a string of its own; an
  // object written into a caller's string returns an empty string.
  std::string Close();

 private:
  std::string& Key(std::string_view key);

  std::string own_;
  std::string& out_;
  size_t first_member_at_;  // where the first member goes: no comma before it
};

// A JSON array of values that are JSON text already.
std::string JsonArray(const std::vector<std::string>& values);

}  // namespace tarvello
