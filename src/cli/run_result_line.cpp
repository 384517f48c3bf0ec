#include "cli/run_result_line.h"

#include "cli/terminal_progress.h"

namespace tarvello::cli {

const char* RunEndName(OutputRunEnd end) {
  switch (end) {
    case OutputRunEnd::kCompleted:
      return "completed";
    case OutputRunEnd::kCancelled:
      return "cancelled";
    case OutputRunEnd::kFailed:
      return "failed";
  }
  return "failed";
}

std::string PathArray(const std::vector<std::string>& paths) {
  std::vector<std::string> quoted;
  for (const std::string& path : paths) quoted.push_back(JsonString(path));
  return JsonArray(quoted);
}

void PutRunResult(JsonObject& line, const RunResultLine& result) {
  line.Number("written", result.written)
      .Number("targets", result.targets)
      .Text("folder", result.folder)
      .Text("backup_folder", result.backup_folder)
      .Text("result", result.result);
  if (!result.reason.empty()) {
    line.Text("reason", result.reason).Text("message", TerminalText(result.message));
  }
  if (result.incomplete) line.Bool("incomplete", true);
  // Without a read-back nothing was checked; a "false" would read as a failed check.
  if (result.verified) line.Bool("verified", *result.verified);
  line.Raw("mismatched", PathArray(result.mismatched));
}

}  // namespace tarvello::cli
