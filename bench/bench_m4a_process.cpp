// Reading the tags of 1,000 songs as a whole process: `tarvello-cli info` against a small
// TagLib program (bench/peers/taglib_info.cpp, TagLib in its fast mode) doing the same,
// start-up and output included. A second pair reads songs that carry about 250 KB of
// cover art in the movie box (made with ffmpeg on the first run), which the reader must
// skip rather than read.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "song_folder.h"

extern char** environ;

namespace {

using tarvello::bench::Songs;

// 1,000 songs made from the fixtures with a picture of random pixels (about 250 KB as a
// JPEG) as cover art and the movie box first; no paths when ffmpeg failed.
class CoverArtSongs {
 public:
  CoverArtSongs() {
    char pattern[] = "/tmp/tarvello-bench-cover-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) std::abort();
    folder_ = pattern;
    const std::string cover = folder_ + "/cover.jpg";
    if (!Ffmpeg("-f lavfi -i 'nullsrc=s=480x480,geq=random(1)*255:random(1)*255:random(1)*255' "
                "-frames:v 1 -q:v 2 '" + cover + "'")) {
      return;
    }
    const std::vector<std::string> sources = {"tagged", "japanese", "faststart"};
    for (const std::string& source : sources) {
      if (!Ffmpeg("-i '" TARVELLO_TEST_DATA "/m4a/" + source + ".m4a' -i '" + cover +
                  "' -map 0:a -map 1 -c copy -disposition:v:0 attached_pic -movflags +faststart '" +
                  folder_ + "/" + source + ".m4a'")) {
        return;
      }
    }
    for (int i = 0; i < tarvello::bench::kSongCount; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "/song_%04d.m4a", i);
      std::filesystem::copy_file(folder_ + "/" + sources[i % 3] + ".m4a", folder_ + name);
      paths_.push_back(folder_ + name);
    }
  }
  ~CoverArtSongs() { std::filesystem::remove_all(folder_); }
  CoverArtSongs(const CoverArtSongs&) = delete;
  CoverArtSongs& operator=(const CoverArtSongs&) = delete;

  const std::vector<std::string>& paths() const { return paths_; }

 private:
  static bool Ffmpeg(const std::string& arguments) {
    const std::string command = "ffmpeg -hide_banner -loglevel error -y " + arguments;
    return std::system(command.c_str()) == 0;
  }

  std::string folder_;
  std::vector<std::string> paths_;
};

const CoverArtSongs& CoverArt() {
  static const CoverArtSongs songs;
  return songs;
}

// Runs `program` with `arguments` and then `paths`, output to /dev/null; false when it
// could not start or did not exit with status 0.
bool RunOverSongs(const std::string& program, const std::vector<std::string>& arguments,
                  const std::vector<std::string>& paths = Songs().paths()) {
  std::vector<std::string> words = {program};
  words.insert(words.end(), arguments.begin(), arguments.end());
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

void RunOverCoverArt(benchmark::State& state, const std::string& program,
                     const std::vector<std::string>& arguments) {
  if (CoverArt().paths().empty()) {
    state.SkipWithError("ffmpeg could not make the songs with cover art");
    return;
  }
  for (auto _ : state) {
    if (!RunOverSongs(program, arguments, CoverArt().paths())) {
      state.SkipWithError("the program failed");
      break;
    }
  }
  state.counters["songs"] = tarvello::bench::kSongCount;
}

void BM_TarvelloCliInfoWithCoverArt(benchmark::State& state) {
  RunOverCoverArt(state, TARVELLO_CLI_PATH, {"info"});
}
BENCHMARK(BM_TarvelloCliInfoWithCoverArt)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

void BM_TagLibInfoWithCoverArt(benchmark::State& state) {
  RunOverCoverArt(state, TAGLIB_INFO_PATH, {});
}
BENCHMARK(BM_TagLibInfoWithCoverArt)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  Songs();
  tarvello::bench::RatioReporter reporter("BM_TarvelloCliInfo", "BM_TagLibInfo",
                                          "as a whole process");
  reporter.AddPair("BM_TarvelloCliInfoWithCoverArt", "BM_TagLibInfoWithCoverArt",
                   "as a whole process on songs with cover art");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
