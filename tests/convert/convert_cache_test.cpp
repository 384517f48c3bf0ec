// The cache's bound: least recently used songs go first, the song just made and the songs
// pinned by their users stay, and songs still being written are neither counted nor
// removed.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <random>
#include <set>
#include <thread>

#include "convert/convert_cache.h"
#include "fakes/fake_platform.h"

namespace tarvello {
namespace {

namespace fs = std::filesystem;

TEST(ConvertCacheTest, TrimRemovesLeastRecentlyUsedUntilTheBoundHolds) {
  std::mt19937 random(11);
  for (int round = 0; round < 25; ++round) {
    fakes::TempDir dir;
    const int64_t bound = 1000 + random() % 3000;
    ConvertCache cache(dir.path(), bound);
    struct Song {
      std::string key;
      int64_t bytes;
      int age;  // seconds before now that it was last used
    };
    std::vector<Song> songs;
    const int count = 1 + static_cast<int>(random() % 12);
    const auto now = fs::file_time_type::clock::now();
    for (int i = 0; i < count; ++i) {
      Song song{"k" + std::to_string(i), static_cast<int64_t>(random() % 900), 10 + i * 10};
      const std::string path = dir.Path(song.key + ".m4a");
      fakes::WriteFile(path, std::string(song.bytes, 'x'));
      fs::last_write_time(path, now - std::chrono::seconds(song.age));
      songs.push_back(song);
    }
    std::shuffle(songs.begin(), songs.end(), random);
    // A song being written by someone else.
    fakes::WriteFile(dir.Path("k0.part-1-1.m4a"), std::string(5000, 'p'));
    // Using a song makes it the newest; its finder lets go of it at once.
    const Song& used = songs.front();
    ASSERT_TRUE(cache.Find(used.key));
    cache.Unpin(dir.Path(used.key + ".m4a"));
    const Song& kept = songs.back();
    // Some songs are in use, one of them twice, and one is let go again.
    std::set<std::string> pinned;
    for (const Song& song : songs) {
      if (random() % 4 != 0) continue;
      cache.Pin(dir.Path(song.key + ".m4a"));
      pinned.insert(song.key);
      if (random() % 2 == 0) {
        cache.Pin(dir.path() + "//" + song.key + ".m4a");
        cache.Unpin(dir.Path(song.key + ".m4a"));
      }
    }
    if (!pinned.empty() && random() % 2 == 0) {
      cache.Unpin(dir.Path(*pinned.begin() + ".m4a"));
      pinned.erase(pinned.begin());
    }
    cache.Trim(dir.Path(kept.key + ".m4a"));

    std::vector<Song> by_use = songs;
    for (Song& song : by_use) {
      if (song.key == used.key) song.age = 0;
    }
    std::sort(by_use.begin(), by_use.end(),
              [](const Song& a, const Song& b) { return a.age > b.age; });
    int64_t total = 0;
    for (const Song& song : by_use) total += song.bytes;
    std::set<std::string> expected;
    for (const Song& song : by_use) {
      if (total > bound && song.key != kept.key && !pinned.contains(song.key)) {
        total -= song.bytes;
      } else {
        expected.insert(song.key + ".m4a");
      }
    }
    expected.insert("k0.part-1-1.m4a");
    std::set<std::string> left;
    for (const auto& entry : fs::directory_iterator(dir.path())) {
      left.insert(entry.path().filename().string());
    }
    EXPECT_EQ(left, expected) << "round " << round;
    int64_t in_use = 0;
    for (const Song& song : songs) {
      if (song.key == kept.key || pinned.contains(song.key)) in_use += song.bytes;
    }
    EXPECT_LE(cache.SizeBytes(), std::max(bound, in_use)) << "round " << round;
  }
}

// What a conversion that died left behind goes once it is an hour old, when the cache is
// opened or trimmed; a song being written now, and the complete songs, stay.
TEST(ConvertCacheTest, LeftoversOfDeadConversionsGoWhenOpenedOrTrimmed) {
  fakes::TempDir dir;
  const auto now = fs::file_time_type::clock::now();
  const auto leave = [&](const std::string& name, std::chrono::minutes age) {
    fakes::WriteFile(dir.Path(name), "half");
    fs::last_write_time(dir.Path(name), now - age);
  };
  leave("a-aac128-v1.part-77-0.m4a", std::chrono::minutes(90));
  leave("b-copy-v1.part-77-1.m4a", std::chrono::minutes(50));
  leave("c-copy-v1.m4a", std::chrono::minutes(600));
  ConvertCache cache(dir.path());
  EXPECT_EQ(fakes::FileNamesIn(dir.path()),
            (std::vector<std::string>{"b-copy-v1.part-77-1.m4a", "c-copy-v1.m4a"}));

  leave("d-aac128-v1.part-78-0.m4a", std::chrono::minutes(61));
  const std::string writing = cache.TemporaryPath("e-aac128-v1");
  fakes::WriteFile(writing, "being written");
  cache.Trim();
  EXPECT_EQ(fakes::FileNamesIn(dir.path()),
            (std::vector<std::string>{"b-copy-v1.part-77-1.m4a", "c-copy-v1.m4a",
                                      fs::path(writing).filename().string()}));
}

TEST(ConvertCacheTest, ClearLeavesSongsBeingWritten) {
  fakes::TempDir dir;
  ConvertCache cache(dir.path());
  fakes::WriteFile(dir.Path("a-copy-v1.m4a"), "song");
  const std::string part = cache.TemporaryPath("b-aac128-v1");
  fakes::WriteFile(part, "half");
  EXPECT_EQ(cache.SizeBytes(), 4);
  cache.Clear();
  EXPECT_EQ(cache.SizeBytes(), 0);
  EXPECT_TRUE(fs::exists(part));
  EXPECT_FALSE(cache.Find("a-copy-v1"));
}

TEST(ConvertCacheTest, ClearKeepsPinnedSongsAndCountsThem) {
  fakes::TempDir dir;
  ConvertCache cache(dir.path());
  for (const char* key : {"a-copy-v1", "b-copy-v1", "c-aac128-v1"}) {
    fakes::WriteFile(dir.Path(std::string(key) + ".m4a"), std::string(100, 's'));
  }
  ASSERT_TRUE(cache.Find("a-copy-v1"));  // found songs are pinned for their finder
  cache.Pin(dir.Path("c-aac128-v1.m4a"));
  const CacheClearResult first = cache.Clear();
  EXPECT_EQ(first.removed, 1);
  EXPECT_EQ(first.kept_in_use, 2);
  EXPECT_EQ(cache.SizeBytes(), 200);
  EXPECT_FALSE(fs::exists(dir.Path("b-copy-v1.m4a")));

  cache.Unpin(dir.Path("a-copy-v1.m4a"));
  cache.Unpin(dir.Path("c-aac128-v1.m4a"));
  cache.Unpin(dir.Path("c-aac128-v1.m4a"));  // one Unpin too many changes nothing
  EXPECT_FALSE(cache.IsPinned(dir.Path("c-aac128-v1.m4a")));
  const CacheClearResult second = cache.Clear();
  EXPECT_EQ(second.removed, 2);
  EXPECT_EQ(second.kept_in_use, 0);
  EXPECT_EQ(cache.SizeBytes(), 0);
}

// Writers on several threads commit songs to a cache that holds about one: each song
// stays until its writer lets go of it, however the other writers' trims fall.
TEST(ConvertCacheTest, ACommittedSongStaysUntilItsWriterLetsGo) {
  fakes::TempDir dir;
  ConvertCache cache(dir.path(), 150);
  std::atomic<int> lost{0};
  std::vector<std::thread> writers;
  for (int writer = 0; writer < 4; ++writer) {
    writers.emplace_back([&, writer] {
      for (int song = 0; song < 40; ++song) {
        const std::string key = std::to_string(writer) + "-" + std::to_string(song);
        const std::string temporary = cache.TemporaryPath(key);
        fakes::WriteFile(temporary, std::string(100, 'x'));
        const std::string path = cache.Commit(temporary, key);
        if (path.empty()) {
          ++lost;
          continue;
        }
        std::this_thread::yield();
        if (!fs::exists(path) || !cache.Find(key)) ++lost;
        cache.Unpin(path);
        cache.Unpin(path);
      }
    });
  }
  for (std::thread& writer : writers) writer.join();
  EXPECT_EQ(lost.load(), 0);
  cache.Trim();
  EXPECT_LE(cache.SizeBytes(), 150);
}

}  // namespace
}  // namespace tarvello

namespace tarvello {
namespace {

// A song is marked as used by its time; the user's own files are never touched.
TEST(ConvertCacheTest, RefreshTouchesOnlyTheCachesSongs) {
  fakes::TempDir dir;
  ConvertCache cache(dir.Path("converted"));
  std::filesystem::create_directories(cache.Folder());
  const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::hours(48);
  const std::string song = cache.Folder() + "/a-copy-v1.m4a";
  const std::string own = dir.Path("own.m4a");
  for (const std::string& path : {song, own}) {
    fakes::WriteFile(path, "m4a");
    std::filesystem::last_write_time(path, old);
  }
  EXPECT_TRUE(cache.Refresh(own));
  EXPECT_EQ(std::filesystem::last_write_time(own), old);
  EXPECT_TRUE(cache.Refresh(cache.Folder() + "//a-copy-v1.m4a"));
  EXPECT_GT(std::filesystem::last_write_time(song), old);
  EXPECT_FALSE(cache.Refresh(cache.Folder() + "/gone.m4a"));
}

}  // namespace
}  // namespace tarvello
