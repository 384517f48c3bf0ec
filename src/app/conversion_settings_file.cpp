#include "app/conversion_settings_file.h"

#include <climits>

namespace tarvello {
namespace {

constexpr const char* kEnabledKey = "Enabled";
constexpr const char* kBitRateKey = "BitRate";

}  // namespace

ConvertSettings ReadConversionSettings(const ExtraSettings& file) {
  ConvertSettings settings;
  // Any number but 0 has always meant on.
  settings.enabled = file.GetInt(kConversionSection, kEnabledKey, 1, INT_MIN, INT_MAX) != 0;
  const int kbps = file.GetInt(kConversionSection, kBitRateKey, kDefaultBitRateKbps, INT_MIN,
                               INT_MAX);
  settings.bit_rate_kbps = IsOfferedBitRate(kbps) ? kbps : kDefaultBitRateKbps;
  return settings;
}

void WriteConversionSettings(ExtraSettings& file, const ConvertSettings& settings) {
  file.SetBool(kConversionSection, kEnabledKey, settings.enabled);
  file.SetInt(kConversionSection, kBitRateKey, settings.bit_rate_kbps);
}

}  // namespace tarvello
