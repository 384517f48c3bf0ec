// Adding 1,000 accepted AAC songs as the window does: with conversion on, the adding must
// cost what it cost without it, since an AAC song never reaches the converter. The peer
// that shows what is saved probes every file with FFmpeg before adding it.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>

#include "convert/helper/ffmpeg_probe.h"
#include "platform/posix/posix_file_system.h"
#include "song_folder.h"
#include "sources/add_files.h"

namespace {

using tarvello::bench::Songs;

enum class Converter { kNone, kForRefusedOrNotAac, kProbingEveryFile };

void AddAll(benchmark::State& state, Converter converter) {
  tarvello::PosixFileSystem files;
  tarvello::TempNameCounter names;
  int64_t offered = 0;
  for (auto _ : state) {
    auto table = std::make_unique<tarvello::TrackTable>();
    tarvello::TTrackInfo staging{};
    tarvello::AddContext context{
        files, names, "/tmp/", *table, staging, {}, [](const std::string&) {}};
    // The window's converter probes what it is offered; none of these songs is taken.
    if (converter == Converter::kForRefusedOrNotAac) {
      context.add_converted = [&](const std::string& path) {
        ++offered;
        return tarvello::ProbeSource(files, path).kind == tarvello::SourceKind::kEncode;
      };
    }
    for (const std::string& path : Songs().paths()) {
      if (converter == Converter::kProbingEveryFile) {
        benchmark::DoNotOptimize(tarvello::ProbeSource(files, path).kind);
      }
      tarvello::AddSongPath(context, path);
    }
    if (table->TrackCount() != static_cast<int32_t>(Songs().paths().size())) {
      state.SkipWithError("a song was not added");
    }
  }
  state.counters["offered_to_converter"] = static_cast<double>(offered);
}

void BM_AddAacSongs(benchmark::State& state) {
  AddAll(state, Converter::kNone);
}
BENCHMARK(BM_AddAacSongs)->Unit(benchmark::kMillisecond);

void BM_AddAacSongsWithConversionOn(benchmark::State& state) {
  AddAll(state, Converter::kForRefusedOrNotAac);
}
BENCHMARK(BM_AddAacSongsWithConversionOn)->Unit(benchmark::kMillisecond);

void BM_AddAacSongsProbingEach(benchmark::State& state) {
  AddAll(state, Converter::kProbingEveryFile);
}
BENCHMARK(BM_AddAacSongsProbingEach)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  Songs();
  tarvello::bench::RatioReporter reporter("BM_AddAacSongsWithConversionOn", "BM_AddAacSongs",
                                          "per 1,000 songs");
  reporter.AddPair("BM_AddAacSongsWithConversionOn", "BM_AddAacSongsProbingEach",
                   "per 1,000 songs");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
