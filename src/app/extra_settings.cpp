#include "app/extra_settings.h"

#include <charconv>

#include "common/utf8.h"
#include "common/xml_lines.h"

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
    const std::string_view line = TrimLine(bytes.substr(0, end));
    bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
    const size_t equals = line.find('=');
    if (line.empty() || line.front() == '#' || equals == std::string_view::npos) continue;
    const std::string_view key = TrimLine(line.substr(0, equals));
    if (!key.empty()) {
      settings.values_[std::string(key)] = std::string(TrimLine(line.substr(equals + 1)));
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
  int number = 0;
  const char* end = value->data() + value->size();
  const auto [stop, error] = std::from_chars(value->data(), end, number);
  if (error != std::errc() || stop != end || number < low || number > high) return fallback;
  return number;
}

void ExtraSettings::Set(const std::string& key, std::string value) {
  if (key.empty() || !Clean(key) || key.find('=') != std::string::npos || !Clean(value)) return;
  values_[key] = std::move(value);
}

std::string ExtraSettingsFileName(const std::string& ini_file_name) {
  const size_t slash = ini_file_name.rfind('/');
  const size_t name_start = slash == std::string::npos ? 0 : slash + 1;
  const size_t dot = ini_file_name.rfind('.');
  const size_t stem_end = dot == std::string::npos || dot < name_start ? ini_file_name.size() : dot;
  return ini_file_name.substr(0, stem_end) + "-extra.ini";
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
