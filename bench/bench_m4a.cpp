// The M4A reader against TagLib on the same 1,000 small songs: per-file time, the
// reader's system reads per file, and the speed ratio.

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <taglib/audioproperties.h>
#include <taglib/fileref.h>
#include <taglib/tag.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "catalogue/m4a_reader.h"
#include "platform/posix/posix_file_system.h"

namespace {

constexpr int kFileCount = 1000;

// 1,000 copies of the accepted fixtures in a fresh folder, removed at exit.
class SongFolder {
 public:
  SongFolder() {
    char pattern[] = "/tmp/tarvello-bench-m4a-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) std::abort();
    folder_ = pattern;
    const std::vector<std::string> sources = {"tagged.m4a", "japanese.m4a", "faststart.m4a"};
    for (int i = 0; i < kFileCount; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "/song_%04d.m4a", i);
      const std::string source = std::string(TARVELLO_TEST_DATA) + "/m4a/" + sources[i % 3];
      std::filesystem::copy_file(source, folder_ + name);
      paths_.push_back(folder_ + name);
    }
  }
  ~SongFolder() { std::filesystem::remove_all(folder_); }

  const std::vector<std::string>& paths() const { return paths_; }

 private:
  std::string folder_;
  std::vector<std::string> paths_;
};

const SongFolder& Songs() {
  static const SongFolder songs;
  return songs;
}

void BM_ReadM4aTrack(benchmark::State& state) {
  const auto& paths = Songs().paths();
  tarvello::PosixFileSystem files;
  tarvello::TrackTable table;
  tarvello::TTrackInfo staging{};
  size_t next = 0;
  int64_t refused = 0;
  for (auto _ : state) {
    const std::string& path = paths[next];
    next = (next + 1) % paths.size();
    const auto result = tarvello::ReadM4aTrack(files, table, staging, path, path, 0);
    if (result != tarvello::M4aResult::kStored) ++refused;
    benchmark::DoNotOptimize(table[0].Time);
  }
  state.counters["system_reads_per_file"] = benchmark::Counter(
      static_cast<double>(files.SystemReadCount()) / static_cast<double>(state.iterations()));
  state.counters["refused"] = static_cast<double>(refused);
}
BENCHMARK(BM_ReadM4aTrack);

void BM_TagLibFileRef(benchmark::State& state) {
  const auto& paths = Songs().paths();
  size_t next = 0;
  for (auto _ : state) {
    const std::string& path = paths[next];
    next = (next + 1) % paths.size();
    TagLib::FileRef file(path.c_str(), true);
    const TagLib::Tag* tag = file.tag();
    const TagLib::AudioProperties* audio = file.audioProperties();
    if (tag == nullptr || audio == nullptr) {
      state.SkipWithError("TagLib could not read a song");
      break;
    }
    benchmark::DoNotOptimize(tag->title().size() + tag->artist().size() + tag->album().size());
    benchmark::DoNotOptimize(audio->length() + audio->bitrate());
  }
}
BENCHMARK(BM_TagLibFileRef);

// Prints the usual table, then how many times faster the reader is per file.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (!run.error_occurred) times_[run.run_name.function_name] = run.GetAdjustedRealTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    const auto reader = times_.find("BM_ReadM4aTrack");
    const auto taglib = times_.find("BM_TagLibFileRef");
    if (reader != times_.end() && taglib != times_.end() && reader->second > 0) {
      std::printf("ReadM4aTrack is %.1f times faster per file than TagLib\n",
                  taglib->second / reader->second);
    }
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  Songs();
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
