#pragma once

// What the card's content dialog is opened with and hands back: the card's sources in
// order, the output options it is written with and its automatic update, and what the
// dialog offers to add. Texts are UTF-8; paths are native bytes.

#include <string>
#include <vector>

#include "sync/card_profile.h"

namespace tarvello {

struct CardProfileForm {
  // A saved list with an empty path stands for the window's marked rows, saved as the
  // card's list when the dialog is confirmed.
  std::vector<CardSource> sources;
  ProfileOutput output;
  bool auto_update = false;

  bool operator==(const CardProfileForm&) const = default;
};

// A player's playlist the dialog offers.
struct PlayerPlaylistChoice {
  std::string player;  // "Rhythmbox", as PlayerName gives it
  std::string name;
};

struct CardProfileRequest {
  std::string card_name;  // the volume's short name
  CardProfileForm form;
  std::string library_file;                    // empty: no library
  std::vector<std::string> library_playlists;  // the library's playlists
  std::vector<PlayerPlaylistChoice> player_playlists;
  int marked_rows = 0;  // the current list's marked rows; none: it cannot be added
};

// The source standing for the window's marked rows until the dialog is confirmed.
inline CardSource CurrentListSource() {
  return {CardSourceKind::kSavedList, {}, {}, {}};
}

}  // namespace tarvello
