// The model of a card's updates: random profiles over a folder and a playlist file,
// random changes to them (songs added, removed, reordered, a source made unreadable or
// empty) and random card sizes, then an update. After each step the card holds exactly
// what a full output of the sources' current songs writes, fitted the same way, or is
// untouched where the update was refused; the user's files are never written.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <set>

#include "output/card_names.h"
#include "output/management_files.h"
#include "sync_world.h"

namespace tarvello {
namespace {

namespace fs = std::filesystem;
using testing::SongBytes;

// What the steps went through, so a run of seeds can show it reached every way.
struct Seen {
  std::set<SyncRefusalKind> refusals;
  int reencoded = 0, left_out = 0, completed = 0;
};

struct Expected {
  SyncRefusalKind refusal = SyncRefusalKind::kNone;
  std::vector<std::string> songs;  // the card's songs' bytes, in order
};

class SyncModel {
 public:
  SyncModel(uint32_t seed, Seen& seen) : random_(seed), seen_(seen) {
    fs::create_directories(music_);
    for (int i = Pick(1, 5); i > 0; --i) AddFolderSong();
    for (int i = 0; i < 6; ++i) library_songs_.push_back(NewSong(world_.dir().Path("library")));
    for (int i = Pick(1, 4); i > 0; --i) AddEntry();
    WritePlaylist();
    profile_.volume = testing::SyncWorld::kVolume;
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
    using Change = void (SyncModel::*)();
    static constexpr Change kChanges[] = {&SyncModel::AddFolderSong,    &SyncModel::AddFolderSong,
                                          &SyncModel::RemoveFolderSong, &SyncModel::AddEntry,
                                          &SyncModel::RemoveEntry,      &SyncModel::ShuffleEntries,
                                          &SyncModel::ToggleReadable,   &SyncModel::ReplaceMost,
                                          &SyncModel::NewCapacity,      &SyncModel::NewCapacity};
    (this->*kChanges[Pick(0, 9)])();
    WritePlaylist();
    Update();
  }

 private:
  static constexpr int kFloors[] = {96, 128, 160};
  static constexpr int kRates[] = {96, 128, 192, 256, 320};

  int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  int PickIn(const std::vector<std::string>& items) {
    return Pick(0, static_cast<int>(items.size()) - 1);
  }

  std::string NewSong(const std::string& folder) {
    char name[32];
    std::snprintf(name, sizeof name, "/song %03d.m4a", next_song_++);
    const std::string path = world_.MakeSong(folder + name, Pick(1, 6), kRates[Pick(0, 4)]);
    user_files_[path] = fakes::ReadFile(path);
    return path;
  }
  void AddFolderSong() {
    if (folder_readable_) folder_songs_.push_back(NewSong(music_));
  }
  void RemoveFolderSong() {
    if (folder_songs_.empty() || !folder_readable_) return;
    const int at = PickIn(folder_songs_);
    fs::remove(folder_songs_[at]);
    user_files_.erase(folder_songs_[at]);
    folder_songs_.erase(folder_songs_.begin() + at);
  }
  // A library song, or one of the folder's (named twice, it is output once).
  void AddEntry() {
    const bool from_folder = !folder_songs_.empty() && Pick(0, 2) == 0;
    entries_.push_back(from_folder ? folder_songs_[PickIn(folder_songs_)]
                                   : library_songs_[PickIn(library_songs_)]);
  }
  void RemoveEntry() {
    if (!entries_.empty()) entries_.erase(entries_.begin() + PickIn(entries_));
  }
  void ShuffleEntries() { std::shuffle(entries_.begin(), entries_.end(), random_); }
  void WritePlaylist() {
    if (!playlist_readable_) return;
    std::string text = "#EXTM3U\n";
    for (const std::string& entry : entries_) text += entry + "\n";
    fakes::WriteFile(playlist_, text);
  }
  // Most of the songs gone at once: a playlist emptied by mistake and a folder cleared.
  void ReplaceMost() {
    entries_.assign(1, library_songs_[PickIn(library_songs_)]);
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
      if (fs::exists(path)) room += ClusterRound(static_cast<int64_t>(fs::file_size(path)), 4096);
    }
    room = room * Pick(30, 110) / 100;
    world_.SetCapacity(room / testing::kClusterBytes * testing::kClusterBytes);
  }

