#pragma once

// The songs of a whole folder: a recursive walk that passes over hidden entries and
// files that are not music, survives link loops, and gives the files in natural order.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/track_list.h"

namespace tarvello {

struct FolderWalkResult {
  std::vector<std::string> songs;  // music files, in natural path order
  int passed_over = 0;             // files that are not music
  bool cancelled = false;
};

// True when the file name's extension is one of a music or audio-bearing video file.
bool IsMusicFileName(const std::string& name);

// ICU's collation of the user's locale with numbers compared by value, so "2 x" comes
// before "10 x".
std::unique_ptr<TextCollator> MakeNaturalCollator();

// Walks `root` depth-first: each folder's entries in `natural` order, a subfolder's songs
// where the subfolder sorts. Entries whose names begin with "." are left out; a folder
// reached twice through links is walked once. `cancelled`, when given, is asked between
// folders.
FolderWalkResult WalkMusicFolder(const std::string& root, const TextCollator& natural,
                                 const std::function<bool()>& cancelled = {});

}  // namespace tarvello
