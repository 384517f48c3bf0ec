#include "sync/card_fit.h"

#include <gtest/gtest.h>

#include <algorithm>
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

TEST(CardFit, SongsThatFitAreLeftAlone) {
  const std::vector<FitSong> songs = {Song(200, 320), Song(100, 256)};
  const FitPlan plan = PlanFit(songs, {Room(songs), kCluster, kFloor});
  EXPECT_FALSE(plan.needed);
  EXPECT_TRUE(plan.reencoded.empty());
  EXPECT_TRUE(plan.left_out.empty());
  EXPECT_EQ(plan.space_after, Room(songs));
}

TEST(CardFit, ReencodesTheLargestAboveTheFloorFirstAndOnlyAsManyAsNeeded) {
  // The largest song is at the floor already, so it is passed over; the others go by size,
  // not by how much they save.
  const std::vector<FitSong> songs = {Song(300, 320), Song(600, 128), Song(240, 256),
                                      Song(100, 320), Song(280, 192)};
  // Room for all but what re-encoding the first song saves, less a little.
  const int64_t first_saves =
      ClusterRound(songs[0].bytes, kCluster) - ClusterRound(ReencodedBytes(300, kFloor), kCluster);
  const FitRoom room{Room(songs) - first_saves - 1, kCluster, kFloor};
  const FitPlan plan = PlanFit(songs, room);
  EXPECT_TRUE(plan.needed);
  EXPECT_EQ(plan.reencoded, (std::vector<int>{0, 2}));
  EXPECT_TRUE(plan.left_out.empty());
  EXPECT_TRUE(plan.Fits(room));
}

TEST(CardFit, LeavesOutFromTheEndOnlyWhenReencodingIsNotEnough) {
  const std::vector<FitSong> songs = {Song(300, 320), Song(200, 128), Song(200, 96),
                                      Song(100, 128)};
  const FitRoom room{ClusterRound(ReencodedBytes(300, kFloor), kCluster) +
                         ClusterRound(songs[1].bytes, kCluster) + kCluster * 3,
                     kCluster, kFloor};
  const FitPlan plan = PlanFit(songs, room);
  EXPECT_EQ(plan.reencoded, (std::vector<int>{0}));
  EXPECT_EQ(plan.left_out, (std::vector<int>{2, 3}));
  EXPECT_TRUE(plan.Fits(room));
}

TEST(CardFit, ALeftOutSongIsNotReencoded) {
  // Only the last song is above the floor; it goes, and nothing is re-encoded.
  const std::vector<FitSong> songs = {Song(200, 128), Song(200, 128), Song(300, 320)};
  const FitPlan plan = PlanFit(songs, {Room({songs[0], songs[1]}), kCluster, kFloor});
  EXPECT_TRUE(plan.reencoded.empty());
  EXPECT_EQ(plan.left_out, (std::vector<int>{2}));
}

// Random lists and rooms: the plan fits whenever anything can, leaves out only a tail,
// re-encodes only songs above the floor, never more than it needs, and always the
// largest of the songs it could have chosen.
TEST(CardFit, RandomListsKeepThePlansPromises) {
  std::mt19937 random(31);
  const int rates[] = {96, 128, 160, 192, 256, 320};
  for (int round = 0; round < 500; ++round) {
    std::vector<FitSong> songs;
    const int count = std::uniform_int_distribution<int>(1, 40)(random);
    for (int i = 0; i < count; ++i) {
      songs.push_back(Song(std::uniform_int_distribution<int>(1, 400)(random),
                           rates[std::uniform_int_distribution<int>(0, 5)(random)]));
    }
    const int64_t available =
        Room(songs) * std::uniform_int_distribution<int>(5, 110)(random) / 100;
    const FitRoom room{available, kCluster, kFloor};
    const FitPlan plan = PlanFit(songs, room);
    SCOPED_TRACE("round " + std::to_string(round));

    const bool all_out = plan.left_out.size() == songs.size();
    EXPECT_TRUE(plan.Fits(room) || all_out);
    EXPECT_EQ(plan.needed, Room(songs) > available);
    // Left out: a tail of the list.
    for (size_t i = 0; i < plan.left_out.size(); ++i) {
      EXPECT_EQ(plan.left_out[i], count - static_cast<int>(plan.left_out.size() - i));
    }
    const auto saving = [&](int i) {
      return ClusterRound(songs[i].bytes, kCluster) -
             ClusterRound(ReencodedBytes(songs[i].seconds, kFloor), kCluster);
    };
    const auto kept = [&](int i) {
      return std::find(plan.left_out.begin(), plan.left_out.end(), i) == plan.left_out.end();
    };
    int64_t smallest_chosen = INT64_MAX;
    for (int i : plan.reencoded) {
      EXPECT_GT(songs[i].bit_rate, kFloor * 1000);
      EXPECT_TRUE(kept(i));
      smallest_chosen = std::min(smallest_chosen, songs[i].bytes);
    }
    // The smallest re-encode is needed: without it the songs kept would not fit.
    if (!plan.reencoded.empty()) {
      EXPECT_GT(plan.space_after + saving(plan.reencoded.back()), available);
    }
    // No song kept and passed over is larger than one chosen.
    for (int i = 0; i < count; ++i) {
      const bool chosen =
          std::find(plan.reencoded.begin(), plan.reencoded.end(), i) != plan.reencoded.end();
      if (!chosen && kept(i) && songs[i].bit_rate > kFloor * 1000 && saving(i) > 0) {
        EXPECT_LE(songs[i].bytes, smallest_chosen);
      }
    }
    // Leaving out one song fewer would not have fitted, even re-encoding all it could.
    if (!plan.left_out.empty()) {
      std::vector<FitSong> more(songs.begin(),
                                songs.end() - static_cast<long>(plan.left_out.size()) + 1);
      for (FitSong& song : more) {
        if (song.bit_rate > kFloor * 1000 && ReencodedBytes(song.seconds, kFloor) < song.bytes) {
          song.bytes = std::min(song.bytes, ReencodedBytes(song.seconds, kFloor));
        }
      }
      EXPECT_GT(SpaceNeeded(more, kCluster), available);
    }
  }
}

}  // namespace
}  // namespace tarvello
