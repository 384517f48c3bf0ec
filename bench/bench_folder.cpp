// A library folder of 10,000 accepted M4A songs: the bare walk, and the folder added
// through the presenter from the command to the last row shown. The limit is 10,000
// songs, so the whole folder fits. The peer is the same songs chosen in the add command's
// file dialog, each shown as it is added.

#include <benchmark/benchmark.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/main_presenter.h"
#include "fakes/fake_platform.h"
#include "fakes/recording_view.h"
#include "m4a_library_folder.h"
#include "song_folder.h"
#include "sources/folder_walk.h"

namespace tarvello {
namespace {

class ByteOrderCollator : public TextCollator {
 public:
  int Compare(const std::string& a, const std::string& b) const override { return a.compare(b); }
};

void BM_WalkLibraryFolder(benchmark::State& state) {
  const std::string folder = bench::LibraryFolder();
  const auto natural = MakeNaturalCollator();
  size_t songs = 0;
  for (auto _ : state) {
    songs = WalkMusicFolder(folder, *natural).songs.size();
  }
  if (songs != bench::kLibrarySongs) throw std::runtime_error("songs missing from the walk");
  state.counters["songs"] = static_cast<double>(songs);
}
BENCHMARK(BM_WalkLibraryFolder)->Unit(benchmark::kMillisecond);

// Adds the library through the presenter with `add`, from the command to the last row.
template <typename Add>
void AddLibrary(benchmark::State& state, Add add) {
  fakes::TempDir program;
  fakes::FakePlatform fake;
  fake.environment.LiveIn(program.path());
  int rows = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto view = std::make_unique<testing::RecordingView>();
    auto presenter = std::make_unique<MainPresenter>(fake.platform, *view, NumberSymbols{},
                                                     std::make_unique<ByteOrderCollator>());
    presenter->FormCreate({1024, 768});
    state.ResumeTiming();
    add(*presenter, *view);
    rows = presenter->Rows().RowCount();
    state.PauseTiming();
    presenter.reset();
    view.reset();
    state.ResumeTiming();
  }
  if (rows != bench::kLibrarySongs) throw std::runtime_error("rows missing after the add");
  state.counters["rows"] = rows;
}

void BM_AddLibraryFolder(benchmark::State& state) {
  const std::string folder = bench::LibraryFolder();
  AddLibrary(state, [&](MainPresenter& presenter, testing::RecordingView& view) {
    view.folder_choices.push_back(folder);
    presenter.AddFolder1Click();
  });
}
BENCHMARK(BM_AddLibraryFolder)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_AddLibraryFilesOneByOne(benchmark::State& state) {
  const auto natural = MakeNaturalCollator();
  const std::vector<std::string> songs = WalkMusicFolder(bench::LibraryFolder(), *natural).songs;
  AddLibrary(state, [&](MainPresenter& presenter, testing::RecordingView& view) {
    view.file_choices.push_back(songs);
    presenter.Add1Click();
  });
}
BENCHMARK(BM_AddLibraryFilesOneByOne)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace tarvello

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  tarvello::bench::RatioReporter reporter("BM_AddLibraryFolder", "BM_AddLibraryFilesOneByOne",
                                          "at listing 10,000 songs");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
