#include "sources/pending_tracks.h"

#include <algorithm>
#include <limits>
#include <new>
#include <utility>

#include "common/xml_text.h"

namespace tarvello {

bool PendingTracks::Add(const TTrackInfo& track) {
  if (Count() >= growth_limit_) return false;
  try {
    records_.push_back(track);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

void AddInPlaylistOrder(const std::vector<std::string>& track_ids, const PendingTracks& pending,
                        TrackTable& table, SourceMessages& messages) {
  // The records sorted by TrackID, the first of equal IDs first, and searched once per
  // ID: no hash table whose chains IDs chosen to collide could make long.
  std::vector<std::pair<int32_t, int32_t>> by_id;  // TrackID, record index
  by_id.reserve(pending.Records().size());
  for (int32_t i = 0; i < pending.Count(); ++i) by_id.emplace_back(pending.Records()[i].TrackID, i);
  std::sort(by_id.begin(), by_id.end());
  for (const std::string& id : track_ids) {
    const int32_t track_id = IntegerValue(id);
    const auto found = std::lower_bound(by_id.begin(), by_id.end(),
                                        std::pair{track_id, std::numeric_limits<int32_t>::min()});
    if (found == by_id.end() || found->first != track_id) continue;
    if (!table.CanAdd()) {
      messages.push_back(TrackLimitText());
      return;
    }
    if (table.StoreTrack(table.TrackCount(), pending.Records()[found->second]) !=
        StoreResult::kStored) {
      messages.push_back(kOutOfMemoryMessage);
      return;
    }
  }
}

}  // namespace tarvello
