#pragma once

// tarvello-cli output: a whole output run onto a folder, with the window's options,
// checks, messages and result.

#include <CLI/CLI.hpp>

namespace tarvello::cli {

// Registers the subcommand; when it runs, `exit_status` becomes 0 when every song was
// written, 1 when songs failed, 2 when the songs do not fit or the folder is unusable.
void AddOutputCommand(CLI::App& app, int& exit_status);

// tarvello-cli verify: checks an existing card against a list without writing; exit
// status 1 on a mismatch.
void AddVerifyCommand(CLI::App& app, int& exit_status);

}  // namespace tarvello::cli
