#pragma once

// Track lists added like songs: an XML property list laid out like a music library (the
// tracks its first playlist lists, in that order) or an RMP package (its tracks in file
// order).

#include <string>
#include <vector>

#include "catalogue/track_table.h"
#include "platform/platform.h"
#include "sources/pending_tracks.h"

namespace tarvello {

struct TrackListResult {
  // True when at least one track record was accepted while reading, even when none of
  // them was added; false when the file is no track list (the caller reports it).
  bool accepted = false;
  SourceMessages messages;
};

// Reads the track list at `path` into `table`; `track_id_list` is TrackIdList. A file that
// cannot be opened raises FileError. `pending_growth_limit` stands in for running out of
// memory in tests.
TrackListResult ReadTrackList(FileSystem& files, const std::string& path, TrackTable& table,
                              TTrackInfo& staging, std::vector<std::string>& track_id_list,
                              int32_t pending_growth_limit = kMaxTracks + 1);

// The same over an open file (for scanning bytes that are not on disk).
TrackListResult ReadTrackList(ByteFile& file, FileSystem& files, TrackTable& table,
                              TTrackInfo& staging, std::vector<std::string>& track_id_list,
                              int32_t pending_growth_limit = kMaxTracks + 1);

}  // namespace tarvello
