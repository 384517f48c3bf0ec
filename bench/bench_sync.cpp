// A card's update: the fit plan of 10,000 songs, and whole updates (plan and run) of a
// card that follows a 1,000-song Rhythmbox playlist, on a loop-mounted ext4 image whose
// block device counts the card's bytes.
//
// - BM_FitPlan: 10,000 songs that need a third more room than the card has. Target:
//   under 100 ms.
// - BM_UnchangedSync: the playlist and the card agree, caches warm (hashes, conversions),
//   page cache dropped before each update. Target: plan and run under 2 s; card bytes no
//   more than the management files and the samples of the songs the run moves.
// - BM_TenAddedFiveRemoved: 10 new songs in the playlist and 5 gone before each update.
//   Target: card bytes at most 1.2x the change (the new songs and the management files,
//   written and read back).
//
// The updates need root (loop device, drop_caches) and mkfs.ext4; skipped otherwise.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "catalogue/box_builder.h"
#include "catalogue/output_totals.h"
#include "fakes/fake_platform.h"
#include "fakes/loop_card.h"
#include "platform/posix/posix_platform.h"
#include "silent_progress.h"
#include "sync/card_fit.h"
#include "sync/sync_plan.h"
#include "sync/sync_run.h"

namespace tarvello {
namespace {

namespace fs = std::filesystem;

constexpr int kSongs = 1000;
constexpr int64_t kSongBytes = 48 * 1024;

void BM_FitPlan(benchmark::State& state) {
  std::mt19937 random(7);
  const int rates[] = {96, 128, 160, 192, 256, 320};
  std::vector<FitSong> songs;
  for (int i = 0; i < 10000; ++i) {
    const int seconds = std::uniform_int_distribution<int>(120, 420)(random);
    const int kbps = rates[std::uniform_int_distribution<int>(0, 5)(random)];
    songs.push_back({ReencodedBytes(seconds, kbps), seconds, kbps * 1000});
  }
  const FitRoom room{SpaceNeeded(songs, 32768) * 3 / 4, 32768, 128};
  size_t reencoded = 0;
  for (auto _ : state) {
    const FitPlan plan = PlanFit(songs, room);
    reencoded = plan.reencoded.size();
    benchmark::DoNotOptimize(plan);
  }
  state.counters["reencoded"] = static_cast<double>(reencoded);
  state.counters["target_ms"] = 100;
}
BENCHMARK(BM_FitPlan)->Unit(benchmark::kMillisecond);

// The user's side: a music folder, a Rhythmbox playlist naming its songs, the caches.
class Library {
 public:
  explicit Library(const std::string& folder) : folder_(folder) {
    fs::create_directories(folder_ + "/music");
    for (int i = 0; i < kSongs; ++i) playlist_.push_back(MakeSong());
    WritePlaylist();
  }

  std::string MakeSong() {
    const std::string path = folder_ + "/music/song " + std::to_string(made_++) + ".m4a";
    testing::SongLayout layout;
    layout.items = {testing::TextItem("\xA9nam", fs::path(path).stem().string())};
    layout.media_bytes = kSongBytes;
    std::ofstream(path, std::ios::binary) << testing::BuildSong(layout);
    return path;
  }
  void WritePlaylist() {
    std::string xml =
        "<?xml version=\"1.0\"?>\n<rhythmdb-playlists>\n"
        "<playlist name=\"Phone\" type=\"static\">\n";
    for (const std::string& song : playlist_) xml += "<location>file://" + song + "</location>\n";
    xml += "</playlist>\n</rhythmdb-playlists>\n";
    fs::create_directories(folder_ + "/data/rhythmbox");
    std::ofstream(folder_ + "/data/rhythmbox/playlists.xml") << xml;
  }
  // 10 new songs spread over the playlist, 5 others gone; returns the new songs' bytes.
  int64_t Change() {
    int64_t added = 0;
    for (int i = 0; i < 5; ++i) playlist_.erase(playlist_.begin() + 37 * (i + 1));
    for (int i = 0; i < 10; ++i) {
      const std::string song = MakeSong();
      added += static_cast<int64_t>(fs::file_size(song));
      playlist_.insert(playlist_.begin() + 91 * (i + 1), song);
    }
    WritePlaylist();
    return added;
  }

