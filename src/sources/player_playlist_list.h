#pragma once

// What a player's reader lists: its playlists' names, with a key to read one later.

#include <cstdint>
#include <string>
#include <vector>

namespace tarvello {

struct NamedPlaylist {
  std::string name;  // UTF-8
  int64_t key = 0;   // the reader's own handle on the playlist
  int64_t entries = -1;  // -1: not counted
};

struct PlayerListing {
  std::vector<NamedPlaylist> playlists;
  // Empty when the file was read; otherwise why it was not (or not wholly).
  std::string problem;
};

}  // namespace tarvello
