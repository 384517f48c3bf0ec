#pragma once

// Reads the tags and stream parameters of an M4A song with a forward walk over its boxes.

#include <cstdint>
#include <string>

#include "catalogue/m4a_refusal.h"
#include "catalogue/tag_texts.h"
#include "catalogue/track_table.h"
#include "platform/platform.h"

namespace tarvello {

enum class M4aResult { kStored, kRejected, kOutOfMemory };

// Reads `path_to_open` into `staging`, records `path_to_record` as its FileName and stores
// it at `index` (0..TrackCount; TrackCount appends). A file that cannot be opened or read
// raises FileError with the system's message and the path. `verdict`, when given, gets
// the walk's reason for a refusal; `source_texts`, when given, the text tags as the file
// holds them.
M4aResult ReadM4aTrack(FileSystem& files, TrackTable& table, TTrackInfo& staging,
                       const std::string& path_to_open, const std::string& path_to_record,
                       int32_t index, M4aVerdict* verdict = nullptr,
                       TagTexts* source_texts = nullptr);

// The same read without a table: fills `staging` (zeroed first, FileName set) and says
// whether the file qualifies, or why not. A file that cannot be opened or read raises
// FileError with the system's message and the path.
M4aVerdict ReadM4aRecord(FileSystem& files, TTrackInfo& staging, const std::string& path_to_open,
                         const std::string& path_to_record, TagTexts* source_texts = nullptr);

// The same read of a file the caller has opened, so that a file that cannot be opened and
// one whose reading fails part-way can be told apart. A failing read raises FileError.
M4aVerdict ReadM4aRecord(ByteFile& file, TTrackInfo& staging, const std::string& path_to_record,
                         TagTexts* source_texts = nullptr);

}  // namespace tarvello
