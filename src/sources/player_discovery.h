#pragma once

// Where the music players of this desktop keep their playlists. Only the folders given
// are looked at, so tests can point the discovery anywhere.

#include <string>
#include <vector>

#include "platform/platform.h"

namespace tarvello {

enum class Player { kRhythmbox, kStrawberry, kClementine, kMpd };

// The player's name as the playlist box and the command line show it.
const char* PlayerName(Player player);

// The base folders, without trailing "/".
struct PlayerFolders {
  std::string home;
  std::string data_home;    // $XDG_DATA_HOME, else ~/.local/share
  std::string config_home;  // $XDG_CONFIG_HOME, else ~/.config
};

// The folders of the environment, as the XDG base directory rules give them.
PlayerFolders PlayerFoldersOf(Environment& environment);

struct PlayerSource {
  Player player = Player::kRhythmbox;
  // The playlists file or database; for MPD the playlist folder.
  std::string path;
  // MPD only: the folder its playlist entries are relative to.
  std::string music_folder;
};

// The players' playlist files that exist, in the order Rhythmbox, Strawberry,
// Clementine, MPD.
std::vector<PlayerSource> FindPlayerSources(FileSystem& files, const PlayerFolders& folders);

}  // namespace tarvello
