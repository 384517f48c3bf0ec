// The library folder of 10,000 accepted M4A songs added through the real main window on
// the offscreen platform: the folder command from its menu action to the last row in the
// list's model, with the progress dialog the add shows.

#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QTreeView>
#include <memory>
#include <stdexcept>
#include <string>

#include "fakes/fake_platform.h"
#include "gui/main_form.h"
#include "m4a_library_folder.h"

namespace tarvello {
namespace {

void BM_AddLibraryFolderInWindow(benchmark::State& state) {
  const std::string folder = bench::LibraryFolder();
  fakes::TempDir program;
  fakes::FakePlatform fake;
  fake.environment.LiveIn(program.path());
  int rows = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto form = std::make_unique<TMainForm>(fake.platform);
    form->SetDialogResponder([](const DialogRequest&) { return DialogAnswer{}; });
    form->SetFolderChooser([&folder](std::string& chosen) {
      chosen = folder;
      return true;
    });
    form->Start();
    form->show();
    QApplication::processEvents();
    auto* action = form->findChild<QAction*>(QStringLiteral("AddFolder1"));
    auto* list = form->findChild<QTreeView*>(QStringLiteral("lvTrackInfo"));
    if (action == nullptr || list == nullptr) throw std::runtime_error("no folder command");
    state.ResumeTiming();
    action->trigger();
    QApplication::processEvents();
    rows = list->model()->rowCount();
    state.PauseTiming();
    form.reset();
    QApplication::processEvents();
    state.ResumeTiming();
  }
  if (rows != bench::kLibrarySongs) throw std::runtime_error("rows missing after the add");
  state.counters["rows"] = rows;
}
BENCHMARK(BM_AddLibraryFolderInWindow)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace tarvello

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
