#pragma once

// Rhythmbox's playlists.xml: <playlist name=".." type="static"> elements holding one
// <location> (a file: URL) per song. Automatic playlists (type "automatic", a query)
// and the play queue (type "queue") are not the user's lists and are left out.

#include <string>
#include <string_view>
#include <vector>

#include "sources/player_playlist_list.h"
#include "sources/playlist_entries.h"

namespace tarvello {

// The static playlists, keyed by their place among the static ones.
PlayerListing ListRhythmboxPlaylists(std::string_view bytes);

// The entries of the static playlist with that key.
PlaylistReading ReadRhythmboxPlaylist(std::string_view bytes, int64_t key);

}  // namespace tarvello
