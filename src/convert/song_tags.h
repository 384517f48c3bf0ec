#pragma once

// The tags a converted song carries over from its source.

#include <string>

namespace tarvello {

// Texts are UTF-8; a number of 0 means none.
struct SongTags {
  std::string title;
  std::string artist;
  std::string album;
  std::string genre;
  std::string year;  // four digits, or empty
  std::string composer;
  std::string comment;
  std::string grouping;
  int track = 0;
  int track_total = 0;
  int disc = 0;
  int disc_total = 0;
  int tempo = 0;
  bool compilation = false;

  bool operator==(const SongTags&) const = default;
};

}  // namespace tarvello
