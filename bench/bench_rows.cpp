// List rows over a full table: building, sorting by a text and by a number column, and the
// recount with a file check per row. The pairwise sort is the peer of the sort by keys.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "catalogue/track_list.h"
#include "catalogue/track_table.h"
#include "common/cp932.h"
#include "output/output_summary.h"
#include "platform/posix/posix_file_system.h"

namespace tarvello {
namespace {

namespace fs = std::filesystem;

// The ICU collator without its keys: every comparison collates both texts again.
class PairwiseCollator : public TextCollator {
 public:
  int Compare(const std::string& a, const std::string& b) const override {
    return inner_->Compare(a, b);
  }

 private:
  std::unique_ptr<TextCollator> inner_ = MakeLocaleCollator();
};

constexpr int kRows = kMaxTracks;

std::string RandomText(std::mt19937& random) {
  static const std::vector<std::string> kParts = {
      "love",   "Night", "STAR", "blue", "Dream",    "rain",     "Sky",  "夜",   "桜", "空",
      "さくら", "ほし",  "ゆめ", "カゼ", "メロディ", "ドライブ", "東京", "青い", "の", " "};
  std::uniform_int_distribution<size_t> part(0, kParts.size() - 1);
  std::uniform_int_distribution<int> length(1, 5);
  std::string text;
  for (int i = length(random); i > 0; --i) text += kParts[part(random)];
  return text;
}

// A table of varied songs whose files exist in a temporary folder.
class Fixture {
 public:
  Fixture() {
    std::string pattern = (fs::temp_directory_path() / "tarvello-bench-rows-XXXXXX").string();
    folder_ = ::mkdtemp(pattern.data());
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int32_t> time(30, 900);
    std::uniform_int_distribution<int64_t> size(500'000, 20'000'000);
    for (int i = 0; i < kRows; ++i) {
      TTrackInfo track{};
      StoreText(track.Title, Utf8ToCp932(RandomText(random)));
      StoreText(track.Artist, Utf8ToCp932(RandomText(random)));
      StoreText(track.Album, Utf8ToCp932(RandomText(random)));
      StoreText(track.Year, std::to_string(1960 + i % 60));
      track.Time = time(random);
      track.FileSize = size(random);
      track.TrackNo = static_cast<int16_t>(i % 20 + 1);
      track.BitRate = 128000 + i % 4 * 64000;
      track.SampleRate = 44100;
      const std::string path = (folder_ / ("song" + std::to_string(i) + ".m4a")).string();
      std::ofstream(path).put('x');
      StoreText(track.FileName, path);
      table.StoreTrack(i, track);
    }
  }
  ~Fixture() { fs::remove_all(folder_); }

  std::unique_ptr<TrackList> MakeList(std::unique_ptr<TextCollator> collator) const {
    auto list = std::make_unique<TrackList>(NumberSymbols{",", "."}, std::move(collator));
    OutputTotals totals;
    list->BuildRows(0, kRows - 1, table, totals, 4096);
    return list;
  }

  TrackTable table;

 private:
  fs::path folder_;
};

Fixture& Shared() {
  static Fixture fixture;
  return fixture;
}

void BM_BuildRows(benchmark::State& state) {
  const Fixture& fixture = Shared();  // made outside the timing
  for (auto _ : state) benchmark::DoNotOptimize(fixture.MakeList(MakeLocaleCollator()));
}
BENCHMARK(BM_BuildRows)->Unit(benchmark::kMillisecond);

// Each sort starts from the order of addition, restored outside the timing.
void SortColumn(benchmark::State& state, TrackList& list, int column) {
  for (auto _ : state) {
    state.PauseTiming();
    list.SortRows(kSortAdditionOrder);
    state.ResumeTiming();
    list.SortRows(column);
  }
}

void BM_SortRowsByTitle(benchmark::State& state) {
  auto list = Shared().MakeList(MakeLocaleCollator());
  SortColumn(state, *list, 0);
}
BENCHMARK(BM_SortRowsByTitle)->Unit(benchmark::kMillisecond);

void BM_SortRowsByTitlePairwise(benchmark::State& state) {
  auto list = Shared().MakeList(std::make_unique<PairwiseCollator>());
  SortColumn(state, *list, 0);
}
BENCHMARK(BM_SortRowsByTitlePairwise)->Unit(benchmark::kMillisecond);

void BM_SortRowsBySize(benchmark::State& state) {
  auto list = Shared().MakeList(MakeLocaleCollator());
  SortColumn(state, *list, 9);
}
BENCHMARK(BM_SortRowsBySize)->Unit(benchmark::kMillisecond);

void BM_Recount(benchmark::State& state) {
  auto list = Shared().MakeList(MakeLocaleCollator());
  PosixFileSystem files;
  Recount(*list, Shared().table, files, 4096);  // warms the file system's caches
  for (auto _ : state) {
    benchmark::DoNotOptimize(Recount(*list, Shared().table, files, 4096));
  }
}
BENCHMARK(BM_Recount)->Unit(benchmark::kMillisecond);

// The floor of the recount: the same file checks with nothing around them.
void BM_FileChecksOnly(benchmark::State& state) {
  auto list = Shared().MakeList(MakeLocaleCollator());
  PosixFileSystem files;
  for (auto _ : state) {
    int found = 0;
    for (int i = 0; i < list->RowCount(); ++i) {
      found += files.FileExists(list->Row(i).sub_items[kSubFileName]) ? 1 : 0;
    }
    benchmark::DoNotOptimize(found);
  }
}
BENCHMARK(BM_FileChecksOnly)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarvello

BENCHMARK_MAIN();
