#pragma once

// Adding the entries of a playlist, whichever reader found them: each entry is added as
// the add command adds a file, and what could not be added is counted and told once, at
// the end, instead of one box per entry.

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "sources/add_files.h"
#include "sources/playlist_entries.h"

namespace tarvello {

enum class EntryProblem { kMissing, kSkipped };

// An entry that was not added, with why, in the words the command line prints.
struct EntryNote {
  EntryProblem problem = EntryProblem::kMissing;
  std::string path;
  std::string reason;
};

struct PlaylistSummary {
  int added = 0;  // entries that brought songs in
  int missing = 0;
  int skipped = 0;
  std::vector<EntryNote> notes;  // every entry not added, in playlist order
};

// The one message about a playlist's entries: how many were added, missing and skipped,
// and the first few missing paths. UTF-8.
std::string PlaylistSummaryText(const PlaylistSummary& summary);

class PlaylistAdding {
 public:
  // `context` is the adding's: its read_track_list reads XML and RMP track lists only, and
  // its report shows the messages that end the adding (the song limit, no memory).
  explicit PlaylistAdding(const AddContext& context);

  // The read_track_list of an adding that also takes playlist files: a track list, else a
  // playlist file whose entries are added; false when the file is neither. A playlist
  // named inside a playlist is followed once, at most a few levels deep.
  bool ReadListFile(const std::string& path);

  // Adds the entries of a player's playlist.
  void AddEntries(const PlaylistEntries& entries);

  // Takes the summary of the playlist (or entries) just added; called once for each file
  // read by ReadListFile and once for each AddEntries.
  std::function<void(const PlaylistSummary&)> on_summary;

  // True when the song limit or running out of memory ended the adding.
  bool Stopped() const { return stopped_; }

 private:
  bool FollowPlaylist(const std::string& path, const std::string& read_path);
  void AddEntry(const PlaylistEntry& entry);
  void Note(EntryProblem problem, const std::string& path, const char* reason);
  void ReportFromAdding(const std::string& text);
  void FinishSummary();

  AddContext context_;        // the caller's, for what it reports
  AddContext entry_context_;  // the adding of one entry
  PlaylistSummary summary_;
  std::set<std::string> followed_;  // playlists already read in this adding
  std::string current_entry_;       // the entry being added, as the playlist names it
  int depth_ = 0;
  bool stopped_ = false;
};

}  // namespace tarvello
