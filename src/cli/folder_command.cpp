#include <iostream>
#include <memory>
#include <string>

#include "cli/source_commands.h"
#include "cli/source_records.h"
#include "common/common_routine.h"
#include "platform/posix/posix_environment.h"
#include "platform/posix/posix_file_system.h"
#include "sources/output_folder_import.h"

namespace tarvello::cli {
namespace {

int WriteFolder(std::string folder, std::ostream& out, std::ostream& err) {
  PosixFileSystem files;
  PosixEnvironment environment;
  folder = WithoutTrailingSlashes(folder);
  if (!files.DirectoryExists(folder)) {
    err << "tarvello-cli: no folder " << folder << "\n";
    return kExitReadFailed;
  }
  TrackTable table;
  TTrackInfo staging{};
  TempNameCounter temp_names;
  const FolderSongs songs =
      ReadFolderSongs(files, temp_names, GetTempFolder(environment), folder, table, staging);
  WriteRecords(table, out);
  WriteMessages(songs.messages, err);
  return songs.read_errors.empty() ? 0 : kExitReadFailed;
}

}  // namespace

void AddFolderCommand(CLI::App& app, int& exit_status) {
  CLI::App* command = app.add_subcommand(
      "folder", "The records an import of DIR as the output folder lists, one JSON line each");
  auto folder = std::make_shared<std::string>();
  command->add_option("DIR", *folder, "the output folder (native path)")->required();
  command->callback(
      [folder, &exit_status] { exit_status = WriteFolder(*folder, std::cout, std::cerr); });
}

}  // namespace tarvello::cli
