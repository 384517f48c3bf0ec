#pragma once

// Decodes any audio FFmpeg reads and encodes it as AAC-LC into a card-ready M4A.

#include <atomic>
#include <string>

#include "convert/convert_settings.h"
#include "convert/convert_status.h"
#include "convert/helper/av_song_tags.h"
#include "convert/helper/source_input.h"

namespace tarvello {

// Encodes the input's audio stream at `kbps` into a new M4A at `target`. Packets that do
// not decode are passed over, and a source that breaks off keeps what decoded before the
// break; a source where nothing decodes is refused. Stops at `cancel`. The caller
// deletes `target` when this does not end kDone.
ConvertStatus EncodeToM4a(SourceInput& input, const SongTags& tags, int kbps,
                          const std::string& target, const std::atomic<bool>& cancel);

}  // namespace tarvello
