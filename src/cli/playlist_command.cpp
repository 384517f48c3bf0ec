#include <algorithm>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/list_adding.h"
#include "cli/source_commands.h"
#include "cli/source_records.h"
#include "cli/text_arguments.h"
#include "common/common_routine.h"
#include "common/text_tools.h"
#include "platform/posix/posix_environment.h"
#include "platform/posix/posix_file_system.h"
#include "sources/library_playlists.h"
#include "sources/player_playlists.h"
#include "sources/playlist_adding.h"
#include "sources/playlist_import.h"
#include "sources/track_list_file.h"

namespace tarvello::cli {
namespace {

int WritePlaylist(const std::string& library, const std::string& name, std::ostream& out,
                  std::ostream& err) {
  PosixFileSystem files;
  const std::optional<PlaylistCatalogue> scanned = ScanLibraryFile(files, library, err);
  if (!scanned) return kExitReadFailed;
  const PlaylistCatalogue& catalogue = *scanned;
  // The first playlist of that name, as the window's box selects it.
  const auto found = std::find(catalogue.utf8_names.begin(), catalogue.utf8_names.end(), name);
  if (found == catalogue.utf8_names.end()) {
    err << "tarvello-cli: no playlist \"" << name << "\" in " << library << "\n";
    return kExitReadFailed;
  }
  TrackTable table;
  TTrackInfo staging{};
  std::vector<std::string> track_id_list;
  const SourceMessages messages = ImportPlaylistTracks(
      files, library, catalogue.track_ids[found - catalogue.utf8_names.begin()], table, staging,
      track_id_list);
  WriteRecords(table, out);
  WriteMessages(messages, err);
  return 0;
}

bool SamePlayerName(std::string_view given, const char* name) {
  return EqualsIgnoringCase(given, name);
}

// The import of a player's playlist, as the window's import of it adds to an empty list.
int WritePlayerPlaylist(const std::string& player, const std::string& name, std::ostream& out,
                        std::ostream& err) {
  PosixFileSystem files;
  PosixEnvironment environment;
  const PlayerCatalogue catalogue =
      ListPlayerPlaylists(files, FindPlayerSources(files, PlayerFoldersOf(environment)), false);
  for (const std::string& problem : catalogue.problems) err << "tarvello-cli: " << problem << "\n";
  const auto found = std::find_if(
      catalogue.playlists.begin(), catalogue.playlists.end(), [&](const PlayerPlaylist& playlist) {
        return playlist.name == name &&
               SamePlayerName(player, PlayerName(catalogue.sources[playlist.source].player));
      });
  if (found == catalogue.playlists.end()) {
    err << "tarvello-cli: no playlist \"" << name << "\" of " << player << "\n";
    return kExitReadFailed;
  }
  const PlaylistReading reading = ReadPlayerPlaylist(files, catalogue, *found);
  if (reading.damaged) {
    err << "tarvello-cli: " << catalogue.sources[found->source].path << ": read only in part\n";
  }
  ListAdding list;
  const AddContext context = list.Context(files, environment);
  PlaylistAdding adding(context);
  std::vector<EntryNote> notes;
  adding.on_summary = [&](const PlaylistSummary& summary) { notes = summary.notes; };
  adding.AddEntries(reading.entries);
  WriteRecords(list.table, out);
  WriteEntryNotes(notes, out);
  WriteMessages(list.messages, err);
  return 0;
}

}  // namespace

void AddPlaylistCommand(CLI::App& app, int& exit_status) {
  CLI::App* command = app.add_subcommand(
      "playlist",
      "The records an import of one playlist adds to an empty list, one JSON line each");
  auto library = std::make_shared<std::string>();
  auto name = std::make_shared<std::string>();
  auto player = std::make_shared<std::string>();
  command->add_option("--player", *player,
                      "a music player's playlist instead: Rhythmbox, Strawberry, Clementine or "
                      "MPD; then the one argument is the playlist's name");
  command
      ->add_option("LIBRARY", *library,
                   "the library's XML file (native path); with --player, the playlist's name")
      ->required();
  command->add_option("NAME", *name, "the playlist's name")->check(Utf8Text());
  command->callback([command, library, name, player, &exit_status] {
    if (!player->empty()) {
      if (command->count("NAME") > 0) throw CLI::ExtrasError({*name});
      exit_status = WritePlayerPlaylist(*player, *library, std::cout, std::cerr);
      return;
    }
    if (command->count("NAME") == 0) throw CLI::RequiredError("NAME");
    exit_status = WritePlaylist(*library, *name, std::cout, std::cerr);
  });
}

}  // namespace tarvello::cli
