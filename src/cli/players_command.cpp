#include <iostream>
#include <string>

#include "cli/source_commands.h"
#include "cli/source_records.h"
#include "common/json_text.h"
#include "platform/posix/posix_environment.h"
#include "platform/posix/posix_file_system.h"
#include "sources/player_playlists.h"

namespace tarvello::cli {
namespace {

int WritePlayers(std::ostream& out, std::ostream& err) {
  PosixFileSystem files;
  PosixEnvironment environment;
  const PlayerCatalogue catalogue =
      ListPlayerPlaylists(files, FindPlayerSources(files, PlayerFoldersOf(environment)), true);
  for (const std::string& problem : catalogue.problems) err << "tarvello-cli: " << problem << "\n";
  for (const PlayerPlaylist& playlist : catalogue.playlists) {
    out << JsonObject()
               .Text("player", PlayerName(catalogue.sources[playlist.source].player))
               .Text("name", playlist.name)
               .Number("entries", playlist.entries)
               .Close()
        << "\n";
  }
  return 0;
}

}  // namespace

void AddPlayersCommand(CLI::App& app, int& exit_status) {
  CLI::App* command = app.add_subcommand(
      "players",
      "The playlists of the music players found (Rhythmbox, Strawberry, Clementine, MPD), one "
      "JSON line each: player, name and number of entries");
  command->callback([&exit_status] { exit_status = WritePlayers(std::cout, std::cerr); });
}

}  // namespace tarvello::cli
