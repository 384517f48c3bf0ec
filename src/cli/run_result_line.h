#pragma once

// The last line of a run onto the card (output, sync): what was written and how it ended,
// as scripts read it.

#include <optional>
#include <string>
#include <vector>

#include "common/json_text.h"
#include "output/output_run.h"

namespace tarvello::cli {

struct RunResultLine {
  int written = 0;
  int targets = 0;
  std::string folder;
  std::string backup_folder;
  std::string result;   // completed, cancelled, failed or refused
  std::string reason;   // why it did not complete its course; empty when it did
  std::string message;  // the message shown for `reason`
  bool incomplete = false;
  std::optional<bool> verified;  // nullopt: nothing was read back
  std::vector<std::string> mismatched;
};

// "completed", "cancelled" or "failed".
const char* RunEndName(OutputRunEnd end);

// A JSON array of paths.
std::string PathArray(const std::vector<std::string>& paths);

// Writes the line's members into `line`, which the caller may extend and closes.
void PutRunResult(JsonObject& line, const RunResultLine& result);

}  // namespace tarvello::cli
