#pragma once

// tarvello-cli convert: makes card-ready songs of any music files, one JSON line each.

#include <CLI/CLI.hpp>

#include <ostream>
#include <string>

#include "convert/convert_settings.h"

namespace tarvello::cli {

// Registers the subcommand; when it runs, `exit_status` becomes 0 when every file became
// a song, 1 when any was refused or failed.
void AddConvertCommand(CLI::App& app, int& exit_status);

// The --bitrate and --cache-dir options, shared with the output command.
struct ConvertOptions {
  int bit_rate_kbps = kDefaultBitRateKbps;
  std::string cache_dir;  // empty: the user's cache folder
};
void AddConvertOptions(CLI::App& command, ConvertOptions& options);
// --bitrate alone, and --cache-dir alone.
void AddBitRateOption(CLI::App& command, ConvertOptions& options);
void AddCacheDirOption(CLI::App& command, ConvertOptions& options);

// Says on `err` when the kernel lacks Landlock (each run converts once): the helper then converts
// without its restriction to writing the cache.
void WarnOfAnUnrestrictedHelper(std::ostream& err);

}  // namespace tarvello::cli
