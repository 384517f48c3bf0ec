// tarvello-cli: the companion command over the same core, for scripts. Each subcommand
// registers itself from its own file; this one only parses and maps the exit status.

#include <CLI/CLI.hpp>

#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "cli/backup_commands.h"
#include "cli/card_command.h"
#include "cli/convert_command.h"
#include "cli/info_command.h"
#include "cli/mgr_command.h"
#include "cli/output_command.h"
#include "cli/source_commands.h"
#include "cli/sync_command.h"
#include "version.h"

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitBadArguments = 2;

// A first argument that names no subcommand reads better as such than as CLI11's "a
// subcommand is required". True when that was the case and the message is out.
bool ReportUnknownCommand(const CLI::App& app) {
  if (!app.get_subcommands().empty()) return false;
  const std::vector<std::string> unparsed = app.remaining();
  if (unparsed.empty()) return false;
  const std::string& first = unparsed.front();
  std::cerr << "tarvello-cli: unknown " << (first.starts_with('-') ? "option" : "command") << " \""
            << first << "\"\nRun with --help for more information.\n";
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app(
      "The companion command of Tarvello: JSON lines on standard output, messages on "
      "standard error; exit status 0 on success, 1 when a read or a run failed, 2 for "
      "bad arguments.",
      "tarvello-cli");
  app.set_version_flag("--version",
                       std::string(tarvello::kProductName) + "-cli " + tarvello::kFileVersion);
  app.require_subcommand(1);
  int exit_status = 0;
  tarvello::cli::AddInfoCommand(app, exit_status);
  tarvello::cli::AddMgrCommand(app, exit_status);
  tarvello::cli::AddOutputCommand(app, exit_status);
  tarvello::cli::AddVerifyCommand(app, exit_status);
  tarvello::cli::AddBackupCommands(app, exit_status);
  tarvello::cli::AddPlaylistsCommand(app, exit_status);
  tarvello::cli::AddPlaylistCommand(app, exit_status);
  tarvello::cli::AddTracklistCommand(app, exit_status);
  tarvello::cli::AddPlayersCommand(app, exit_status);
  tarvello::cli::AddFolderCommand(app, exit_status);
  tarvello::cli::AddConvertCommand(app, exit_status);
  tarvello::cli::AddCardCommand(app, exit_status);
  tarvello::cli::AddSyncCommand(app, exit_status);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    if (ReportUnknownCommand(app)) return kExitBadArguments;
    // Help and version are "errors" that succeed; every other one is a bad argument.
    return app.exit(error) == 0 ? 0 : kExitBadArguments;
  } catch (const std::exception& error) {
    std::cerr << "tarvello-cli: " << error.what() << "\n";
    return kExitFailed;
  }
  return exit_status;
}
