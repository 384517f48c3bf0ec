#include "sources/pending_tracks.h"

#include <new>
#include <unordered_map>

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
  // The first record of each TrackID, found in one go rather than by a search per ID.
  std::unordered_map<int32_t, int32_t> first_of;
  first_of.reserve(pending.Records().size());
  for (int32_t i = 0; i < pending.Count(); ++i)
    first_of.try_emplace(pending.Records()[i].TrackID, i);
  for (const std::string& id : track_ids) {
    const auto found = first_of.find(IntegerValue(id));
    if (found == first_of.end()) continue;
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
