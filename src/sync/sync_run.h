#pragma once

// Carrying out a card's update: the re-encodes the fit asked for (through the conversion
// helpers and cache), a second fit with their real sizes, then the ordinary output run
// (backup, only the change written, verify).

#include <string>
#include <vector>

#include "output/output_progress.h"
#include "output/output_run.h"
#include "sync/sync_context.h"
#include "sync/sync_plan.h"

namespace tarvello {

struct SyncRunSettings {
  std::string backup_base;  // the day's backup folder, without a trailing "/"
  bool verify = true;
  bool confirmed = false;  // the user allowed an update that removes more than half
};

struct SyncResult {
  SyncRefusal refusal;                // kNone when the output ran
  OutputRunResult output;             // the run's result, when it ran
  int reencoded = 0;                  // songs re-encoded to fit
  std::vector<std::string> left_out;  // titles of the songs left out, in list order
  std::vector<std::string> failures;  // re-encodes that failed (the song went as it was
                                      // or was left out), file and reason
};

// Runs `plan` (made by MakeSyncPlan; a refused plan returns its refusal). The plan's
// songs and table are used up.
SyncResult RunSync(SyncPlan& plan, const SyncRunSettings& settings, SyncContext& context,
                   OutputProgress& progress);

// What an update did, for the notification and the status bar:
// "カード CARD を更新しました: 12 曲を追加、3 曲を削除".
std::string SyncDoneText(const SyncPlan& plan, const SyncResult& result,
                         const std::string& card_name);

}  // namespace tarvello
