#pragma once

// The output run: makes the card's output folder hold exactly the songs marked for
// output, in list order, under numbered names, with their management files, after
// backing up what was there.

#include <string>
#include <vector>

#include "catalogue/track_list.h"
#include "catalogue/track_table.h"
#include "common/common_routine.h"
#include "output/output_options.h"
#include "output/output_progress.h"
#include "platform/platform.h"

namespace tarvello {

struct OutputRunSettings {
  std::string folder;       // native path of the output folder, without a trailing "/"
  TOutputOptions options;   // Prefix, Ext, TitleFormat, Separator, BackupBeforeOutput
  std::string backup_base;  // the day's backup folder, without a trailing "/"
  bool verify = true;       // read the written files back from the card afterwards
  // Where the hashes of the card's and the computer's files are remembered between runs;
  // empty: every run learns them afresh.
  std::string hash_cache_folder = {};
};

enum class OutputRunEnd {
  kCompleted,  // every output target was tried; `written` of them made it
  kCancelled,  // the user cancelled; no final message
  kFailed,     // a failure ended the run; its message was shown
};

struct OutputRunResult {
  OutputRunEnd end = OutputRunEnd::kFailed;
  int targets = 0;            // rows marked for output
  int written = 0;            // songs copied or moved to their numbered names
  std::string backup_folder;  // where this run backed up to; empty when it backed up nothing
  // The run ended early after it had begun to change the folder: songs may wait under
  // temporary names and the management files may not match the songs. Running the output
  // again completes the folder.
  bool incomplete = false;
  bool verified = false;      // read back, and the card held everything sent
  std::vector<std::string> mismatched;  // card paths that differed or could not be read
};

// Runs the whole output. Reads the rows in list order. A song of the folder that it parks
// under a temporary name or moves to its numbered name gets that name as its record's
// FileName and its row's listed path, so the list always names where the song is. A song
// from outside whose bytes a file of the folder already holds takes that file, which is
// moved to its numbered name instead of being written again; its row keeps naming its
// own file.
OutputRunResult RunOutput(const OutputRunSettings& settings, TrackList& rows, TrackTable& table,
                          Platform& platform, TempNameCounter& temp_names,
                          OutputProgress& progress);

}  // namespace tarvello
