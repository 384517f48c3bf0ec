#pragma once

// The arguments of tarvello-cli output and verify, and the card options they give.

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

#include "cli/convert_command.h"
#include "output/output_options.h"

namespace tarvello::cli {

struct OutputArguments {
  std::string root;
  std::string out_dir{kDefaultOutDir};
  std::string prefix{kDefaultPrefix};
  std::string ext{kDefaultExt};
  int title_format = 0;
  int separator = 0;
  std::string backup_dir;
  bool no_backup = false;
  bool no_verify = false;
  bool no_convert = false;
  bool fit = false;  // re-encode and leave out songs to fit the card instead of refusing
  ConvertOptions convert;
  std::vector<std::string> songs;
};

// The options that decide the card's names and texts, shared by output and verify.
void AddNameOptions(CLI::App* command, OutputArguments& arguments);

// --backup-dir and --no-verify, shared by output and sync.
CLI::Option* AddBackupDirOption(CLI::App* command, std::string& backup_dir);
void AddNoVerifyFlag(CLI::App* command, bool& no_verify);

// The run's options: CP932 texts, OutDir by its rule.
TOutputOptions OutputOptionsOf(const OutputArguments& arguments);

}  // namespace tarvello::cli
