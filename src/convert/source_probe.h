#pragma once

// What a file is and what it would become on the card.

#include <cstdint>
#include <string>

#include "convert/convert_status.h"
#include "convert/song_tags.h"

namespace tarvello {

enum class SourceKind {
  kCardReady,  // the M4A walk accepts it and its audio is AAC: it goes as it is
  kRemux,      // AAC audio in another container or layout: its frames are moved over
  kEncode,     // any other audio FFmpeg decodes
  kRefused,    // nothing to make a song of; `reason` says why
};

struct SourceProbe {
  SourceKind kind = SourceKind::kRefused;
  std::string reason;
  ConvertProblem problem = ConvertProblem::kOther;  // the kind of `reason`
  std::string codec;                                // FFmpeg's name of the audio coding
  double seconds = 0;                               // the play time, as far as the container tells
  int64_t file_size = 0;
  int channels = 0;
  int sample_rate = 0;
  SongTags tags;
};

// The size the converted song will have, for showing before it is made: the source's own
// size for a remux or a card-ready song, the play time at the bit rate for an encode.
inline int64_t EstimatedSongBytes(const SourceProbe& probe, int bit_rate_kbps) {
  if (probe.kind != SourceKind::kEncode) return probe.file_size;
  return static_cast<int64_t>(probe.seconds * bit_rate_kbps * 1000 / 8);
}

}  // namespace tarvello
