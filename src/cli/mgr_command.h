#pragma once

// tarvello-cli mgr FILE...: the header and entries of management files, as JSON lines.

#include <CLI/CLI.hpp>

namespace tarvello::cli {

// Registers the subcommand; when it runs, `exit_status` becomes 0 when every file was a
// management file and 1 otherwise.
void AddMgrCommand(CLI::App& app, int& exit_status);

}  // namespace tarvello::cli
