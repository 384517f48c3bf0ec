#pragma once

// tarvello-cli backups and restore: the backup folders that output runs leave, and
// putting one back onto a card.

#include <CLI/CLI.hpp>

namespace tarvello::cli {

void AddBackupCommands(CLI::App& app, int& exit_status);

}  // namespace tarvello::cli
