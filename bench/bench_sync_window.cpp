// From a card appearing in the drive list to its update's plan shown in the bar, for a
// card that holds 1,000 songs of its profile's folder and lacks the 10 songs added to
// the folder since, with warm caches (the card's hashes remembered, the files read
// before). The window's presenter runs as in the program, over the tests' fake platform
// and recording views; the plan is made on its own thread as in the window.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "app/main_presenter.h"
#include "common/extra_settings.h"
#include "fakes/fake_platform.h"
#include "fakes/recording_card_view.h"
#include "fakes/recording_view.h"
#include "song_folder.h"
#include "sync/card_profile.h"

namespace tarvello {
namespace {

constexpr const char* kIdentity = "BENCH-CARD";
constexpr int kAddedSongs = 10;

class ByteOrder : public TextCollator {
 public:
  int Compare(const std::string& a, const std::string& b) const override { return a.compare(b); }
};

// The bar's text once the plan made off the window's thread has reached the window.
std::string TakeBar(MainPresenter& presenter, testing::RecordingView& view,
                    testing::RecordingCardView& cards) {
  presenter.WaitForCardPlan();
  view.RunCalledSoon();
  return cards.bar;
}

void BM_PlanShownAfterTheCardAppears(benchmark::State& state) {
  fakes::TempDir program;
  fakes::TempDir music;
  for (const std::string& song : bench::Songs().paths()) {
    std::filesystem::copy_file(song, music.Path(std::filesystem::path(song).filename().string()));
  }
  fakes::FakePlatform fake;
  fake.environment.LiveIn(program.path());
  fakes::FakeVolume& card =
      fake.volumes.AddTemp("CARD", DriveType::kRemovable, {512 << 20, 256 << 20, 512, 8});
  fake.files.volume_names[card.root] = kIdentity;
  const CardProfile profile{
      kIdentity, {{CardSourceKind::kFolder, music.path(), {}, {}}}, {}, false};
  if (!SaveCardProfile(fake.files, ExtraSettingsFileName(program.Path("tarvello.INI")), profile)) {
    throw std::runtime_error("the profile was not saved");
  }
  testing::RecordingView view;
  testing::RecordingCardView cards;
  MainPresenter presenter(fake.platform, view, NumberSymbols{}, std::make_unique<ByteOrder>());
  presenter.SetCardSyncView(&cards);
  presenter.FormCreate({1024, 768});

  // The card is brought up to date once; then the folder gains songs.
  view.drive_index = 0;
  presenter.cbxDrivesChange(0);
  if (TakeBar(presenter, view, cards).empty()) throw std::runtime_error("no first plan");
  presenter.UpdateCardClick();
  for (int i = 0; i < kAddedSongs; ++i) {
    std::filesystem::copy_file(bench::Songs().paths()[static_cast<size_t>(i)],
                               music.Path("added_" + std::to_string(i) + ".m4a"));
  }

  std::string bar;
  for (auto _ : state) {
    state.PauseTiming();
    card.removed = true;
    presenter.VolumesChanged();
    state.ResumeTiming();
    card.removed = false;
    presenter.VolumesChanged();
    bar = TakeBar(presenter, view, cards);
  }
  if (bar.find(std::to_string(kAddedSongs) + " 曲を追加") == std::string::npos) {
    throw std::runtime_error("the bar does not offer the added songs: " + bar);
  }
  state.counters["card_songs"] = bench::kSongCount;
}
BENCHMARK(BM_PlanShownAfterTheCardAppears)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
}  // namespace tarvello

BENCHMARK_MAIN();
