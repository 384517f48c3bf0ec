#include "cli/convert_command.h"

#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "common/json_text.h"
#include "convert/convert_in_order.h"
#include "platform/landlock.h"
#include "platform/posix/posix_environment.h"
#include "platform/posix/posix_file_system.h"

namespace tarvello::cli {
namespace {

constexpr int kExitNotAllConverted = 1;

std::string SecondsText(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", seconds);
  return text;
}

std::string ResultLine(const std::string& source, const ConvertResult& result) {
  return JsonObject()
      .Text("source", source)
      .Text("result", result.song_path)
      .Text("action", ConvertActionName(result.action))
      .Text("reason", result.reason)
      .Raw("seconds", SecondsText(result.seconds))
      .Close();
}

int RunConvert(const ConvertOptions& options, const std::vector<std::string>& sources) {
  PosixFileSystem files;
  PosixEnvironment environment;
  ConvertCache cache(options.cache_dir.empty() ? DefaultCacheFolder(environment)
                                               : options.cache_dir);
  int exit_status = 0;
  WarnOfAnUnrestrictedHelper(std::cerr);
  ConvertInOrder(files, cache, ConvertSettings{true, options.bit_rate_kbps}, sources,
                 [&](size_t index, const ConvertResult& result) {
                   std::cout << ResultLine(sources[index], result) << std::endl;
                   if (!result.Ready()) {
                     std::cerr << "tarvello-cli: " << sources[index] << ": " << result.reason
                               << "\n";
                     exit_status = kExitNotAllConverted;
                   }
                 });
  return exit_status;
}

}  // namespace

void WarnOfAnUnrestrictedHelper(std::ostream& err) {
  if (LandlockVersion() > 0) return;
  err << "tarvello-cli: the kernel offers no Landlock: songs are converted without the "
         "restriction to writing only the cache folder\n";
}

void AddBitRateOption(CLI::App& command, ConvertOptions& options) {
  command.add_option("--bitrate", options.bit_rate_kbps, "AAC bit rate of an encode, in kbps")
      ->check(
          CLI::IsMember(std::vector<int>(kOfferedBitRatesKbps.begin(), kOfferedBitRatesKbps.end())))
      ->capture_default_str();
}

void AddCacheDirOption(CLI::App& command, ConvertOptions& options) {
  command.add_option("--cache-dir", options.cache_dir,
                     "folder of the converted songs (default: $XDG_CACHE_HOME/tarvello/converted)");
}

void AddConvertOptions(CLI::App& command, ConvertOptions& options) {
  AddBitRateOption(command, options);
  AddCacheDirOption(command, options);
}

void AddConvertCommand(CLI::App& app, int& exit_status) {
  CLI::App* command = app.add_subcommand(
      "convert",
      "Makes a card-ready song of each file: an M4A the window accepts stays as it is, AAC "
      "audio is moved over unchanged, anything else is encoded to AAC. One JSON line per file "
      "with \"source\", \"result\", \"action\", \"reason\" and \"seconds\".");
  auto options = std::make_shared<ConvertOptions>();
  auto sources = std::make_shared<std::vector<std::string>>();
  AddConvertOptions(*command, *options);
  command->add_option("FILE", *sources, "music files (native paths)")->required();
  command->callback(
      [options, sources, &exit_status] { exit_status = RunConvert(*options, *sources); });
}

}  // namespace tarvello::cli
