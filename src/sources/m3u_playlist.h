#pragma once

// M3U and M3U8 playlists: one location per line, plain or in the extended form
// ("#EXTM3U", "#EXTINF:" lines). Lines starting with "#" and blank lines are skipped;
// LF, CR LF and CR all end a line.

#include <string>
#include <string_view>

#include "sources/playlist_entries.h"

namespace tarvello {

// The entries of an M3U text (UTF-8), relative paths taken from `base_folder`.
PlaylistEntries ReadM3u(std::string_view text, const std::string& base_folder);

}  // namespace tarvello
