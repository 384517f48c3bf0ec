#include "common/extra_settings.h"

#include <filesystem>

#include "common/text_tools.h"
#include "common/utf8.h"

namespace tarvello {
namespace {

constexpr const char* kLegacyConversionFile = "conversion.ini";

bool Clean(std::string_view text) {
  return text.find_first_of("\r\n") == std::string_view::npos && IsWellFormedUtf8(text);
}

// The section name of a "[Name]" line; nullopt for any other line.
std::optional<std::string_view> SectionHeader(std::string_view line) {
  if (line.size() < 2 || line.front() != '[' || line.back() != ']') return std::nullopt;
  return Trim(line.substr(1, line.size() - 2), IsSpaceOrControl);
}

std::string LegacyConversionPath(const std::string& path) {
  return (std::filesystem::path(path).parent_path() / kLegacyConversionFile).string();
}

}  // namespace

ExtraSettings ExtraSettings::Parse(std::string_view bytes) {
  ExtraSettings settings;
  if (!IsWellFormedUtf8(bytes)) return settings;
  std::string section(kCardSection);
  while (!bytes.empty()) {
    const size_t end = bytes.find('\n');
    const std::string_view line = Trim(bytes.substr(0, end), IsSpaceOrControl);
    bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
    if (const std::optional<std::string_view> header = SectionHeader(line)) {
      section = *header;
      continue;
    }
    const size_t equals = line.find('=');
    if (line.empty() || line.front() == '#' || equals == std::string_view::npos) continue;
    const std::string_view key = Trim(line.substr(0, equals), IsSpaceOrControl);
    if (!key.empty()) {
      settings.sections_[section][std::string(key)] =
          std::string(Trim(line.substr(equals + 1), IsSpaceOrControl));
    }
  }
  return settings;
}

std::string ExtraSettings::Write() const {
  std::string bytes;
  for (const auto& [name, keys] : sections_) {
    if (keys.empty()) continue;
    if (!bytes.empty()) bytes += "\n";
    bytes += "[" + name + "]\n";
    for (const auto& [key, value] : keys) bytes += key + "=" + value + "\n";
  }
  return bytes;
}

std::optional<std::string> ExtraSettings::Get(std::string_view section,
                                              const std::string& key) const {
  const auto keys = sections_.find(section);
  if (keys == sections_.end()) return std::nullopt;
  const auto found = keys->second.find(key);
  if (found == keys->second.end()) return std::nullopt;
  return found->second;
}

bool ExtraSettings::GetBool(std::string_view section, const std::string& key, bool fallback) const {
  const std::optional<std::string> value = Get(section, key);
  if (value == "1") return true;
  if (value == "0") return false;
  return fallback;
}

int ExtraSettings::GetInt(std::string_view section, const std::string& key, int fallback, int low,
                          int high) const {
  const std::optional<std::string> value = Get(section, key);
  if (!value) return fallback;
  const std::optional<int> number = ParseInteger<int>(*value);
  return number && *number >= low && *number <= high ? *number : fallback;
}

bool ExtraSettings::HasSection(std::string_view section) const {
  const auto keys = sections_.find(section);
  return keys != sections_.end() && !keys->second.empty();
}

std::vector<std::string> ExtraSettings::SectionNames() const {
  std::vector<std::string> names;
  for (const auto& [name, keys] : sections_) {
    if (!keys.empty()) names.push_back(name);
  }
  return names;
}

void ExtraSettings::Set(std::string_view section, const std::string& key, std::string value) {
  if (key.empty() || !Clean(key) || key.find('=') != std::string::npos || key.front() == '[' ||
      !Clean(value) || section.empty() || !Clean(section) ||
      section.find_first_of("[]") != std::string_view::npos) {
    return;
  }
  sections_[std::string(section)][key] = std::move(value);
}

void ExtraSettings::TakeSection(std::string_view section, const ExtraSettings& other) {
  const auto keys = other.sections_.find(section);
  if (keys == other.sections_.end()) {
    sections_.erase(std::string(section));
  } else {
    sections_[std::string(section)] = keys->second;
  }
}

std::string ExtraSettingsFileName(const std::string& ini_file_name) {
  return std::filesystem::path(ini_file_name).replace_extension().string() + "-extra.ini";
}

ExtraSettings LoadExtraSettings(FileSystem& files, const std::string& path) {
  auto read = [&files](const std::string& file) {
    try {
      if (const std::optional<std::string> bytes = files.ReadWholeFile(file)) {
        return ExtraSettings::Parse(*bytes);
      }
    } catch (const FileError&) {
      // Unreadable past its opening: the defaults stand.
    }
    return ExtraSettings();
  };
  ExtraSettings settings = read(path);
  if (!settings.HasSection(kConversionSection)) {
    settings.TakeSection(kConversionSection, read(LegacyConversionPath(path)));
  }
  return settings;
}

bool SaveExtraSettings(FileSystem& files, const std::string& path, const ExtraSettings& settings) {
  if (path.empty() || !files.WriteWholeFile(path, settings.Write())) return false;
  const std::string legacy = LegacyConversionPath(path);
  if (files.FileExists(legacy)) files.DeleteFile(legacy);
  return true;
}

bool UpdateExtraSettings(FileSystem& files, const std::string& path,
                         const std::function<void(ExtraSettings&)>& change) {
  ExtraSettings settings = LoadExtraSettings(files, path);
  change(settings);
  return SaveExtraSettings(files, path, settings);
}

}  // namespace tarvello
