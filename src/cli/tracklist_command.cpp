#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/list_adding.h"
#include "cli/source_commands.h"
#include "cli/source_records.h"
#include "common/common_routine.h"
#include "platform/posix/posix_environment.h"
#include "platform/posix/posix_file_system.h"
#include "sources/add_files.h"
#include "sources/playlist_adding.h"
#include "sources/track_list_file.h"

namespace tarvello::cli {
namespace {

// The file is read as the window's add reads a file the M4A reader refused: a track list,
// else a playlist file whose entries are added one by one.
int WriteTrackList(const std::string& path, std::ostream& out, std::ostream& err) {
  PosixFileSystem files;
  PosixEnvironment environment;
  ListAdding list;
  const AddContext context = list.Context(files, environment);
  PlaylistAdding adding(context);
  std::vector<EntryNote> notes;
  adding.on_summary = [&](const PlaylistSummary& summary) {
    notes.insert(notes.end(), summary.notes.begin(), summary.notes.end());
  };
  const bool read = adding.ReadListFile(path);
  WriteRecords(list.table, out);
  WriteEntryNotes(notes, out);
  WriteMessages(list.messages, err);
  if (read) return 0;
  WriteMessages({std::string(kNotASongMessage) + "\r\n" + path}, err);
  return kExitReadFailed;
}

}  // namespace

void AddTracklistCommand(CLI::App& app, int& exit_status) {
  CLI::App* command = app.add_subcommand(
      "tracklist",
      "The records an XML or RMP track list, or an M3U, M3U8, PLS or XSPF playlist adds, one "
      "JSON line each, then one line per missing or skipped playlist entry");
  auto path = std::make_shared<std::string>();
  command->add_option("FILE", *path, "the track list or playlist (native path)")->required();
  command->callback(
      [path, &exit_status] { exit_status = WriteTrackList(*path, std::cout, std::cerr); });
}

}  // namespace tarvello::cli
