#pragma once

// The first entry of a track's sample description: whether it describes audio, and the
// stream values it holds.

#include <cstddef>
#include <cstdint>

#include "catalogue/track_info.h"

namespace tarvello {

// Bytes of a sample description read after its version, flags and entry count.
inline constexpr size_t kSampleDescriptionSize = 256;

// `bytes` start at the first sample entry; `length` of them were read and the rest are
// zero. When the entry describes audio (it belongs to a sound track, or its type is an
// audio coding such as "mp4a"), stores ChNum, SampleSize, SampleRate, BitRate and
// AvgBitRate and returns true; any other entry, a chapter track's text for one, leaves
// the record alone.
bool StoreSampleDescription(const uint8_t (&bytes)[kSampleDescriptionSize], size_t length,
                            bool sound_track, TTrackInfo& track);

}  // namespace tarvello
