// The model of a card's updates: random profiles over a folder and a playlist file,
// random changes to them (songs added, removed, reordered, a source made unreadable or
// empty) and random card sizes, then an update. After each step the card holds exactly
// what a full output of the sources' current songs writes, fitted the same way, or is
// untouched where the update was refused; the user's files are never written.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "output/card_names.h"
#include "output/management_files.h"
#include "sync/sync_plan.h"
#include "sync/sync_run.h"
#include "sync_world.h"

namespace tarvello {
namespace {

namespace fs = std::filesystem;
using testing::QuietProgress;
using testing::SongBytes;
using testing::SyncWorld;

// What the steps went through, so a run of seeds can show it reached every way.
struct Seen {
  std::set<SyncRefusalKind> refusals;
  int reencoded = 0;
  int left_out = 0;
  int completed = 0;
};

struct Expected {
  SyncRefusalKind refusal = SyncRefusalKind::kNone;
  std::vector<std::string> songs;  // the card's songs' bytes, in order
};

class SyncModel {
 public:
  SyncModel(uint32_t seed, Seen& seen) : random_(seed), seen_(seen) {
    music_ = world_.dir().Path("music");
    library_ = world_.dir().Path("library");
    playlist_ = world_.dir().Path("list.m3u8");
    fs::create_directories(music_);
    for (int i = Pick(1, 5); i > 0; --i) AddFolderSong();
    for (int i = 0; i < 6; ++i) library_songs_.push_back(NewSong(library_));
    for (int i = Pick(1, 4); i > 0; --i) AddEntry();
    WritePlaylist();
    profile_.volume = SyncWorld::kVolume;
    const CardSource folder{CardSourceKind::kFolder, music_, {}, {}};
    const CardSource playlist{CardSourceKind::kPlaylistFile, playlist_, {}, {}};
    profile_.sources = Pick(0, 2) == 0   ? std::vector{folder}
                       : Pick(0, 1) == 0 ? std::vector{folder, playlist}
                                         : std::vector{playlist, folder};
    profile_.output.backup = Pick(0, 1) == 0;
    profile_.output.bit_rate_kbps = kFloors[Pick(0, 2)];
    NewCapacity();
  }

  void Step() {
    switch (Pick(0, 9)) {
      case 0:
      case 1:
        AddFolderSong();
        break;
      case 2:
        RemoveFolderSong();
        break;
      case 3:
        AddEntry();
        break;
      case 4:
        if (!entries_.empty()) entries_.erase(entries_.begin() + Pick(0, Last(entries_)));
        break;
      case 5:
        std::shuffle(entries_.begin(), entries_.end(), random_);
        break;
      case 6:
        ToggleReadable();
        break;
      case 7:
        ReplaceMost();
        break;
      default:
        NewCapacity();
        break;
    }
    WritePlaylist();
    Update();
  }

 private:
  static constexpr int kFloors[] = {96, 128, 160};
  static constexpr int kRates[] = {96, 128, 192, 256, 320};

  int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  template <typename T>
  static int Last(const std::vector<T>& items) {
    return static_cast<int>(items.size()) - 1;
  }

  std::string NewSong(const std::string& folder) {
    char name[32];
    std::snprintf(name, sizeof name, "/song %03d.m4a", next_song_++);
    const std::string path = world_.MakeSong(folder + name, Pick(1, 6), kRates[Pick(0, 4)]);
    user_files_[path] = testing::ReadBytes(path);
    return path;
  }
  void AddFolderSong() {
    if (folder_readable_) folder_songs_.push_back(NewSong(music_));
  }
  void RemoveFolderSong() {
    if (folder_songs_.empty() || !folder_readable_) return;
    const int at = Pick(0, Last(folder_songs_));
    fs::remove(folder_songs_[at]);
    user_files_.erase(folder_songs_[at]);
    folder_songs_.erase(folder_songs_.begin() + at);
  }
  // A library song, or one of the folder's (named twice, it is output once).
  void AddEntry() {
    const bool from_folder = !folder_songs_.empty() && Pick(0, 2) == 0;
    entries_.push_back(from_folder ? folder_songs_[Pick(0, Last(folder_songs_))]
                                   : library_songs_[Pick(0, Last(library_songs_))]);
  }
  void WritePlaylist() {
    if (!playlist_readable_) return;
    std::string text = "#EXTM3U\n";
    for (const std::string& entry : entries_) text += entry + "\n";
    fakes::WriteFile(playlist_, text);
  }
  // Most of the songs gone at once: a playlist emptied by mistake and a folder cleared.
  void ReplaceMost() {
    entries_.assign(1, library_songs_[Pick(0, Last(library_songs_))]);
    while (folder_readable_ && folder_songs_.size() > 1) RemoveFolderSong();
  }
  // The music folder unmounted or the playlist file gone, and back.
  void ToggleReadable() {
    if (Pick(0, 1) == 0) {
      const std::string away = music_ + ".away";
      fs::rename(folder_readable_ ? music_ : away, folder_readable_ ? away : music_);
      folder_readable_ = !folder_readable_;
    } else {
      playlist_readable_ = !playlist_readable_;
      if (!playlist_readable_) fs::remove(playlist_);
    }
  }
  // Between a third of the room the wanted songs take and a little more than all of it.
  void NewCapacity() {
    std::set<std::string> wanted(folder_songs_.begin(), folder_songs_.end());
    wanted.insert(entries_.begin(), entries_.end());
    int64_t room = 0;
    for (const std::string& path : wanted) {
      if (Exists(path)) room += ClusterRound(static_cast<int64_t>(fs::file_size(path)), 4096);
    }
    room = room * Pick(30, 110) / 100;
    world_.SetCapacity(room / testing::kClusterBytes * testing::kClusterBytes);
  }

