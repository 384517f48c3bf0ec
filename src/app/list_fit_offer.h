#pragma once

// The output command when the marked songs do not fit: beside the refusal, the offer to
// fit them to the card (the largest songs above the bit-rate floor re-encoded, then songs
// left out from the end, each named). Accepted, the fit is carried out in the progress
// dialog on the list itself; the re-encoded songs stay pinned in the cache until the
// output that needed them is over.

#include <string>
#include <vector>

#include "app/card_sync_view.h"
#include "app/main_view.h"
#include "catalogue/track_list.h"
#include "catalogue/track_table.h"
#include "convert/convert_cache.h"
#include "output/drive_list.h"

namespace tarvello {

enum class FitAnswer {
  kNoOffer,   // nothing to offer: the plain refusal stands
  kDeclined,  // the user kept the refusal
  kStopped,   // the fit was cancelled or failed; the list shows what was done
  kFitted,    // the marked songs now fit
};

inline constexpr const char* kFitToCard = "カードに合わせる";

class ListFitOffer {
 public:
  ListFitOffer(FileSystem& files, MainView& view, CardSyncView& card_view)
      : files_(files), view_(view), card_view_(card_view) {}

  // Offers the fit of the marked rows to `drive` and carries it out when accepted.
  // `changed_rows` gets the rows whose song or mark changed.
  FitAnswer Offer(TrackList& rows, TrackTable& table, const TDriveInfo& drive, int floor_kbps,
                  ConvertCache& cache, std::vector<int>& changed_rows);
  // Once the output is over: the re-encoded songs may leave the cache again.
  void Release(ConvertCache& cache);

 private:
  FileSystem& files_;
  MainView& view_;
  CardSyncView& card_view_;
  std::vector<std::string> pinned_;
};

}  // namespace tarvello
