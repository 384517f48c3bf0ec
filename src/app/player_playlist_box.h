#pragma once

// The players' playlists in the playlist box, after the library file's own: their labels,
// read again on request (names only, so start-up stays quick), and the import of one,
// whose items are read only then.

#include <functional>
#include <string>
#include <vector>

#include "app/card_profile_form.h"
#include "platform/platform.h"
#include "sources/add_files.h"
#include "sources/player_playlists.h"

namespace tarvello {

class PlayerPlaylistBox {
 public:
  explicit PlayerPlaylistBox(Platform& platform) : platform_(platform) {}

  // Finds the players and lists their playlists again.
  void Reload();
  size_t Count() const { return catalogue_.playlists.size(); }
  // "name (Rhythmbox)" of each playlist, in box order.
  std::vector<std::string> Labels() const;
  // Each playlist's player and name, in box order.
  std::vector<PlayerPlaylistChoice> Choices() const;
  // The lines about player files that could not be read at the last reload.
  const std::vector<std::string>& Problems() const { return catalogue_.problems; }

  // The confirmation text of the import of playlist `index`.
  std::string ImportQuestion(size_t index) const;

  // Adds the entries of playlist `index` through `context` as the add command adds files;
  // `show` gets the one summary of the import (and a line when the player's file broke
  // off since it was listed).
  void Import(size_t index, const AddContext& context,
              const std::function<void(const std::string&)>& show);

 private:
  Platform& platform_;
  PlayerCatalogue catalogue_;
};

}  // namespace tarvello