  static bool Exists(const std::string& path) { return fs::exists(path); }

  // What a full output of the sources' current songs, fitted to the card, writes.
  Expected Oracle() const {
    Expected expected;
    std::vector<std::string> songs;
    // Every source is read before any is found empty.
    for (const CardSource& source : profile_.sources) {
      const bool folder = source.kind == CardSourceKind::kFolder;
      if (!(folder ? folder_readable_ : playlist_readable_)) {
        return {SyncRefusalKind::kSourceUnreadable, {}};
      }
    }
    for (const CardSource& source : profile_.sources) {
      const bool folder = source.kind == CardSourceKind::kFolder;
      std::vector<std::string> named = folder ? folder_songs_ : entries_;
      if (folder) std::sort(named.begin(), named.end());
      std::erase_if(named, [&](const std::string& path) { return !Exists(path); });
      if (named.empty()) return {SyncRefusalKind::kSourceEmpty, {}};
      for (const std::string& path : named) {
        if (std::find(songs.begin(), songs.end(), path) == songs.end()) songs.push_back(path);
      }
    }
    std::vector<FitSong> fit_songs;
    for (const std::string& path : songs) {
      TTrackInfo record{};
      PosixFileSystem files;
      ReadM4aRecord(files, record, path, path);
      fit_songs.push_back({record.FileSize, record.Time, record.AvgBitRate});
    }
    const FitRoom room{world_.capacity(), testing::kClusterBytes, profile_.output.bit_rate_kbps};
    const FitPlan fit = PlanFit(fit_songs, room);
    if (fit.left_out.size() == songs.size()) return {SyncRefusalKind::kNothingFits, {}};
    for (size_t i = 0; i < songs.size(); ++i) {
      const int index = static_cast<int>(i);
      if (std::count(fit.left_out.begin(), fit.left_out.end(), index) > 0) continue;
      std::string bytes = user_files_.at(songs[i]);
      if (std::count(fit.reencoded.begin(), fit.reencoded.end(), index) > 0) {
        const int floor = profile_.output.bit_rate_kbps;
        bytes = SongBytes(fs::path(songs[i]).stem().string(), fit_songs[i].seconds, floor * 1000,
                          ReencodedBytes(fit_songs[i].seconds, floor));
      }
      expected.songs.push_back(std::move(bytes));
    }
    return expected;
  }

  static std::vector<std::string> CardSongs(const std::map<std::string, std::string>& files) {
    std::vector<std::string> songs;
    for (int number = 0;; ++number) {
      const auto song = files.find(NumberedSongPath("", TOutputOptions{}, number));
      if (song == files.end()) return songs;
      songs.push_back(song->second);
    }
  }
  // Songs as short texts a failure can show: the title and the size.
  static std::vector<std::string> Described(const std::vector<std::string>& songs) {
    std::vector<std::string> texts;
    for (const std::string& bytes : songs) {
      const size_t title = bytes.find("song ");
      texts.push_back(bytes.substr(title, 8) + " " + std::to_string(bytes.size()) + " #" +
                      std::to_string(std::hash<std::string>()(bytes) % 1000));
    }
    return texts;
  }

