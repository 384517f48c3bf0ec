#pragma once

// The playlists of every player found: listed by name at start-up (no items are read
// then), and read one at a time when imported. A player whose file is broken is left out
// with one line naming the file; the others stay listed.

#include <string>
#include <vector>

#include "platform/platform.h"
#include "sources/player_discovery.h"
#include "sources/playlist_entries.h"

namespace tarvello {

struct PlayerPlaylist {
  size_t source = 0;  // index into PlayerCatalogue::sources
  std::string name;   // UTF-8
  int64_t key = 0;
  int64_t entries = -1;  // -1: not counted
};

struct PlayerCatalogue {
  std::vector<PlayerSource> sources;
  std::vector<PlayerPlaylist> playlists;
  // One line per player file that could not be read: the player, the file and why.
  std::vector<std::string> problems;
};

// Lists the playlists of `sources`; `count_entries` also counts each one's items.
PlayerCatalogue ListPlayerPlaylists(FileSystem& files, std::vector<PlayerSource> sources,
                                    bool count_entries);

// "name (Rhythmbox)": the playlist as the box shows it.
std::string PlayerPlaylistLabel(const PlayerCatalogue& catalogue, const PlayerPlaylist& playlist);

// The entries of one listed playlist. A file that has gone or broken since the listing
// gives what could be read, marked damaged.
PlaylistReading ReadPlayerPlaylist(FileSystem& files, const PlayerCatalogue& catalogue,
                                   const PlayerPlaylist& playlist);

}  // namespace tarvello
