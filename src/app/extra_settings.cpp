#include "app/extra_settings.h"

#include <filesystem>

#include "common/text_tools.h"
#include "common/utf8.h"

namespace tarvello {
namespace {

bool Clean(std::string_view text) {
  return text.find_first_of("\r\n") == std::string_view::npos && IsWellFormedUtf8(text);
}

}  // namespace

ExtraSettings ExtraSettings::Parse(std::string_view bytes) {
  ExtraSettings settings;
  if (!IsWellFormedUtf8(bytes)) return settings;
  while (!bytes.empty()) {
    const size_t end = bytes.find('\n');
    const std::string_view line = Trim(bytes.substr(0, end), IsSpaceOrControl);
    bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
    const size_t equals = line.find('=');
    if (line.empty() || line.front() == '#' || equals == std::string_view::npos) continue;
    const std::string_view key = Trim(line.substr(0, equals), IsSpaceOrControl);
    if (!key.empty()) {
      settings.values_[std::string(key)] =
          std::string(Trim(line.substr(equals + 1), IsSpaceOrControl));
    }
  }
  return settings;
}

std::string ExtraSettings::Write() const {
  std::string bytes;
  for (const auto& [key, value] : values_) bytes += key + "=" + value + "\n";
  return bytes;
}

std::optional<std::string> ExtraSettings::Get(const std::string& key) const {
  const auto found = values_.find(key);
  if (found == values_.end()) return std::nullopt;
  return found->second;
}

bool ExtraSettings::GetBool(const std::string& key, bool fallback) const {
  const std::optional<std::string> value = Get(key);
  if (value == "1") return true;
  if (value == "0") return false;
  return fallback;
}

int ExtraSettings::GetInt(const std::string& key, int fallback, int low, int high) const {
  const std::optional<std::string> value = Get(key);
  if (!value) return fallback;
  const std::optional<int> number = ParseInteger<int>(*value);
  return number && *number >= low && *number <= high ? *number : fallback;
}

void ExtraSettings::Set(const std::string& key, std::string value) {
  if (key.empty() || !Clean(key) || key.find('=') != std::string::npos || !Clean(value)) return;
  values_[key] = std::move(value);
}

std::string ExtraSettingsFileName(const std::string& ini_file_name) {
  return std::filesystem::path(ini_file_name).replace_extension().string() + "-extra.ini";
}

ExtraSettings LoadExtraSettings(FileSystem& files, const std::string& path) {
  try {
    if (const std::optional<std::string> bytes = files.ReadWholeFile(path)) {
      return ExtraSettings::Parse(*bytes);
    }
  } catch (const FileError&) {
    // Unreadable past its opening: the defaults stand.
  }
  return {};
}

bool SaveExtraSettings(FileSystem& files, const std::string& path, const ExtraSettings& settings) {
  return files.WriteWholeFile(path, settings.Write());
}

}  // namespace tarvello
