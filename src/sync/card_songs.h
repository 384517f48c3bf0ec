#pragma once

// The songs of a card's sources: each source's files in order, each file once (at its
// first place), converted where the card would not take it, and read as the add command
// reads a song. A source that cannot be read, or that gives no song, refuses.

#include <string>
#include <vector>

#include "catalogue/track_table.h"
#include "output/output_progress.h"
#include "sync/card_profile.h"
#include "sync/sync_context.h"
#include "sync/sync_refusal.h"

namespace tarvello {

struct CardSongs {
  TrackTable table;                  // one record per song, in card order
  std::vector<std::string> sources;  // the user's file of each record
  std::vector<std::string> notes;    // files that gave no song, and why
  std::vector<std::string> pinned;   // converted songs pinned in the cache for the update
  SyncRefusal refusal;
};

CardSongs GatherCardSongs(const CardProfile& profile, SyncContext& context,
                          OutputProgress& progress);

// Unpins the converted songs the update held.
void ReleaseCardSongs(ConvertCache& cache, std::vector<std::string>& pinned);

}  // namespace tarvello
