#pragma once

// tarvello-cli info FILE...: what the M4A reader stores for each file, as JSON lines.

#include <CLI/CLI.hpp>

namespace tarvello::cli {

// Registers the subcommand; when it runs, `exit_status` becomes 0 when every file was
// accepted and 1 otherwise.
void AddInfoCommand(CLI::App& app, int& exit_status);

}  // namespace tarvello::cli
