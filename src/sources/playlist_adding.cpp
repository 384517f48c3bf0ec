#include "sources/playlist_adding.h"

#include "common/number_format.h"
#include "sources/playlist_file.h"

namespace tarvello {
namespace {

// Playlists inside playlists are followed this deep; deeper ones are skipped.
constexpr int kMaxNesting = 8;
// The summary names this many missing paths, each cut to about this many bytes.
constexpr size_t kListedMissingPaths = 5;
constexpr size_t kShownPathBytes = 300;

bool StartsWith(const std::string& text, const char* prefix) {
  return text.starts_with(prefix);
}

// A path short enough for a message box, cut between UTF-8 characters.
std::string ShownPath(const std::string& path) {
  if (path.size() <= kShownPathBytes) return path;
  size_t cut = kShownPathBytes;
  while (cut > 0 && (static_cast<unsigned char>(path[cut]) & 0xC0) == 0x80) --cut;
  return path.substr(0, cut) + "...";
}

}  // namespace

std::string PlaylistSummaryText(const PlaylistSummary& summary) {
  const int total = summary.added + summary.missing + summary.skipped;
  std::string text = "プレイリストの " + std::to_string(total) + " 項目のうち " +
                     std::to_string(summary.added) + " 項目を追加しました.";
  if (summary.missing > 0) {
    text += "\r\n見つからない項目: " + std::to_string(summary.missing) + " 件.";
  }
  if (summary.skipped > 0) {
    text += "\r\n追加しなかった項目 (ネットワーク上の曲、フォルダ、追加できないファイル): " +
            std::to_string(summary.skipped) + " 件.";
  }
  size_t listed = 0;
  for (const EntryNote& note : summary.notes) {
    if (note.problem != EntryProblem::kMissing) continue;
    if (listed == kListedMissingPaths) {
      text += "\r\n...";
      break;
    }
    text += (listed == 0 ? "\r\n\r\n" : "\r\n") + ShownPath(note.path);
    ++listed;
  }
  return text;
}

PlaylistAdding::PlaylistAdding(const AddContext& context)
    : context_(context), entry_context_(context) {
  entry_context_.read_track_list = [this](const std::string& path) {
    if (context_.read_track_list && context_.read_track_list(path)) return true;
    return FollowPlaylist(current_entry_.empty() ? path : current_entry_, path);
  };
  entry_context_.report = [this](const std::string& text) { ReportFromAdding(text); };
}

bool PlaylistAdding::ReadListFile(const std::string& path) {
  if (context_.read_track_list && context_.read_track_list(path)) return true;
  current_entry_.clear();
  return FollowPlaylist(path, path);
}

void PlaylistAdding::AddEntries(const PlaylistEntries& entries) {
  ++depth_;
  for (const PlaylistEntry& entry : entries) {
    if (stopped_) break;
    AddEntry(entry);
  }
  --depth_;
  if (depth_ == 0) FinishSummary();
}

bool PlaylistAdding::FollowPlaylist(const std::string& path, const std::string& read_path) {
  std::optional<PlaylistReading> reading;
  try {
    reading = ReadPlaylistFile(context_.files, path, read_path);
  } catch (const FileError&) {
    if (depth_ == 0) throw;
    Note(EntryProblem::kMissing, path, "cannot read");
    return true;
  }
  if (!reading) return false;
  followed_.insert(LexicallyNormalPath(path));
  if (depth_ >= kMaxNesting) {
    Note(EntryProblem::kSkipped, path, "nested too deep");
    return true;
  }
  if (reading->damaged) Note(EntryProblem::kSkipped, path, "damaged playlist");
  AddEntries(reading->entries);
  return true;
}

void PlaylistAdding::AddEntry(const PlaylistEntry& entry) {
  switch (entry.kind) {
    case EntryKind::kNetwork:
      return Note(EntryProblem::kSkipped, entry.path, "network address");
    case EntryKind::kWindowsPath:
      return Note(EntryProblem::kMissing, entry.path, "Windows path");
    case EntryKind::kFile:
      break;
  }
  // A zero byte (written, or escaped as "%00") would cut the path short in the system.
  if (entry.path.find('\0') != std::string::npos) {
    return Note(EntryProblem::kMissing, entry.path, "not a valid path");
  }
  if (context_.files.DirectoryExists(entry.path)) {
    return Note(EntryProblem::kSkipped, entry.path, "folder");
  }
  if (!context_.files.FileExists(entry.path)) {
    return Note(EntryProblem::kMissing, entry.path, "not found");
  }
  if (followed_.contains(LexicallyNormalPath(entry.path))) {
    return Note(EntryProblem::kSkipped, entry.path, "playlist already read");
  }
  const size_t followed_before = followed_.size();
  const int notes_before = summary_.missing + summary_.skipped;
  current_entry_ = entry.path;
  const AddOutcome outcome = AddSongPath(entry_context_, entry.path);
  current_entry_.clear();
  if (outcome == AddOutcome::kStop) stopped_ = true;
  // A playlist inside counts by its own entries, not as one.
  const bool was_playlist = followed_.size() != followed_before;
  if (outcome == AddOutcome::kAdded && !was_playlist) ++summary_.added;
  if (outcome == AddOutcome::kSkipped && notes_before == summary_.missing + summary_.skipped) {
    Note(EntryProblem::kSkipped, entry.path, "not added");
  }
}

void PlaylistAdding::Note(EntryProblem problem, const std::string& path, const char* reason) {
  (problem == EntryProblem::kMissing ? summary_.missing : summary_.skipped) += 1;
  summary_.notes.push_back({problem, path, reason});
}

// The adding of one entry speaks through here: its per-file messages become counts, and
// the messages that end the adding go to the caller.
void PlaylistAdding::ReportFromAdding(const std::string& text) {
  if (StartsWith(text, kNotASongMessage)) {
    Note(EntryProblem::kSkipped, current_entry_, "not a song");
  } else if (StartsWith(text, kCannotOpenMessage)) {
    Note(EntryProblem::kMissing, current_entry_, "cannot open");
  } else {
    context_.report(text);
  }
}

void PlaylistAdding::FinishSummary() {
  if (on_summary) on_summary(summary_);
  summary_ = PlaylistSummary{};
  followed_.clear();
}

}  // namespace tarvello
