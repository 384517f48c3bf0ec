#include "cli/info_command.h"

#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/m4a_info.h"
#include "platform/posix/posix_file_system.h"

namespace tarvello::cli {

void AddInfoCommand(CLI::App& app, int& exit_status) {
  CLI::App* command = app.add_subcommand(
      "info", "What the M4A reader stores for each file, one JSON line per file");
  // The paths must outlive this function: the callback runs during parsing.
  auto paths = std::make_shared<std::vector<std::string>>();
  command->add_option("FILE", *paths, "M4A files (native paths)")->required();
  command->callback([paths, &exit_status] {
    PosixFileSystem files;
    exit_status = WriteM4aInfo(files, *paths, std::cout, std::cerr);
  });
}

}  // namespace tarvello::cli
