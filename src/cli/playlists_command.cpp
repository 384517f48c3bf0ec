#include <iostream>
#include <memory>
#include <string>
#include <string_view>

#include "cli/source_commands.h"
#include "cli/source_records.h"
#include "common/json_text.h"
#include "platform/posix/posix_file_system.h"
#include "sources/library_playlists.h"

namespace tarvello::cli {
namespace {

// The IDs of a playlist entry ("12,40,12,") as a JSON array of strings, built in one
// string: a playlist may list tens of thousands. IDs are text: "0123" is not the ID "123".
std::string TrackIdArray(std::string_view entry) {
  std::string array = "[";
  for (size_t comma; (comma = entry.find(',')) != std::string_view::npos;
       entry.remove_prefix(comma + 1)) {
    if (array.size() > 1) array += ',';
    AppendJsonString(array, entry.substr(0, comma));
  }
  return array + "]";
}

int WritePlaylists(const std::string& library, std::ostream& out, std::ostream& err) {
  PosixFileSystem files;
  const std::optional<PlaylistCatalogue> scanned = ScanLibraryFile(files, library, err);
  if (!scanned) return kExitReadFailed;
  const PlaylistCatalogue& catalogue = *scanned;
  for (size_t i = 0; i < catalogue.names.size(); ++i) {
    out << JsonObject()
               .Text("name", catalogue.utf8_names[i])
               .Raw("track_ids", TrackIdArray(catalogue.track_ids[i]))
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
