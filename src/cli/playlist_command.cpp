#include <algorithm>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/source_commands.h"
#include "cli/source_records.h"
#include "cli/text_arguments.h"
#include "platform/posix/posix_file_system.h"
#include "sources/library_playlists.h"
#include "sources/playlist_import.h"

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

}  // namespace

void AddPlaylistCommand(CLI::App& app, int& exit_status) {
  CLI::App* command = app.add_subcommand(
      "playlist",
      "The records an import of one playlist adds to an empty list, one JSON line each");
  auto library = std::make_shared<std::string>();
  auto name = std::make_shared<std::string>();
  command->add_option("LIBRARY", *library, "the library's XML file (native path)")->required();
  command->add_option("NAME", *name, "the playlist's name")->required()->check(Utf8Text());
  command->callback([library, name, &exit_status] {
    exit_status = WritePlaylist(*library, *name, std::cout, std::cerr);
  });
}

}  // namespace tarvello::cli