  // What a full output of the sources' current songs, fitted to the card, writes.
  Expected Oracle() const {
    const auto readable = [&](const CardSource& source) {
      return source.kind == CardSourceKind::kFolder ? folder_readable_ : playlist_readable_;
    };
    // Every source is read before any is found empty.
    if (!std::ranges::all_of(profile_.sources, readable)) {
      return {SyncRefusalKind::kSourceUnreadable, {}};
    }
    std::vector<std::string> songs;
    for (const CardSource& source : profile_.sources) {
      const bool folder = source.kind == CardSourceKind::kFolder;
      std::vector<std::string> named = folder ? folder_songs_ : entries_;
      if (folder) std::sort(named.begin(), named.end());
      std::erase_if(named, [&](const std::string& path) { return !fs::exists(path); });
      if (named.empty()) return {SyncRefusalKind::kSourceEmpty, {}};
      for (const std::string& path : named) {
        if (std::ranges::find(songs, path) == songs.end()) songs.push_back(path);
      }
    }
    std::vector<FitSong> fit_songs;
    PosixFileSystem files;
    for (const std::string& path : songs) {
      TTrackInfo record{};
      ReadM4aRecord(files, record, path, path);
      fit_songs.push_back({record.FileSize, record.Time, record.AvgBitRate});
    }
    const int floor = profile_.output.bit_rate_kbps;
    const FitPlan fit = PlanFit(fit_songs, {world_.capacity(), testing::kClusterBytes, floor});
    if (fit.left_out.size() == songs.size()) return {SyncRefusalKind::kNothingFits, {}};
    Expected expected;
    for (int i = 0; i < static_cast<int>(songs.size()); ++i) {
      if (std::ranges::count(fit.left_out, i) > 0) continue;
      expected.songs.push_back(std::ranges::count(fit.reencoded, i) == 0
                                   ? user_files_.at(songs[i])
                                   : SongBytes(fs::path(songs[i]).stem().string(),
                                               fit_songs[i].seconds, floor * 1000,
                                               ReencodedBytes(fit_songs[i].seconds, floor)));
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
  // Songs as short texts a failure can show: the title, the size and a hash.
  static std::vector<std::string> Described(const std::vector<std::string>& songs) {
    std::vector<std::string> texts;
    for (const std::string& bytes : songs) {
      texts.push_back(bytes.substr(bytes.find("song "), 8) + " " + std::to_string(bytes.size()) +
                      " #" + std::to_string(std::hash<std::string>()(bytes) % 1000));
    }
    return texts;
  }

  void Update() {
    const Expected expected = Oracle();
    const std::map<std::string, std::string> before = world_.CardFiles();
    testing::RecordingProgress progress;
    SyncPlan plan = world_.Plan(profile_, progress);
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
    const SyncResult result = world_.Run(plan, confirmed, progress);
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
    EXPECT_TRUE(result.output.verified);
    seen_.completed += 1;
    seen_.reencoded += result.reencoded;
    seen_.left_out += static_cast<int>(result.left_out.size());
    const std::map<std::string, std::string> after = world_.CardFiles();
    EXPECT_EQ(Described(CardSongs(after)), Described(expected.songs));
    EXPECT_EQ(after.size(), expected.songs.size() +
                                ManagementFileCount(static_cast<int32_t>(expected.songs.size())));
    for (const auto& [path, bytes] : user_files_) {
      if (fs::exists(path)) {
        EXPECT_EQ(fakes::ReadFile(path), bytes) << path;
      }
    }
  }

  std::mt19937 random_;
  Seen& seen_;
  testing::SyncWorld world_;
  CardProfile profile_;
  const std::string music_ = world_.dir().Path("music");
  const std::string playlist_ = world_.dir().Path("list.m3u8");
  std::vector<std::string> folder_songs_, library_songs_, entries_;
  std::map<std::string, std::string> user_files_;  // the user's songs and their bytes
  bool folder_readable_ = true;
  bool playlist_readable_ = true;
  int next_song_ = 0;
};

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
  const char* given = std::getenv("TARVELLO_MODEL_SEED");
  const uint32_t seed = given != nullptr ? static_cast<uint32_t>(std::strtoul(given, nullptr, 10))
                                         : std::random_device()();
  std::printf("sync model seed %u\n", seed);
  Seen seen;
  RunModel(seed, seen);
}

}  // namespace
}  // namespace tarvello
