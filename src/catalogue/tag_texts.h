#pragma once

// A song's text tags in the file's own text (UTF-8), beside the record's CP932 forms: what
// the properties dialog shows after reading the file again.

#include <string>

namespace tarvello {

struct TagTexts {
  std::string title;
  std::string artist;
  std::string album;
  std::string genre;
  std::string writer;
  std::string group;
  std::string comment;
  std::string tool;
};

}  // namespace tarvello
