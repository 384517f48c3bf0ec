#pragma once

// Decodes any audio FFmpeg reads and encodes it as AAC-LC into a card-ready M4A.

#include <atomic>
#include <string>

#include "convert/convert_status.h"
#include "convert/song_tags.h"
#include "convert/source_input.h"

namespace tarvello {

// The sample rate a song is encoded at: 44.1 and 48 kHz stay, anything else becomes 44.1.
int EncodedSampleRate(int source_rate);
// Mono stays mono; everything else becomes stereo.
int EncodedChannels(int source_channels);

// Encodes the input's audio stream at `kbps` into a new M4A at `target`. Packets that do
// not decode are passed over, and a source that breaks off keeps what decoded before the
// break; a source where nothing decodes is refused. Stops at `cancel`. The caller
// deletes `target` when this does not end kDone.
ConvertStatus EncodeToM4a(SourceInput& input, const SongTags& tags, int kbps,
                          const std::string& target, const std::atomic<bool>& cancel);

}  // namespace tarvello