  PlayerFolders Players() const { return {folder_, folder_ + "/data", folder_ + "/config"}; }

 private:
  std::string folder_;
  std::vector<std::string> playlist_;
  int made_ = 0;
};

// One card with its profile and the program's caches, brought up to date once.
class Fixture {
 public:
  Fixture() : library_(base_.Path("library")), cache_(base_.Path("cache")) {
    context_.hash_cache_folder = base_.Path("hashes");
    context_.players = library_.Players();
    context_.temp_folder = base_.path() + "/";
    profile_.sources = {{CardSourceKind::kPlayerPlaylist, {}, "Rhythmbox", "Phone"}};
    if (!card_.Ready()) return;
    profile_.volume = CardIdentity(platform_.files(), card_.Root()).value_or("");
    Update();  // the first update fills the card and the caches
  }

  bool Ready() const { return card_.Ready() && !profile_.volume.empty(); }
  std::string Why() const { return card_.Ready() ? "the card has no UUID" : card_.Why(); }
  Library& library() { return library_; }
  const fakes::LoopMountedCard& card() const { return card_; }

  SyncResult Update() {
    bench::SilentProgress progress;
    SyncPlan plan = MakeSyncPlan(profile_, card_.Root(), context_, progress);
    return RunSync(plan, {base_.Path("backup/day"), true, true}, context_, progress);
  }

 private:
  fakes::TempDir base_;
  fakes::LoopMountedCard card_{256};
  Library library_;
  PosixPlatform platform_;
  ConvertCache cache_;
  SyncContext context_{platform_.Get(), cache_};
  CardProfile profile_;
};

int64_t CardBytes(const fakes::LoopMountedCard& card) {
  return card.BytesRead() + card.BytesWritten();
}

void BM_UnchangedSync(benchmark::State& state) {
  Fixture fixture;
  if (!fixture.Ready()) return state.SkipWithError(fixture.Why().c_str());
  int64_t bytes = 0;
  int written = 0;
  for (auto _ : state) {
    state.PauseTiming();
    fakes::LoopMountedCard::Settle();
    const int64_t before = CardBytes(fixture.card());
    state.ResumeTiming();
    written = fixture.Update().output.written;
    state.PauseTiming();
    fakes::LoopMountedCard::Settle();
    bytes = CardBytes(fixture.card()) - before;
    state.ResumeTiming();
  }
  const int64_t management = ManagementFileCount(kSongs) * kManagementFileSize;
  state.counters["songs"] = written;
  state.counters["card_bytes"] = static_cast<double>(bytes);
  // The management files written and read back, each moved song's two 64 KB samples.
  const double allowed = 2.0 * management + double{kSongs} * 2 * kSampleBytes;
  state.counters["bytes_vs_allowed"] = static_cast<double>(bytes) / allowed;
  state.counters["target_s"] = 2;
}
BENCHMARK(BM_UnchangedSync)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_TenAddedFiveRemoved(benchmark::State& state) {
  Fixture fixture;
  if (!fixture.Ready()) return state.SkipWithError(fixture.Why().c_str());
  double ratio = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const int64_t added = fixture.library().Change();
    fakes::LoopMountedCard::Settle();
    const int64_t before = CardBytes(fixture.card());
    state.ResumeTiming();
    fixture.Update();
    state.PauseTiming();
    fakes::LoopMountedCard::Settle();
    const int64_t bytes = CardBytes(fixture.card()) - before;
    const int64_t management = ManagementFileCount(kSongs + 5) * kManagementFileSize;
    ratio = static_cast<double>(bytes) / (2.0 * (added + management));
    state.ResumeTiming();
  }
  state.counters["bytes_vs_change"] = ratio;
  state.counters["target_ratio"] = 1.2;
}
BENCHMARK(BM_TenAddedFiveRemoved)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace
}  // namespace tarvello

BENCHMARK_MAIN();
