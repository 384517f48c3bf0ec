// Reads arbitrary bytes as Rhythmbox's playlists.xml: the listing, then each listed
// playlist, which can hold no more entries than the listing counted.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "sources/rhythmbox_playlists.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const tarvello::PlayerListing listing = tarvello::ListRhythmboxPlaylists(bytes);
  for (const tarvello::NamedPlaylist& playlist : listing.playlists) {
    const tarvello::PlaylistReading reading = tarvello::ReadRhythmboxPlaylist(bytes, playlist.key);
    if (static_cast<int64_t>(reading.entries.size()) > playlist.entries) std::abort();
  }
  return 0;
}
