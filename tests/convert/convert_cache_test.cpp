// The cache's bound: least recently used songs go first, the song just made stays, and
// songs still being written are neither counted nor removed.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <random>
#include <set>

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
    // Using a song makes it the newest.
    const Song& used = songs.front();
    ASSERT_TRUE(cache.Find(used.key));
    const Song& kept = songs.back();
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
      if (total > bound && song.key != kept.key) {
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
    EXPECT_TRUE(cache.SizeBytes() <= bound || left.size() == 2);
  }
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

}  // namespace
}  // namespace tarvello
