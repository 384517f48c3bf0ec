#include "cli/card_source_argument.h"

#include <array>

#include "common/text_tools.h"
#include "sources/player_discovery.h"
#include "sources/playlist_file.h"

namespace tarvello::cli {
namespace {

constexpr std::string_view kPlayerPrefix = "player:";
constexpr std::array kPlayers = {Player::kRhythmbox, Player::kStrawberry, Player::kClementine,
                                 Player::kMpd};

std::variant<CardSource, std::string> PlayerSource(std::string_view rest) {
  const size_t split = rest.rfind('#');
  if (split == std::string_view::npos || split + 1 == rest.size()) {
    return std::string("a player's playlist is given as player:PLAYER#NAME");
  }
  for (const Player player : kPlayers) {
    if (EqualsIgnoringCase(rest.substr(0, split), PlayerName(player))) {
      return CardSource{CardSourceKind::kPlayerPlaylist,
                        {},
                        PlayerName(player),
                        std::string(rest.substr(split + 1))};
    }
  }
  return "no player named \"" + std::string(rest.substr(0, split)) +
         "\": Rhythmbox, Strawberry, Clementine or MPD";
}

}  // namespace

std::variant<CardSource, std::string> ParseCardSource(const std::string& argument,
                                                      FileSystem& files) {
  if (argument.starts_with(kPlayerPrefix)) {
    return PlayerSource(std::string_view(argument).substr(kPlayerPrefix.size()));
  }
  // A path that exists is taken whole, "#" and all.
  const std::string whole = files.AbsolutePath(argument);
  if (files.DirectoryExists(whole)) return CardSource{CardSourceKind::kFolder, whole, {}, {}};
  if (files.FileExists(whole)) {
    const std::optional<std::string> bytes = files.ReadWholeFile(whole);
    if (!bytes || DetectPlaylistFormat(whole, *bytes) == PlaylistFormat::kNone) {
      return "not a playlist file (M3U, M3U8, PLS or XSPF): " + argument;
    }
    return CardSource{CardSourceKind::kPlaylistFile, whole, {}, {}};
  }
  const size_t split = argument.rfind('#');
  if (split != std::string::npos && split > 0 && split + 1 < argument.size()) {
    const std::string library = files.AbsolutePath(argument.substr(0, split));
    if (files.FileExists(library)) {
      return CardSource{CardSourceKind::kLibraryPlaylist, library, {}, argument.substr(split + 1)};
    }
  }
  return "no such file or folder: " + argument;
}

}  // namespace tarvello::cli
