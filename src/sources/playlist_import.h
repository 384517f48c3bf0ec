#pragma once

// Bringing one playlist of the music library into the track table: the wanted tracks are
// gathered in one pass over the library's tracks dictionary, then added in the playlist's
// order.

#include <string>
#include <string_view>
#include <vector>

#include "catalogue/track_table.h"
#include "platform/platform.h"
#include "sources/pending_tracks.h"

namespace tarvello {

// The IDs of a playlist entry ("12,40,12,"): the text before each comma, in order. Text
// after the last comma is dropped.
std::vector<std::string> SplitTrackIds(std::string_view entry);

// The first pass: every track of the tracks dictionary whose ID text is in `track_ids` and
// that the key filters accept, in file order. Stops when as many tracks were gathered as
// the playlist lists, at the limit of pending records, or when memory runs out.
void GatherWantedTracks(ByteFile& file, const std::vector<std::string>& track_ids,
                        TTrackInfo& staging, PendingTracks& pending, SourceMessages& messages);

// The whole import of one playlist entry from the library file at `library_path`: fills
// `track_id_list` (TrackIdList), gathers, and appends to `table` in playlist order. A file
// that cannot be opened raises FileError.
SourceMessages ImportPlaylistTracks(FileSystem& files, const std::string& library_path,
                                    std::string_view playlist_entry, TrackTable& table,
                                    TTrackInfo& staging, std::vector<std::string>& track_id_list);

}  // namespace tarvello
