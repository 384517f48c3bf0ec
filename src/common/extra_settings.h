#pragma once

// The program's own settings file beside the settings file: every option that the
// settings file has no place for, a section per concern. UTF-8 "[Section]" headers and
// "key=value" lines; sections and keys this version does not know are kept as they were,
// so a file shared with another version loses nothing.

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace tarvello {

// The card checks: verify after writing, backups to keep. The first version of the file
// had no headers and held only these, so keys before any header belong here.
inline constexpr std::string_view kCardSection = "Card";
// Conversion on or off and its bit rate.
inline constexpr std::string_view kConversionSection = "Conversion";

class ExtraSettings {
 public:
  // Reads "[Section]" headers and "key=value" lines; blank lines, "#" comments and lines
  // without "=" are skipped. Text that is not UTF-8 gives no settings at all.
  static ExtraSettings Parse(std::string_view bytes);
  // The whole file: each section's header, then one line per key in key order, LF line
  // ends, a blank line between sections.
  std::string Write() const;

  std::optional<std::string> Get(std::string_view section, const std::string& key) const;
  // "1"/"0"; anything else gives `fallback`.
  bool GetBool(std::string_view section, const std::string& key, bool fallback) const;
  // A decimal number within [low, high]; anything else gives `fallback`.
  int GetInt(std::string_view section, const std::string& key, int fallback, int low,
             int high) const;
  bool HasSection(std::string_view section) const;
  // The names of the sections that hold keys, in the file's (name) order.
  std::vector<std::string> SectionNames() const;

  // Keys and values hold no line breaks; a key holds no "=" and begins with no "[".
  void Set(std::string_view section, const std::string& key, std::string value);
  void SetBool(std::string_view section, const std::string& key, bool value) {
    Set(section, key, value ? "1" : "0");
  }
  void SetInt(std::string_view section, const std::string& key, int value) {
    Set(section, key, std::to_string(value));
  }
  // Replaces this file's `section` with `other`'s.
  void TakeSection(std::string_view section, const ExtraSettings& other);

  bool operator==(const ExtraSettings&) const = default;

 private:
  using Section = std::map<std::string, std::string, std::less<>>;
  std::map<std::string, Section, std::less<>> sections_;
};

// The extra settings file for the settings file `ini_file_name`: the same folder, the
// name's stem + "-extra.ini" ("tarvello.INI" gives "tarvello-extra.ini").
std::string ExtraSettingsFileName(const std::string& ini_file_name);

// The file's settings; empty (every default) when it is missing, unreadable or bad.
// Conversion settings that an earlier version kept in "conversion.ini" beside it are
// folded in while the file has none of its own.
ExtraSettings LoadExtraSettings(FileSystem& files, const std::string& path);
// Writes the file; once it is written, the earlier "conversion.ini" is removed, since
// its settings are now in the file. False when the file could not be written.
bool SaveExtraSettings(FileSystem& files, const std::string& path, const ExtraSettings& settings);
// Reads the file again, lets `change` set its own keys and writes it back, so the keys
// that other parts of the program wrote meanwhile are kept. False when the write failed.
bool UpdateExtraSettings(FileSystem& files, const std::string& path,
                         const std::function<void(ExtraSettings&)>& change);

}  // namespace tarvello
