#pragma once

// Output shared by the song-source subcommands.

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "catalogue/track_table.h"
#include "platform/platform.h"
#include "sources/library_playlists.h"
#include "sources/playlist_adding.h"

namespace tarvello::cli {

inline constexpr int kExitReadFailed = 1;

// Every record of the table as one JSON line in the field names of `info`.
void WriteRecords(const TrackTable& table, std::ostream& out);

// The playlists of a library file; nullopt, with a message on `err`, when it cannot be
// opened.
std::optional<PlaylistCatalogue> ScanLibraryFile(FileSystem& files, const std::string& library,
                                                 std::ostream& err);

// One JSON line per entry of a playlist that was not added: "missing" or "skipped" with
// its path, and "reason".
void WriteEntryNotes(const std::vector<EntryNote>& notes, std::ostream& out);

// The readers' messages, one line each on the terminal.
void WriteMessages(const std::vector<std::string>& messages, std::ostream& err);

}  // namespace tarvello::cli
