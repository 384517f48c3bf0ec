#pragma once

// The plan of a card's update: the sources' songs gathered in order (each once, at its
// first place), converted where needed, compared with what the card holds and fitted to
// its room. Making the plan writes nothing to the card; the bar above the list and
// `tarvello-cli sync` show it, and RunSync carries it out.

#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/track_table.h"
#include "common/number_format.h"
#include "output/drive_list.h"
#include "output/output_options.h"
#include "output/output_progress.h"
#include "sync/card_fit.h"
#include "sync/card_profile.h"
#include "sync/sync_context.h"
#include "sync/sync_refusal.h"

namespace tarvello {

// One song the sources give, in card order.
struct PlannedSong {
  std::string source;  // the user's file, as the source names it
  std::string title;   // as the list shows it, UTF-8
  int64_t bytes = 0;   // of the song as it goes to the card (re-encodes estimated)
  int32_t seconds = 0;
  bool on_card = false;        // the card holds these bytes now: moved, not written
  bool reencode = false;       // re-encoded at the floor to fit
  bool left_out = false;       // left out to fit
  bool reencode_kept = false;  // its re-encode is in the cache already; its record names it
};

struct SyncPlan {
  CardProfile profile;
  std::string root;    // the card's mount point
  std::string folder;  // the output folder's native path
  TDriveInfo drive;    // as measured for the plan
  TOutputOptions options;
  std::vector<PlannedSong> songs;
  // Record i is the card-ready song of songs[i] (a converted song where one was made).
  TrackTable table;
  FitRoom room;
  FitPlan fit;

  int card_songs = 0;  // numbered songs on the card now
  int added = 0;       // songs written (new to the card), re-encodes included
  int kept = 0;        // songs the card holds already
  int removed = 0;     // card songs no longer wanted
  int reencoded = 0;
  int left_out = 0;
  int64_t bytes_to_write = 0;  // added songs and management files
  // Entries of the sources that give no song (missing files, failed conversions), named.
  std::vector<std::string> notes;
  // Converted songs the plan holds pinned in the cache; RunSync lets them go.
  std::vector<std::string> pinned;
  bool reordered = false;  // songs the card keeps change their place

  SyncRefusal refusal;  // kNone unless the update must not run

  bool Refused() const { return refusal.kind != SyncRefusalKind::kNone; }
  // The card would change: songs added, removed, moved or re-encoded.
  bool Changes() const;
  // The update would remove more than half of the card's songs; it runs only once asked.
  bool NeedsConfirmation() const;
};

// Gathers, converts and compares. A source that cannot be read or gives no song refuses
// the plan, naming it; so does a card without an identity or a medium. `progress` shows
// the gathering and conversions, and its cancel ends the plan as kCancelled.
SyncPlan MakeSyncPlan(const CardProfile& profile, const std::string& root, SyncContext& context,
                      OutputProgress& progress);

// The bar's text: "カード CARD を更新できます: 12 曲を追加、3 曲を削除 (45.2 MB)", with the
// re-encoded and left-out songs where there are any. `card_name` is the drive's name.
std::string SyncBarText(const SyncPlan& plan, const std::string& card_name,
                        const NumberSymbols& symbols);

// The question before an update that removes more than half of the card's songs.
std::string MassRemovalQuestion(const SyncPlan& plan);

// One line per left-out song: "入りきらないため除外: TITLE".
std::vector<std::string> LeftOutLines(const SyncPlan& plan);

}  // namespace tarvello
