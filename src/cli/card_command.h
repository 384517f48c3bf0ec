#pragma once

// tarvello-cli card set, show and forget: what a card remembers it should hold, by its
// volume identity, in the program's extra settings file.

#include <CLI/CLI.hpp>

namespace tarvello::cli {

// Registers "card" with its three subcommands; `exit_status` becomes 0 on success, 1 when
// the card has no identity or no profile or the file cannot be written, 2 for a source
// that names nothing.
void AddCardCommand(CLI::App& app, int& exit_status);

}  // namespace tarvello::cli
