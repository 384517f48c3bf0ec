#include "cli/info_command.h"

#include <iostream>
#include <string>
#include <vector>

#include "catalogue/m4a_info.h"
#include "platform/posix/posix_file_system.h"

namespace tarvello::cli {

int RunInfoCommand(int argc, char** argv) {
  if (argc < 1) {
    std::cerr << "Usage: tarvello-cli info FILE...\n";
    return 2;
  }
  const std::vector<std::string> paths(argv, argv + argc);
  PosixFileSystem files;
  return WriteM4aInfo(files, paths, std::cout, std::cerr);
}

}  // namespace tarvello::cli
