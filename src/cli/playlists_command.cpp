#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/source_commands.h"
#include "cli/source_records.h"
#include "common/json_text.h"
#include "platform/posix/posix_file_system.h"
#include "sources/library_playlists.h"
#include "sources/playlist_import.h"

namespace tarvello::cli {
namespace {

int WritePlaylists(const std::string& library, std::ostream& out, std::ostream& err) {
  PosixFileSystem files;
  const std::optional<PlaylistCatalogue> scanned = ScanLibraryFile(files, library, err);
  if (!scanned) return kExitReadFailed;
  const PlaylistCatalogue& catalogue = *scanned;
  for (size_t i = 0; i < catalogue.names.size(); ++i) {
    std::vector<std::string> ids;
    for (const std::string& id : SplitTrackIds(catalogue.track_ids[i])) {
      // IDs are text: "0123" is not the ID "123".
      ids.push_back(JsonString(id));
    }
    out << JsonObject()
               .Text("name", catalogue.utf8_names[i])
               .Raw("track_ids", JsonArray(ids))
               .Close()
        << "\n";
  }
  return 0;
}

}  // namespace

void AddPlaylistsCommand(CLI::App& app, int& exit_status) {
  CLI::App* command = app.add_subcommand(
      "playlists", "The playlists of a music library file, one JSON line each: name and track IDs");
  auto library = std::make_shared<std::string>();
  command->add_option("LIBRARY", *library, "the library's XML file (native path)")->required();
  command->callback(
      [library, &exit_status] { exit_status = WritePlaylists(*library, std::cout, std::cerr); });
}

}  // namespace tarvello::cli
