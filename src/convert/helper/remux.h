#pragma once

// Moves AAC audio into a card-ready M4A without touching its frames.

#include <atomic>
#include <string>

#include "convert/convert_status.h"
#include "convert/helper/av_song_tags.h"
#include "convert/helper/source_input.h"

namespace tarvello {

// Copies every packet of the input's audio stream (AAC) unchanged into a new M4A at
// `target`; ADTS headers are taken off as the M4A layout wants. Stops at `cancel`.
// The caller deletes `target` when this does not end kDone.
ConvertStatus RemuxToM4a(SourceInput& input, const SongTags& tags, const std::string& target,
                         const std::atomic<bool>& cancel);

}  // namespace tarvello
