#include "cli/mgr_command.h"

#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "output/management_info.h"
#include "platform/posix/posix_file_system.h"

namespace tarvello::cli {

void AddMgrCommand(CLI::App& app, int& exit_status) {
  CLI::App* command = app.add_subcommand(
      "mgr",
      "The header and every entry of each management file (SD_F_000.MGR, ...), one JSON "
      "line per file, titles in UTF-8");
  auto paths = std::make_shared<std::vector<std::string>>();
  command->add_option("FILE", *paths, "management files (native paths)")->required();
  command->callback([paths, &exit_status] {
    PosixFileSystem files;
    exit_status = WriteManagementInfo(files, *paths, std::cout, std::cerr);
  });
}

}  // namespace tarvello::cli
