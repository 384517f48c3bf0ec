#pragma once

// XSPF playlists: the first <location> of each <track> of the <trackList>, in order.
// Locations are URIs; relative ones are taken from the playlist's own folder.

#include <string>
#include <string_view>

#include "sources/playlist_entries.h"

namespace tarvello {

// True when the text's root element is an XSPF <playlist> (its namespace appears near
// the start).
bool LooksLikeXspf(std::string_view bytes);

PlaylistReading ReadXspf(std::string_view bytes, const std::string& base_folder);

}  // namespace tarvello
