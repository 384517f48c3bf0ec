#pragma once

// The forward walk over an M4A file's boxes that finds its tags and stream parameters.

#include "catalogue/m4a_refusal.h"
#include "catalogue/tag_texts.h"
#include "catalogue/track_info.h"
#include "platform/platform.h"

namespace tarvello {

// Most reads the walk itself may take. Real songs need well under a hundred; a file that
// would need more is refused, so no file can make the walk crawl through millions of tiny
// boxes.
inline constexpr int kMaxM4aWalkReads = 512;
// Reads for the stream values only (a track's handler type), outside the walk's budget so
// that they never change which files are accepted.
inline constexpr int kMaxM4aStreamReads = 256;
// Most reads one file may take in all.
inline constexpr int kMaxM4aReads = kMaxM4aWalkReads + kMaxM4aStreamReads;

// Walks `file` from its start and fills the fields of `track` it finds. Accepted when the
// file qualifies as an M4A song: "M4A " brand, a movie box, then media data that does not
// end the file; otherwise the verdict says why not. `track` may hold partial values after
// a refusal. `source_texts`, when given, gets the text tags as the file holds them.
M4aVerdict WalkM4aFile(ByteFile& file, TTrackInfo& track, TagTexts* source_texts = nullptr);

}  // namespace tarvello
