// The output run against its peer, a plain copy of the same files in the same program;
// and a re-output from the output folder itself, where every song is parked and moved.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/track_list.h"
#include "catalogue/track_table.h"
#include "output/output_run.h"
#include "platform/posix/posix_environment.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_volumes.h"
#include "silent_progress.h"

namespace tarvello {
namespace {

namespace fs = std::filesystem;

using bench::SilentProgress;

// A scratch folder below the benchmark's working folder, removed at the end.
class Scratch {
 public:
  explicit Scratch(const std::string& name) : path_(fs::absolute("tarvello-bench-" + name)) {
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~Scratch() { fs::remove_all(path_); }
  std::string Path(const std::string& name) const { return (path_ / name).string(); }

 private:
  fs::path path_;
};

void WriteBytes(const std::string& path, size_t size, char fill) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  const std::string block(64 * 1024, fill);
  for (size_t left = size; left > 0;) {
    const size_t now = std::min(left, block.size());
    out.write(block.data(), static_cast<std::streamsize>(now));
    left -= now;
  }
}

// Songs, their records and marked rows, and everything a run needs.
struct Bench {
  Bench() : rows(NumberSymbols{",", "."}, MakeLocaleCollator()) {}

  void List(const std::string& path) {
    TTrackInfo track{};
    StoreText(track.Title, "title");
    StoreText(track.FileName, path);
    const int index = table.TrackCount();
    table.StoreTrack(index, track);
    OutputTotals ignored;
    rows.BuildRows(index, index, table, ignored, 0);
  }

  OutputRunResult Run(const std::string& folder) {
    OutputRunSettings settings;
    settings.folder = folder;
    settings.backup_base = folder + "-backup";
    settings.hash_cache_folder = folder + "-hashes";
    settings.options.BackupBeforeOutput = false;
    return RunOutput(settings, rows, table, platform, temp_names, progress);
  }

  PosixVolumes volumes;
  PosixFileSystem files;
  PosixEnvironment environment;
  Platform platform{volumes, files, environment};
  TrackTable table;
  TrackList rows;
  TempNameCounter temp_names;
  SilentProgress progress;
};

constexpr int kBigSongs = 200;
constexpr size_t kBigSongBytes = 5 * 1024 * 1024;

// The 200 songs both benchmarks copy, written once and flushed so that neither pays for
// writing them back.
const std::vector<std::string>& BigSongs() {
  static const Scratch scratch("source");
  static const std::vector<std::string> songs = [] {
    std::vector<std::string> paths;
    for (int i = 0; i < kBigSongs; ++i) {
      paths.push_back(scratch.Path("song" + std::to_string(i) + ".m4a"));
      WriteBytes(paths.back(), kBigSongBytes, char('a' + i % 26));
    }
    ::sync();
    return paths;
  }();
  return songs;
}

// Each round starts from a card without the folder and with nothing left to flush.
void FreshCard(benchmark::State& state, const Scratch& scratch) {
  state.PauseTiming();
  fs::remove_all(scratch.Path("card"));
  ::sync();
  state.ResumeTiming();
}

void BM_OutputRun200Songs(benchmark::State& state) {
  Scratch scratch("run");
  Bench bench;
  for (const std::string& song : BigSongs()) bench.List(song);
  const std::string folder = scratch.Path("card/PRIVATE/AU/DF/D_SD");
  for (auto _ : state) {
    FreshCard(state, scratch);
    const OutputRunResult result = bench.Run(folder);
    if (result.written != kBigSongs) state.SkipWithError(bench.progress.last_message.c_str());
  }
  state.SetBytesProcessed(state.iterations() * kBigSongs * int64_t{kBigSongBytes});
}
BENCHMARK(BM_OutputRun200Songs)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// The peer: the same files copied with the standard library, then flushed like the run.
void BM_PlainCopy200Songs(benchmark::State& state) {
  Scratch scratch("copy");
  const std::vector<std::string>& songs = BigSongs();
  const fs::path folder = scratch.Path("card/PRIVATE/AU/DF/D_SD");
  for (auto _ : state) {
    FreshCard(state, scratch);
    fs::create_directories(folder);
    for (size_t i = 0; i < songs.size(); ++i) {
      fs::copy_file(songs[i], folder / ("SDS_" + std::to_string(i) + ".3G2"));
    }
    ::sync();
  }
  state.SetBytesProcessed(state.iterations() * kBigSongs * int64_t{kBigSongBytes});
}
BENCHMARK(BM_PlainCopy200Songs)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// Songs of 1 KB listed from the output folder in reverse, so every one is parked and moved
// to another number; the rows list the same names again after each run.
void BM_ReoutputFromTheFolder(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  Scratch scratch("reoutput" + std::to_string(count));
  const std::string folder = scratch.Path("D_SD");
  fs::create_directories(folder);
  Bench bench;
  char name[32];
  for (int i = count - 1; i >= 0; --i) {
    std::snprintf(name, sizeof name, "/SDS_%.4d.3G2", i);
    WriteBytes(folder + name, 1024, 'x');
    bench.List(folder + name);
  }
  for (auto _ : state) {
    const OutputRunResult result = bench.Run(folder);
    if (result.written != count) state.SkipWithError(bench.progress.last_message.c_str());
  }
  state.SetComplexityN(count);
}
BENCHMARK(BM_ReoutputFromTheFolder)
    ->Arg(2500)
    ->Arg(5000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Complexity(benchmark::oN);

}  // namespace

// Makes the songs and reads them once before any benchmark, so the first one measured
// does not pay for a cold cache.
void WarmUpSongs() {
  Scratch scratch("warm-up");
  for (size_t i = 0; i < BigSongs().size(); ++i) {
    fs::copy_file(BigSongs()[i], scratch.Path(std::to_string(i)));
  }
}

}  // namespace tarvello

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  tarvello::WarmUpSongs();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
