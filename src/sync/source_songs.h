#pragma once

// The files one card source names, in its order. A source that cannot be read refuses
// the update, naming itself and why; the files are checked and added later.

#include <string>
#include <vector>

#include "common/common_routine.h"
#include "sync/card_profile.h"
#include "sync/sync_context.h"
#include "sync/sync_refusal.h"

namespace tarvello {

struct SourceFiles {
  std::vector<std::string> files;  // native paths, in the source's order
  std::vector<std::string> notes;  // entries that name no file here (network, Windows paths)
  SyncRefusal refusal;             // kSourceUnreadable, or kNone
};

SourceFiles ReadSourceFiles(const CardSource& source, SyncContext& context,
                            TempNameCounter& temp_names);

// "曲の入手元を読み込めません: LABEL\r\nREASON".
SyncRefusal UnreadableSource(const CardSource& source, const std::string& reason);

}  // namespace tarvello