  void Update() {
    const Expected expected = Oracle();
    const std::map<std::string, std::string> before = world_.CardFiles();
    world_.MeasureFree();
    QuietProgress progress;
    SyncPlan plan = MakeSyncPlan(profile_, world_.root(), world_.context(), progress);
    ASSERT_EQ(plan.refusal.kind, expected.refusal) << plan.refusal.message;
    seen_.refusals.insert(plan.refusal.kind);
    if (plan.Refused()) {
      EXPECT_FALSE(plan.refusal.message.empty());
      EXPECT_TRUE(world_.CardFiles() == before) << "the card changed";
      return;
    }
    const std::vector<std::string> card_before = CardSongs(before);
    std::multiset<std::string> held(card_before.begin(), card_before.end());
    int kept = 0;
    for (const std::string& song : expected.songs) {
      if (const auto found = held.find(song); found != held.end()) {
        held.erase(found);
        ++kept;
      }
    }
    EXPECT_EQ(plan.room.available, world_.capacity());
    EXPECT_EQ(plan.kept, kept);
    EXPECT_EQ(plan.removed, static_cast<int>(card_before.size()) - kept);
    EXPECT_EQ(plan.kept + plan.added, static_cast<int>(expected.songs.size()));
    EXPECT_EQ(plan.NeedsConfirmation(), plan.removed * 2 > static_cast<int>(card_before.size()));

    const bool confirmed = Pick(0, 1) == 0;
    SyncRunSettings settings{world_.dir().Path("backup/day"), true, confirmed};
    const SyncResult result = RunSync(plan, settings, world_.context(), progress);
    if (plan.NeedsConfirmation() && !confirmed) {
      EXPECT_EQ(result.refusal.kind, SyncRefusalKind::kNotConfirmed);
      seen_.refusals.insert(result.refusal.kind);
      EXPECT_NE(result.refusal.message.find(std::to_string(plan.removed) + " 曲"),
                std::string::npos);
      EXPECT_TRUE(world_.CardFiles() == before) << "the card changed";
      return;
    }
    ASSERT_EQ(result.refusal.kind, SyncRefusalKind::kNone) << result.refusal.message;
    EXPECT_EQ(result.output.end, OutputRunEnd::kCompleted);
    seen_.completed += 1;
    seen_.reencoded += result.reencoded;
    seen_.left_out += static_cast<int>(result.left_out.size());
    EXPECT_TRUE(result.output.verified);
    const std::map<std::string, std::string> after = world_.CardFiles();
    EXPECT_EQ(Described(CardSongs(after)), Described(expected.songs));
    const size_t management = ManagementFileCount(static_cast<int32_t>(expected.songs.size()));
    EXPECT_EQ(after.size(), expected.songs.size() + management);
    for (const auto& [path, bytes] : user_files_) {
      if (Exists(path)) {
        EXPECT_EQ(testing::ReadBytes(path), bytes) << path;
      }
    }
  }

  std::mt19937 random_;
  Seen& seen_;
  SyncWorld world_;
  CardProfile profile_;
  std::string music_, library_, playlist_;
  std::vector<std::string> folder_songs_, library_songs_, entries_;
  std::map<std::string, std::string> user_files_;  // the user's songs and their bytes
  bool folder_readable_ = true;
  bool playlist_readable_ = true;
  int next_song_ = 0;
};

uint32_t SeedFromEnvironment(uint32_t fallback) {
  const char* seed = std::getenv("TARVELLO_MODEL_SEED");
  return seed != nullptr ? static_cast<uint32_t>(std::strtoul(seed, nullptr, 10)) : fallback;
}

void RunModel(uint32_t seed, Seen& seen) {
  SCOPED_TRACE("TARVELLO_MODEL_SEED=" + std::to_string(seed));
  SyncModel model(seed, seen);
  for (int step = 0; step < 14 && !::testing::Test::HasFatalFailure(); ++step) {
    SCOPED_TRACE("step " + std::to_string(step));
    model.Step();
  }
}

TEST(SyncModel, FixedSeeds) {
  Seen seen;
  for (uint32_t seed = 1; seed <= 10 && !::testing::Test::HasFatalFailure(); ++seed) {
    RunModel(seed, seen);
  }
  std::printf("completed %d, re-encoded %d, left out %d, refusals %zu\n", seen.completed,
              seen.reencoded, seen.left_out, seen.refusals.size());
  // The seeds reach every way an update goes.
  EXPECT_GT(seen.completed, 0);
  EXPECT_GT(seen.reencoded, 0);
  EXPECT_GT(seen.left_out, 0);
  for (const SyncRefusalKind kind :
       {SyncRefusalKind::kSourceUnreadable, SyncRefusalKind::kSourceEmpty,
        SyncRefusalKind::kNotConfirmed}) {
    EXPECT_TRUE(seen.refusals.contains(kind)) << SyncRefusalReason(kind);
  }
}

TEST(SyncModel, NewSeed) {
  const uint32_t seed = SeedFromEnvironment(std::random_device()());
  std::printf("sync model seed %u\n", seed);
  Seen seen;
  RunModel(seed, seen);
}

}  // namespace
}  // namespace tarvello
