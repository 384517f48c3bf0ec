// Reading the tags of 1,000 songs as a whole process: `tarvello-cli info` against a small
// TagLib program (bench/peers/taglib_info.cpp, TagLib in its fast mode) doing the same,
// start-up and output included.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "song_folder.h"

extern char** environ;

namespace {

using tarvello::bench::Songs;

// Runs `program` with `arguments` and then the song paths, output to /dev/null; false
// when it could not start or did not exit with status 0.
bool RunOverSongs(const std::string& program, const std::vector<std::string>& arguments) {
  std::vector<std::string> words = {program};
  words.insert(words.end(), arguments.begin(), arguments.end());
  const auto& paths = Songs().paths();
  words.insert(words.end(), paths.begin(), paths.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t child = 0;
  const int started = posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (started != 0) return false;
  int status = 0;
  if (::waitpid(child, &status, 0) != child) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void BM_TarvelloCliInfo(benchmark::State& state) {
  for (auto _ : state) {
    if (!RunOverSongs(TARVELLO_CLI_PATH, {"info"})) {
      state.SkipWithError("tarvello-cli info failed");
      break;
    }
  }
  state.counters["songs"] = tarvello::bench::kSongCount;
}
BENCHMARK(BM_TarvelloCliInfo)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

void BM_TagLibInfo(benchmark::State& state) {
  for (auto _ : state) {
    if (!RunOverSongs(TAGLIB_INFO_PATH, {})) {
      state.SkipWithError("taglib_info failed");
      break;
    }
  }
  state.counters["songs"] = tarvello::bench::kSongCount;
}
BENCHMARK(BM_TagLibInfo)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  Songs();
  tarvello::bench::RatioReporter reporter("BM_TarvelloCliInfo", "BM_TagLibInfo",
                                          "as a whole process");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
