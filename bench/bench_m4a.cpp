// The M4A reader against TagLib (in its fast mode) on the same 1,000 small songs: per-file
// time, the reader's system reads and bytes per file, and the speed ratio.

#include <benchmark/benchmark.h>
#include <taglib/audioproperties.h>
#include <taglib/fileref.h>
#include <taglib/tag.h>

#include <cstdint>
#include <string>

#include "catalogue/m4a_reader.h"
#include "platform/posix/posix_file_system.h"
#include "song_folder.h"

namespace {

using tarvello::bench::Songs;

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
  const auto per_file = [&](uint64_t total) {
    return static_cast<double>(total) / static_cast<double>(state.iterations());
  };
  state.counters["system_reads_per_file"] = per_file(files.SystemReadCount());
  state.counters["system_bytes_per_file"] = per_file(files.SystemReadBytes());
  state.counters["refused"] = static_cast<double>(refused);
}
BENCHMARK(BM_ReadM4aTrack);

void BM_TagLibFileRef(benchmark::State& state) {
  const auto& paths = Songs().paths();
  size_t next = 0;
  for (auto _ : state) {
    const std::string& path = paths[next];
    next = (next + 1) % paths.size();
    TagLib::FileRef file(path.c_str(), true, TagLib::AudioProperties::Fast);
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

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  Songs();
  tarvello::bench::RatioReporter reporter("BM_ReadM4aTrack", "BM_TagLibFileRef", "per file");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
