#include "sync/card_fit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>

#include "catalogue/output_totals.h"

namespace tarvello {
namespace {

constexpr int64_t kCluster = 4096;
constexpr int kFloor = 128;

// A song of `seconds` at `kbps`, sized as that bit rate makes it.
FitSong Song(int seconds, int kbps) {
  return {ReencodedBytes(seconds, kbps), seconds, kbps * 1000};
}

int64_t Room(const std::vector<FitSong>& songs) {
  return SpaceNeeded(songs, kCluster);
}

// The cluster-rounded size of a song of `seconds` at `kbps`.
int64_t Size(int seconds, int kbps) {
  return ClusterRound(ReencodedBytes(seconds, kbps), kCluster);
}

// The fit's order: the largest songs above the floor are re-encoded first (by size, not by
// what they save), only as many as needed; then songs go from the end of the list, and a
// song left out is not re-encoded.
TEST(CardFit, ReencodesTheLargestAboveTheFloorFirstThenLeavesOutFromTheEnd) {
  // The largest song is at the floor already, so it is passed over.
  const std::vector<FitSong> by_size = {Song(300, 320), Song(600, 128), Song(240, 256),
                                        Song(100, 320), Song(280, 192)};
  const std::vector<FitSong> too_many = {Song(300, 320), Song(200, 128), Song(200, 96),
                                         Song(100, 128)};
  const std::vector<FitSong> last_above = {Song(200, 128), Song(200, 128), Song(300, 320)};
  struct Case {
    const char* name;
    std::vector<FitSong> songs;
    int64_t available;
    std::vector<int> reencoded, left_out;
  };
  const Case cases[] = {
      {"by size", by_size, Room(by_size) - Size(300, 320) + Size(300, kFloor) - 1, {0, 2}, {}},
      {"not enough", too_many, Size(300, kFloor) + Size(200, 128) + 3 * kCluster, {0}, {2, 3}},
      {"left out, not re-encoded", last_above, Room({last_above[0], last_above[1]}), {}, {2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const FitRoom room{c.available, kCluster, kFloor};
    const FitPlan plan = PlanFit(c.songs, room);
    EXPECT_EQ(plan.needed, Room(c.songs) > c.available);
    EXPECT_EQ(plan.reencoded, c.reencoded);
    EXPECT_EQ(plan.left_out, c.left_out);
    EXPECT_TRUE(plan.Fits(room));
  }
}

// Random lists and rooms: the plan fits whenever anything can, counts the room the fitted
// songs need, leaves out only a tail, re-encodes only songs above the floor, never more
// than it needs, and always the largest of the songs it could have chosen.
TEST(CardFit, RandomListsKeepThePlansPromises) {
  std::mt19937 random(31);
  const auto pick = [&](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  const int rates[] = {96, 128, 160, 192, 256, 320};
  for (int round = 0; round < 500; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    std::vector<FitSong> songs;
    const int count = pick(1, 40);
    for (int i = 0; i < count; ++i) songs.push_back(Song(pick(1, 400), rates[pick(0, 5)]));
    const int64_t available = Room(songs) * pick(5, 110) / 100;
    const FitRoom room{available, kCluster, kFloor};
    const FitPlan plan = PlanFit(songs, room);

    const int kept_count = count - static_cast<int>(plan.left_out.size());
    EXPECT_TRUE(plan.Fits(room) || kept_count == 0);
    EXPECT_EQ(plan.needed, Room(songs) > available);
    std::vector<int> tail(plan.left_out.size());
    std::iota(tail.begin(), tail.end(), kept_count);
    EXPECT_EQ(plan.left_out, tail);
    const auto saving = [&](int i) {
      return ClusterRound(songs[i].bytes, kCluster) - Size(songs[i].seconds, kFloor);
    };
    const auto chosen = [&](int i) { return std::ranges::count(plan.reencoded, i) > 0; };
    std::vector<FitSong> fitted(songs.begin(), songs.begin() + kept_count);
    int64_t smallest_chosen = INT64_MAX;
    for (int i : plan.reencoded) {
      EXPECT_GT(songs[i].bit_rate, kFloor * 1000);
      ASSERT_LT(i, kept_count);
      fitted[i].bytes = ReencodedBytes(songs[i].seconds, kFloor);
      smallest_chosen = std::min(smallest_chosen, songs[i].bytes);
    }
    if (kept_count > 0) {
      EXPECT_EQ(plan.space_after, SpaceNeeded(fitted, kCluster));
    }
    // The smallest re-encode is needed: without it the songs kept would not fit.
    if (!plan.reencoded.empty()) {
      EXPECT_GT(plan.space_after + saving(plan.reencoded.back()), available);
    }
    // No song kept and passed over is larger than one chosen.
    for (int i = 0; i < kept_count; ++i) {
      if (!chosen(i) && songs[i].bit_rate > kFloor * 1000 && saving(i) > 0) {
        EXPECT_LE(songs[i].bytes, smallest_chosen);
      }
    }
    // Leaving out one song fewer would not have fitted, even re-encoding all it could.
    if (!plan.left_out.empty()) {
      std::vector<FitSong> more(songs.begin(), songs.begin() + kept_count + 1);
      for (FitSong& song : more) {
        if (song.bit_rate > kFloor * 1000) {
          song.bytes = std::min(song.bytes, ReencodedBytes(song.seconds, kFloor));
        }
      }
      EXPECT_GT(SpaceNeeded(more, kCluster), available);
    }
  }
}

}  // namespace
}  // namespace tarvello
