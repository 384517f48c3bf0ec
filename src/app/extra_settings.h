#pragma once

// The program's own settings file beside the settings file: options that the settings
// file has no place for. UTF-8 "key=value" lines; keys this version does not know are
// kept as they were, so a file shared with another version loses nothing.

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace tarvello {

class ExtraSettings {
 public:
  // Reads "key=value" lines; blank lines, "#" comments and lines without "=" are skipped.
  static ExtraSettings Parse(std::string_view bytes);
  // The whole file, one line per key in key order, LF line ends.
  std::string Write() const;

  std::optional<std::string> Get(const std::string& key) const;
  // "1"/"0"; anything else gives `fallback`.
  bool GetBool(const std::string& key, bool fallback) const;
  // A decimal number within [low, high]; anything else gives `fallback`.
  int GetInt(const std::string& key, int fallback, int low, int high) const;

  // Keys and values hold no line breaks; a key holds no "=".
  void Set(const std::string& key, std::string value);
  void SetBool(const std::string& key, bool value) { Set(key, value ? "1" : "0"); }
  void SetInt(const std::string& key, int value) { Set(key, std::to_string(value)); }

  bool operator==(const ExtraSettings&) const = default;

 private:
  std::map<std::string, std::string> values_;
};

// The extra settings file for the settings file `ini_file_name`: the same folder, the
// name's stem + "-extra.ini" ("tarvello.INI" gives "tarvello-extra.ini").
std::string ExtraSettingsFileName(const std::string& ini_file_name);

// The file's settings; empty (every default) when it is missing, unreadable or bad.
ExtraSettings LoadExtraSettings(FileSystem& files, const std::string& path);
// False when the file could not be written.
bool SaveExtraSettings(FileSystem& files, const std::string& path, const ExtraSettings& settings);

}  // namespace tarvello
