#pragma once

// A whole folder added a slice of time at a time: first its walk, then its songs, each
// through the add command's own adding. Between slices the caller shows the new rows and
// the progress, and may stop the adding; what was added stays added.

#include <chrono>
#include <string>
#include <vector>

#include "sources/add_files.h"
#include "sources/folder_walk.h"

namespace tarvello {

// How a window paces a folder's adding: the time within which it finishes without a
// progress dialog, and the work between two showings of the new rows.
struct FolderAddingPace {
  std::chrono::milliseconds quiet{500};
  std::chrono::milliseconds slice{150};
};

class FolderAdding {
 public:
  using Clock = std::chrono::steady_clock;

  // `context` and `natural` must outlive the adding.
  FolderAdding(AddContext& context, const std::string& folder, const TextCollator& natural);

  // Walks, then adds, until `until` has passed or the adding has ended. One song at
  // least is handled per call once the walk has ended.
  void Continue(Clock::time_point until);
  // Ends the adding where it stands.
  void Cancel() { cancelled_ = true; }

  // The walk has ended, the songs are added, or the adding was stopped or cancelled.
  bool Ended() const {
    return cancelled_ || stopped_ || (walk_.Finished() && next_ == songs_.size());
  }
  bool Walking() const { return !walk_.Finished(); }
  bool Cancelled() const { return cancelled_; }
  // The song limit or a lack of memory stopped the adding.
  bool Stopped() const { return stopped_; }

  // The folder being walked, then the folder of the song being added.
  std::string CurrentFolder() const;
  int SongsFound() const { return static_cast<int>(songs_.size()); }
  // Songs handled so far, added or not.
  int SongsHandled() const { return static_cast<int>(next_); }
  int SongsAdded() const { return added_; }
  int PassedOver() const { return walk_.PassedOver(); }
  const std::vector<std::string>& UnreadableFolders() const { return walk_.UnreadableFolders(); }

 private:
  AddContext& context_;
  FolderWalk walk_;
  std::vector<std::string> songs_;
  size_t next_ = 0;
  int added_ = 0;
  bool stopped_ = false;
  bool cancelled_ = false;
};

// The progress dialog's line: the songs found while the walk goes on, then the songs
// handled of those found, with the name of the folder at hand.
std::string FolderAddingLabel(const FolderAdding& adding);

// The status bar's line once a folder add has ended: the songs added when it was
// cancelled, the files that are not music, the folders that could not be read. Empty
// when there is nothing to say.
std::string FolderAddingSummary(const FolderAdding& adding);

}  // namespace tarvello
