#pragma once

// The AAC decoder configuration inside an elementary-stream descriptor box ("esds").

#include <cstdint>
#include <optional>
#include <span>

namespace tarvello {

struct AacDecoderConfig {
  uint32_t max_bit_rate = 0;
  uint32_t avg_bit_rate = 0;
  // Channels named by the decoder-specific information; 0 when it names none (the
  // layout is then given elsewhere, and the sample entry's count stands).
  int channels = 0;
};

// Finds the decoder configuration of an MPEG-4 or MPEG-2 AAC stream in `esds`, the box's
// contents after its header, by following the descriptors' length fields (one to four
// bytes each). nullopt when there is none or it describes another coding.
std::optional<AacDecoderConfig> FindAacDecoderConfig(std::span<const uint8_t> esds);

}  // namespace tarvello
