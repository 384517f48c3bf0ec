#pragma once

// tarvello-cli sync: brings a card in step with the sources it remembers, as the window's
// update does: the plan as JSON lines, then the output run.

#include <CLI/CLI.hpp>

namespace tarvello::cli {

// Registers the subcommand; `exit_status` becomes 0 when the card was brought up to date
// (or only planned), 1 when the update was refused or songs failed, 2 when the card has no
// medium or its output folder lies off it.
void AddSyncCommand(CLI::App& app, int& exit_status);

}  // namespace tarvello::cli
