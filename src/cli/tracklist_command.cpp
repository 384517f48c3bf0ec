#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/source_commands.h"
#include "cli/source_records.h"
#include "platform/posix/posix_file_system.h"
#include "sources/add_files.h"
#include "sources/track_list_file.h"

namespace tarvello::cli {
namespace {

int WriteTrackList(const std::string& path, std::ostream& out, std::ostream& err) {
  PosixFileSystem files;
  TrackTable table;
  TTrackInfo staging{};
  std::vector<std::string> track_id_list;
  const TrackListResult result = ReadTrackList(files, path, table, staging, track_id_list);
  WriteRecords(table, out);
  WriteMessages(result.messages, err);
  if (result.accepted) return 0;
  WriteMessages({std::string(kNotASongMessage) + "\r\n" + path}, err);
  return kExitReadFailed;
}

}  // namespace

void AddTracklistCommand(CLI::App& app, int& exit_status) {
  CLI::App* command = app.add_subcommand(
      "tracklist", "The records an XML or RMP track list adds, one JSON line each");
  auto path = std::make_shared<std::string>();
  command->add_option("FILE", *path, "the track list (native path)")->required();
  command->callback(
      [path, &exit_status] { exit_status = WriteTrackList(*path, std::cout, std::cerr); });
}

}  // namespace tarvello::cli
