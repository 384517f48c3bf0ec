#pragma once

// The fit of the window's marked rows (and tarvello-cli output --fit): the same plan as a
// card's update makes, over the list's marked rows, and its carrying out on the list.

#include <string>
#include <vector>

#include "catalogue/output_totals.h"
#include "catalogue/track_list.h"
#include "catalogue/track_table.h"
#include "convert/convert_cache.h"
#include "convert/convert_jobs.h"
#include "output/drive_list.h"
#include "output/output_progress.h"
#include "platform/platform.h"
#include "sync/card_fit.h"

namespace tarvello {

struct ListFit {
  FitRoom room;
  FitPlan plan;           // indexes into `rows`
  std::vector<int> rows;  // the marked rows, in list order
};

// Fits the marked rows into `drive`'s room (free space plus the output folder's files).
ListFit PlanListFit(const TrackList& rows, const TrackTable& table, const TDriveInfo& drive,
                    int floor_kbps);

// The offer beside the refusal: "カードに合わせる: 5 曲を 128 kbps に再エンコード、2 曲を除外".
std::string ListFitOfferText(const ListFit& fit);

struct ListFitResult {
  bool cancelled = false;
  std::vector<int> reencoded_rows;
  std::vector<int> unmarked_rows;     // left out to fit
  std::vector<std::string> failures;  // re-encodes that failed: file and reason
  std::vector<std::string> songs;     // the re-encoded songs, pinned in the cache; unpin
                                      // them once the output is done
};

// Re-encodes the planned rows' songs (their records then name the re-encoded songs) and
// unmarks the left-out rows, refitting with the real sizes. `make_jobs` empty: the helper
// processes. The caller recounts its totals afterwards.
ListFitResult ApplyListFit(const ListFit& fit, TrackList& rows, TrackTable& table,
                           FileSystem& files, ConvertCache& cache,
                           const ConvertJobsMaker& make_jobs, OutputProgress& progress);

}  // namespace tarvello
