#include "app/conversion_settings_file.h"

#include <filesystem>
#include <sstream>

#include "common/text_tools.h"

namespace tarvello {
namespace {

constexpr const char* kFileName = "conversion.ini";

}  // namespace

std::string ConversionSettingsPath(const std::string& ini_file_name) {
  return std::filesystem::path(ini_file_name).replace_filename(kFileName).string();
}

ConvertSettings ReadConversionSettings(FileSystem& files, const std::string& path) {
  ConvertSettings settings;
  const std::optional<std::string> text = files.ReadWholeFile(path);
  if (!text) return settings;
  std::istringstream lines(*text);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string key = line.substr(0, equals);
    const std::string_view value = std::string_view(line).substr(equals + 1);
    if (key == "Enabled") settings.enabled = ParseInteger<int>(value).value_or(1) != 0;
    if (key == "BitRate") {
      const int kbps = ParseInteger<int>(value).value_or(kDefaultBitRateKbps);
      settings.bit_rate_kbps = IsOfferedBitRate(kbps) ? kbps : kDefaultBitRateKbps;
    }
  }
  return settings;
}

bool WriteConversionSettings(FileSystem& files, const std::string& path,
                             const ConvertSettings& settings) {
  const std::string text = "[Conversion]\nEnabled=" + std::to_string(settings.enabled ? 1 : 0) +
                           "\nBitRate=" + std::to_string(settings.bit_rate_kbps) + "\n";
  return files.WriteWholeFile(path, text);
}

}  // namespace tarvello
