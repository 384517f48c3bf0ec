#include "convert/convert_settings.h"

#include <algorithm>

namespace tarvello {
namespace {

constexpr int kFallbackSampleRate = 44100;

}  // namespace

bool IsOfferedBitRate(int kbps) {
  return std::find(kOfferedBitRatesKbps.begin(), kOfferedBitRatesKbps.end(), kbps) !=
         kOfferedBitRatesKbps.end();
}

int EncodedSampleRate(int source_rate) {
  return source_rate == 44100 || source_rate == 48000 ? source_rate : kFallbackSampleRate;
}

int EncodedChannels(int source_channels) {
  return source_channels == 1 ? 1 : 2;
}

}  // namespace tarvello
