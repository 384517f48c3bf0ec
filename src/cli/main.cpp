// tarvello-cli: the companion command over the same core, for scripts.

#include <cstring>
#include <iostream>
#include <string>

#include "cli/info_command.h"
#include "version.h"

namespace {

constexpr const char* kUsage =
    "Usage: tarvello-cli COMMAND [ARGS...]\n"
    "\n"
    "Commands:\n"
    "  --help       show this text\n"
    "  --version    show the version\n"
    "  info FILE... what the M4A reader stores for each file, one JSON line per file\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << kUsage;
    return 2;
  }
  const std::string command = argv[1];
  if (command == "--help" || command == "-h") {
    std::cout << kUsage;
    return 0;
  }
  if (command == "--version") {
    std::cout << tarvello::kProductName << "-cli " << tarvello::kFileVersion << "\n";
    return 0;
  }
  if (command == "info") return tarvello::cli::RunInfoCommand(argc - 2, argv + 2);
  std::cerr << "tarvello-cli: unknown command \"" << command << "\"\n" << kUsage;
  return 2;
}
