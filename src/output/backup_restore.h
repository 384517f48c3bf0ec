#pragma once

// Puts a backup folder's files back into the card's output folder: the folder's present
// files are backed up first as an output run does, the backup's files are copied back
// with their original last-write times (the phone orders the songs by them), and the
// card is flushed and read back. The chosen backup is only ever read, so at every step
// each file is in the folder, in the chosen backup or in the new one.

#include <string>
#include <vector>

#include "output/output_progress.h"
#include "platform/platform.h"

namespace tarvello {

struct RestoreSettings {
  std::string folder;       // the card's output folder, without a trailing "/"
  std::string backup;       // the backup folder to put back
  std::string backup_base;  // the day's backup folder for what the card holds now
  bool verify = true;
};

enum class RestoreEnd { kCompleted, kCancelled, kFailed };

struct RestoreResult {
  RestoreEnd end = RestoreEnd::kFailed;
  int restored = 0;           // files put back
  std::string backup_folder;  // where the folder's present files went; empty for none
  bool verified = false;
  std::vector<std::string> mismatched;
};

RestoreResult RestoreBackup(const RestoreSettings& settings, FileSystem& files,
                            OutputProgress& progress);

// "バックアップから %d 個のファイルを戻しました."
std::string RestoredText(int restored);

}  // namespace tarvello
