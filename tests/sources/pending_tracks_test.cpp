// The playlist-order pass over the pending records, against a plain search per ID.

#include "sources/pending_tracks.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace tarvello {
namespace {

// For each ID in order, the index of the first record with that TrackID, if any.
std::vector<int32_t> FirstRecordsInOrder(const std::vector<std::string>& ids,
                                         const PendingTracks& pending) {
  std::vector<int32_t> chosen;
  for (const std::string& id : ids) {
    for (int32_t i = 0; i < pending.Count(); ++i) {
      if (pending.Records()[i].TrackID == std::stoi(id)) {
        chosen.push_back(i);
        break;
      }
    }
  }
  return chosen;
}

TEST(AddInPlaylistOrderTest, EachIdGetsTheFirstRecordWithItsTrackId) {
  const unsigned seed = std::random_device{}();
  std::mt19937 random(seed);
  for (int round = 0; round < 300; ++round) {
    // Few distinct IDs, so that repeats and IDs without a record are common; some are
    // multiples of a power of two.
    const int distinct = 1 + static_cast<int>(random() % 12);
    const auto some_id = [&] {
      const int pick = static_cast<int>(random() % distinct);
      return pick % 3 == 0 ? pick * 1024 : pick;
    };
    PendingTracks pending;
    const int records = static_cast<int>(random() % 30);
    for (int i = 0; i < records; ++i) {
      TTrackInfo track{};
      track.TrackID = some_id();
      track.TrackNo = static_cast<int16_t>(i);  // tells records of one ID apart
      ASSERT_TRUE(pending.Add(track));
    }
    std::vector<std::string> ids;
    for (int i = static_cast<int>(random() % 40); i > 0; --i) {
      ids.push_back(std::to_string(some_id()));
    }
    TrackTable table;
    SourceMessages messages;
    AddInPlaylistOrder(ids, pending, table, messages);

    const std::vector<int32_t> expected = FirstRecordsInOrder(ids, pending);
    ASSERT_EQ(table.TrackCount(), static_cast<int32_t>(expected.size())) << "seed " << seed;
    for (int32_t k = 0; k < table.TrackCount(); ++k) {
      EXPECT_EQ(table[k].TrackNo, expected[k]) << "seed " << seed << " row " << k;
    }
    EXPECT_TRUE(messages.empty());
  }
}

}  // namespace
}  // namespace tarvello
