#pragma once

// Why the output command ends before it asks anything: the window says so in its status
// bar instead of ending without a word.

#include <string>

#include "catalogue/output_totals.h"
#include "catalogue/track_list.h"
#include "output/drive_list.h"

namespace tarvello {

enum class OutputStartBlock {
  kNone,                // the output may go on to its confirmation
  kNoDrive,             // no volume is chosen
  kNoMedium,            // the chosen volume holds no medium
  kEmptyList,           // the list holds no songs
  kNothingMarked,       // no row is marked for output
  kMarkedFilesMissing,  // every marked song's file is gone (rows with the missing icon)
};

// What a status panel says: the panel's index and its text.
struct StatusNotice {
  int panel = 0;
  std::string text;
};

// Decides from the chosen volume (nullptr: none), the recounted totals and the rows,
// whose missing files carry the missing icon after the recount.
OutputStartBlock CheckOutputStart(const TDriveInfo* drive, const OutputTotals& totals,
                                  const TrackList& rows);

// The status text of a block: about the volume in the drive's panel (1), about the songs
// in the summary's panel (0). kNone gives no text, and neither does kNoMedium, whose reason
// the drive status already shows.
StatusNotice OutputStartNotice(OutputStartBlock block);

}  // namespace tarvello
