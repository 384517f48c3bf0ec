// Converting songs: ten 4-minute MP3s on every core against the ffmpeg command run once
// per file, a thousand small AAC .mp4 files remuxed, a remux against an encode of the
// same 5 MB song, a cache hit against one hash of the source, and the peak memory of
// converting 100 files.
//
// The sources are made once with the ffmpeg command under $TMPDIR/tarvello-bench-convert.

#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "convert/content_hash.h"
#include "convert/convert_in_order.h"
#include "convert/helper/encode.h"
#include "convert/helper_options.h"
#include "convert/helper/source_input.h"
#include "platform/posix/posix_file_system.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace tarvello;

constexpr int kLongSongs = 10;
constexpr int kManySongs = 100;
constexpr int kAacFiles = 1000;

std::string BenchFolder() {
  const char* tmp = std::getenv("TMPDIR");
  return std::string(tmp && *tmp ? tmp : "/tmp") + "/tarvello-bench-convert";
}

bool Shell(const std::string& command) {
  return std::system(command.c_str()) == 0;
}

// Makes `path` with ffmpeg unless an earlier run did.
void Make(const std::string& path, const std::string& arguments) {
  if (fs::exists(path)) return;
  const std::string part = path + ".part" + fs::path(path).extension().string();
  if (!Shell("ffmpeg -nostdin -loglevel error -y " + arguments + " '" + part + "'")) {
    std::fprintf(stderr, "could not make %s\n", path.c_str());
    std::exit(1);
  }
  fs::rename(part, path);
}

// Music-like input: two tones and some noise, so the encoder has real work.
std::string Music(int seconds, int variant) {
  return "-f lavfi -i \"sine=frequency=" + std::to_string(220 + variant * 7) +
         ":duration=" + std::to_string(seconds) +
         "\" -f lavfi -i \"anoisesrc=amplitude=0.05:duration=" + std::to_string(seconds) +
         ":seed=" + std::to_string(variant + 1) +
         "\" -filter_complex amix=inputs=2 -ac 2 -ar 44100";
}

struct Sources {
  std::vector<std::string> long_mp3s;
  std::vector<std::string> many_mp3s;
  std::string movie_last_m4a;
  std::vector<std::string> aac_mp4s;
};

const Sources& TheSources() {
  static const Sources sources = [] {
    Sources made;
    const std::string folder = BenchFolder();
    fs::create_directories(folder);
    for (int i = 0; i < kLongSongs; ++i) {
      made.long_mp3s.push_back(folder + "/long" + std::to_string(i) + ".mp3");
      Make(made.long_mp3s.back(), Music(240, i) + " -c:a libmp3lame -b:a 192k");
    }
    for (int i = 0; i < kManySongs; ++i) {
      made.many_mp3s.push_back(folder + "/short" + std::to_string(i) + ".mp3");
      Make(made.many_mp3s.back(), Music(8, i) + " -c:a libmp3lame -b:a 128k");
    }
    // About 5 MB of 128 kbps AAC, movie box last.
    made.movie_last_m4a = folder + "/movie_last.m4a";
    Make(made.movie_last_m4a, Music(320, 99) + " -c:a aac -b:a 128k -f ipod");
    // A thousand one-second AAC songs in plain .mp4, which the card does not take as they
    // are: each is remuxed. One ffmpeg command cuts them all.
    const std::string aac_folder = folder + "/aac-mp4";
    if (!fs::exists(aac_folder + "/done")) {
      fs::remove_all(aac_folder);
      fs::create_directories(aac_folder);
      if (!Shell("ffmpeg -nostdin -loglevel error " + Music(kAacFiles, 5) +
                 " -c:a aac -b:a 128k -f segment -segment_time 1 -segment_format mp4 '" +
                 aac_folder + "/song%04d.mp4'") ||
          !Shell("touch '" + aac_folder + "/done'")) {
        std::fprintf(stderr, "could not make %s\n", aac_folder.c_str());
        std::exit(1);
      }
    }
    for (int i = 0; i < kAacFiles; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "/song%04d.mp4", i);
      made.aac_mp4s.push_back(aac_folder + name);
    }
    return made;
  }();
  return sources;
}

