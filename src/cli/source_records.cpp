#include "cli/source_records.h"

#include <memory>

#include "catalogue/track_json.h"
#include "cli/terminal_progress.h"
#include "common/json_text.h"

namespace tarvello::cli {

void WriteRecords(const TrackTable& table, std::ostream& out) {
  for (int32_t i = 0; i < table.TrackCount(); ++i) {
    out << TrackJsonLine(FieldText(table[i].FileName), &table[i]) << "\n";
  }
}

void WriteEntryNotes(const std::vector<EntryNote>& notes, std::ostream& out) {
  for (const EntryNote& note : notes) {
    out << JsonObject()
               .Text(note.problem == EntryProblem::kMissing ? "missing" : "skipped", note.path)
               .Text("reason", note.reason)
               .Close()
        << "\n";
  }
}

void WriteMessages(const std::vector<std::string>& messages, std::ostream& err) {
  for (const std::string& message : messages) err << TerminalText(message) << "\n";
}

std::optional<PlaylistCatalogue> ScanLibraryFile(FileSystem& files, const std::string& library,
                                                 std::ostream& err) {
  const std::unique_ptr<ByteFile> file = files.OpenRead(library);
  if (!file) {
    err << "tarvello-cli: cannot open " << library << "\n";
    return std::nullopt;
  }
  return ScanPlaylists(*file);
}

}  // namespace tarvello::cli
