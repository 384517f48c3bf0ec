#pragma once

// The card's content dialog as values: the sources in the card's order, the output
// options the card is written with and its automatic update, plus what the dialog offers
// to add. Texts are UTF-8; paths are native bytes.

#include <string>
#include <vector>

namespace tarvello {

enum class ProfileSourceKind {
  kLibraryPlaylist,  // `path` the library file, `name` the playlist
  kPlayerPlaylist,   // `path` the player's name, `name` the playlist
  kPlaylistFile,     // `path` an M3U, M3U8, PLS or XSPF file
  kFolder,           // `path` a folder
  kCurrentList,      // the window's marked rows, saved as a playlist file on OK
};

struct ProfileSourceRow {
  ProfileSourceKind kind = ProfileSourceKind::kFolder;
  std::string path;
  std::string name;

  bool operator==(const ProfileSourceRow&) const = default;
};

struct CardProfileForm {
  std::vector<ProfileSourceRow> sources;
  int title_format = 0;
  int separator = 0;
  bool backup = true;
  int bit_rate_kbps = 128;
  bool auto_update = false;

  bool operator==(const CardProfileForm&) const = default;
};

// A player's playlist the dialog offers.
struct PlayerPlaylistChoice {
  std::string player;  // "Rhythmbox"
  std::string name;
};

struct CardProfileRequest {
  std::string card_name;  // the volume's short name
  CardProfileForm form;
  std::string library_file;                   // empty: no library
  std::vector<std::string> library_playlists;  // the library's playlists, UTF-8
  std::vector<PlayerPlaylistChoice> player_playlists;
  int marked_rows = 0;  // the current list's marked rows; none: it cannot be added
};

// How a source row reads in the dialog: "フォルダ: /home/me/Music".
std::string ProfileSourceLabel(const ProfileSourceRow& row);

}  // namespace tarvello
