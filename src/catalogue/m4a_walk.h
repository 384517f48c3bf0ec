#pragma once

// The forward walk over an M4A file's boxes that finds its tags and stream parameters.

#include "catalogue/track_info.h"
#include "platform/platform.h"

namespace tarvello {

// Most reads one file may take. Real songs need well under a hundred; a file that would
// need more is refused, so no file can make the walk crawl through millions of tiny boxes.
inline constexpr int kMaxM4aReads = 512;

// Walks `file` from its start and fills the fields of `track` it finds. True when the file
// qualifies as an M4A song: "M4A " brand, a movie box, then media data that does not end
// the file. `track` may hold partial values after a refusal.
bool WalkM4aFile(ByteFile& file, TTrackInfo& track);

}  // namespace tarvello
