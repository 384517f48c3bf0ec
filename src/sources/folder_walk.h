#pragma once

// The songs of a whole folder: a recursive walk that passes over hidden entries and
// files that are not music, survives link loops, and gives the files in natural order.
// The walk goes a few songs at a time, so a caller can show its progress and stop it.

#include <sys/types.h>
#include <cstddef>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "catalogue/track_list.h"

namespace tarvello {

// True when the file name's extension is one of a music or audio-bearing video file.
bool IsMusicFileName(const std::string& name);
// The music files' names as a file dialog's patterns: "*.mp3;*.m4a;...".
std::string MusicFilePatterns();

// Walks a folder depth-first: each folder's entries in `natural` order, a subfolder's
// songs where the subfolder sorts. Entries whose names begin with "." are left out; a
// folder reached twice through links is walked once; a folder that cannot be read is
// noted and passed over.
class FolderWalk {
 public:
  FolderWalk(const std::string& root, const TextCollator& natural);

  // Up to `count` further songs; fewer only once the walk has ended.
  std::vector<std::string> NextSongs(size_t count);
  bool Finished() const { return levels_.empty(); }

  // The folder whose entries are being gone through; empty once the walk has ended.
  const std::string& Folder() const;
  int SongsFound() const { return songs_found_; }
  int PassedOver() const { return passed_over_; }
  const std::vector<std::string>& UnreadableFolders() const { return unreadable_; }

 private:
  struct Entry {
    std::string name;
    bool is_folder = false;
  };
  struct Level {
    std::string folder;
    std::vector<Entry> entries;
    size_t next = 0;
  };

  void Enter(const std::string& folder);
  // The folder's visible entries in natural order; false when it cannot be read.
  bool List(const std::string& folder, std::vector<Entry>& entries) const;

  const TextCollator& natural_;
  std::vector<Level> levels_;
  std::set<std::pair<dev_t, ino_t>> visited_;  // a folder's identity, whatever link reached it
  int songs_found_ = 0;
  int passed_over_ = 0;
  std::vector<std::string> unreadable_;
};

struct FolderWalkResult {
  std::vector<std::string> songs;  // music files, in natural path order
  int passed_over = 0;             // files that are not music
  std::vector<std::string> unreadable;
};

// The whole walk at once.
FolderWalkResult WalkMusicFolder(const std::string& root, const TextCollator& natural);

}  // namespace tarvello
