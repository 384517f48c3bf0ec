#pragma once

// How songs are converted: on or off, and the AAC bit rate of an encode.

#include <array>
#include <cstdint>

namespace tarvello {

inline constexpr int kDefaultBitRateKbps = 128;
inline constexpr std::array<int, 5> kOfferedBitRatesKbps = {96, 128, 160, 192, 256};
inline constexpr int64_t kDefaultCacheBytes = int64_t{4} * 1024 * 1024 * 1024;

struct ConvertSettings {
  bool enabled = true;
  int bit_rate_kbps = kDefaultBitRateKbps;
  // Encode even a song the card takes as it is (AAC at a higher bit rate), to make it
  // smaller; the song is kept under its encode's key like any other.
  bool reencode = false;
};

// True for the bit rates the encoder is offered with.
bool IsOfferedBitRate(int kbps);

// The sample rate a song is encoded at: 44.1 and 48 kHz stay, anything else becomes 44.1.
int EncodedSampleRate(int source_rate);
// Mono stays mono; everything else becomes stereo.
int EncodedChannels(int source_channels);

}  // namespace tarvello