bool RunQuietly(std::vector<std::string> words) {
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  pid_t child = 0;
  if (posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
  int status = 0;
  return ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A fresh cache folder per iteration, so every song is really converted.
class FreshCache {
 public:
  FreshCache() : folder_(BenchFolder() + "/cache-" + std::to_string(next_++)) {
    fs::remove_all(folder_);
  }
  ~FreshCache() { fs::remove_all(folder_); }
  const std::string& folder() const { return folder_; }

 private:
  static inline int next_ = 0;
  std::string folder_;
};

bool ConvertAll(const std::vector<std::string>& sources, const std::string& cache_folder) {
  PosixFileSystem files;
  ConvertCache cache(cache_folder);
  bool all = true;
  ConvertInOrder(files, cache, ConvertSettings{}, sources,
                 [&](size_t, const ConvertResult& result) { all = all && result.Ready(); });
  return all;
}

// Converts all of `sources` into a fresh cache per iteration.
void ConvertAllTimed(benchmark::State& state, const std::vector<std::string>& sources) {
  for (auto _ : state) {
    state.PauseTiming();
    FreshCache cache;
    state.ResumeTiming();
    if (!ConvertAll(sources, cache.folder())) state.SkipWithError("a conversion failed");
  }
  state.counters["files/s"] =
      benchmark::Counter(double(sources.size()), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_EncodeTenMp3sAllCores(benchmark::State& state) {
  ConvertAllTimed(state, TheSources().long_mp3s);
}
BENCHMARK(BM_EncodeTenMp3sAllCores)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

void BM_FfmpegCommandTenMp3s(benchmark::State& state) {
  const auto& mp3s = TheSources().long_mp3s;
  for (auto _ : state) {
    for (const std::string& mp3 : mp3s) {
      if (!RunQuietly({"ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-i", mp3, "-c:a", "aac",
                       "-b:a", "128k", BenchFolder() + "/peer.m4a"})) {
        state.SkipWithError("the ffmpeg command failed");
      }
    }
  }
  fs::remove(BenchFolder() + "/peer.m4a");
  state.counters["files/s"] =
      benchmark::Counter(double(kLongSongs), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_FfmpegCommandTenMp3s)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

// Many small songs: what each job costs beside its work (the helper's round trip).
void BM_RemuxThousandAacMp4s(benchmark::State& state) {
  ConvertAllTimed(state, TheSources().aac_mp4s);
}
BENCHMARK(BM_RemuxThousandAacMp4s)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(3);

void BM_RemuxFiveMegabytes(benchmark::State& state) {
  const std::string source = TheSources().movie_last_m4a;
  PosixFileSystem files;
  std::atomic<bool> cancel{false};
  for (auto _ : state) {
    state.PauseTiming();
    FreshCache folder;
    ConvertCache cache(folder.folder());
    HelperWorker helper(FindHelperProgram(), folder.folder(), std::chrono::seconds(60));
    state.ResumeTiming();
    const ConvertResult result =
        ConvertSong(files, cache, helper, source, ConvertSettings{}, cancel);
    if (result.action != ConvertAction::kRemuxed) state.SkipWithError("not remuxed");
  }
}
BENCHMARK(BM_RemuxFiveMegabytes)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_EncodeFiveMegabytes(benchmark::State& state) {
  const std::string source = TheSources().movie_last_m4a;
  const std::string target = BenchFolder() + "/encoded.m4a";
  std::atomic<bool> cancel{false};
  for (auto _ : state) {
    SourceInput input;
    if (!OpenSourceInput(source, input).Done() ||
        !EncodeToM4a(input, {}, kDefaultBitRateKbps, target, cancel).Done()) {
      state.SkipWithError("the encode failed");
    }
    fs::remove(target);
  }
}
BENCHMARK(BM_EncodeFiveMegabytes)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

void BM_CacheHit(benchmark::State& state) {
  const std::string source = TheSources().long_mp3s.front();
  PosixFileSystem files;
  FreshCache folder;
  ConvertCache cache(folder.folder());
  HelperWorker helper(FindHelperProgram(), folder.folder(), std::chrono::seconds(60));
  std::atomic<bool> cancel{false};
  ConvertSong(files, cache, helper, source, ConvertSettings{}, cancel);
  for (auto _ : state) {
    const ConvertResult result =
        ConvertSong(files, cache, helper, source, ConvertSettings{}, cancel);
    if (!result.from_cache) state.SkipWithError("not found in the cache");
  }
}
BENCHMARK(BM_CacheHit)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_HashOfTheSource(benchmark::State& state) {
  const std::string source = TheSources().long_mp3s.front();
  PosixFileSystem files;
  for (auto _ : state) benchmark::DoNotOptimize(SourceContentKey(files, source));
}
BENCHMARK(BM_HashOfTheSource)->Unit(benchmark::kMillisecond)->UseRealTime();

// Peak memory is the process's high-water mark, so this one is best run on its own:
// --benchmark_filter=PeakMemory.
void BM_PeakMemoryHundredFiles(benchmark::State& state) {
  const auto& mp3s = TheSources().many_mp3s;
  for (auto _ : state) {
    FreshCache cache;
    if (!ConvertAll(mp3s, cache.folder())) state.SkipWithError("a conversion failed");
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["peak_MB"] = double(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_PeakMemoryHundredFiles)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

// The usual table, then each pair's ratio.
class RatiosReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (!run.error_occurred && run.run_type == Run::RT_Iteration) {
        seconds_[run.run_name.function_name] = run.real_accumulated_time / run.iterations;
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    Ratio("BM_FfmpegCommandTenMp3s", "BM_EncodeTenMp3sAllCores",
          "files per second, all cores against the ffmpeg command once per file");
    Ratio("BM_EncodeFiveMegabytes", "BM_RemuxFiveMegabytes", "remux against encode");
    Ratio("BM_CacheHit", "BM_HashOfTheSource", "cache hit against one hash (1.0 = one hash)");
  }

 private:
  void Ratio(const std::string& slow, const std::string& fast, const char* what) {
    const auto a = seconds_.find(slow);
    const auto b = seconds_.find(fast);
    if (a == seconds_.end() || b == seconds_.end() || b->second <= 0) return;
    std::printf("%s / %s = %.2f (%s)\n", slow.c_str(), fast.c_str(), a->second / b->second, what);
  }
  std::map<std::string, double> seconds_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  TheSources();
  RatiosReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
