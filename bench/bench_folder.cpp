// A library folder of 10,000 accepted M4A songs: the bare walk, and the folder added
// through the presenter from the command to the last row shown. The limit is 10,000
// songs, so the whole folder fits.

#include <benchmark/benchmark.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "app/main_presenter.h"
#include "fakes/fake_platform.h"
#include "fakes/recording_view.h"
#include "m4a_library_folder.h"
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

void BM_AddLibraryFolder(benchmark::State& state) {
  const std::string folder = bench::LibraryFolder();
  fakes::TempDir program;
  fakes::FakePlatform fake;
  fake.environment.executable_path = program.Path("tarvello");
  fake.environment.home = program.path();
  fake.environment.variables["TEMP"] = program.path();
  fake.environment.variables["XDG_CACHE_HOME"] = program.path();
  int rows = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto view = std::make_unique<testing::RecordingView>();
    auto presenter = std::make_unique<MainPresenter>(fake.platform, *view, NumberSymbols{},
                                                     std::make_unique<ByteOrderCollator>());
    presenter->FormCreate({1024, 768});
    view->folder_choices.push_back(folder);
    state.ResumeTiming();
    presenter->AddFolder1Click();
    rows = presenter->Rows().RowCount();
    state.PauseTiming();
    presenter.reset();
    view.reset();
    state.ResumeTiming();
  }
  if (rows != bench::kLibrarySongs) throw std::runtime_error("rows missing after the add");
  state.counters["rows"] = rows;
}
BENCHMARK(BM_AddLibraryFolder)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace tarvello

BENCHMARK_MAIN();
