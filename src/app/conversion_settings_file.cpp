#include "app/conversion_settings_file.h"

#include <charconv>
#include <sstream>

namespace tarvello {
namespace {

constexpr const char* kFileName = "conversion.ini";

int Number(std::string_view text, int fallback) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() ? value : fallback;
}

}  // namespace

std::string ConversionSettingsPath(const std::string& ini_file_name) {
  const size_t slash = ini_file_name.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : ini_file_name.substr(0, slash);
  return folder + "/" + kFileName;
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
    if (key == "Enabled") settings.enabled = Number(value, 1) != 0;
    if (key == "BitRate") {
      const int kbps = Number(value, kDefaultBitRateKbps);
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
