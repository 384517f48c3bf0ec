#pragma once

// What the properties dialog shows for one song, field by field, as UTF-8 texts.

#include <string>

#include "catalogue/tag_texts.h"
#include "catalogue/track_info.h"
#include "common/number_format.h"

namespace tarvello {

struct TrackProperties {
  std::string title;
  std::string time;  // whole minutes and two-digit seconds: "62:05"
  std::string artist;
  std::string album;
  std::string genre;  // the text, else the name of the genre number
  std::string year;
  std::string track_no;
  std::string track_total;
  std::string disk_no;
  std::string disk_total;
  std::string tempo;
  std::string channels;
  std::string bit_rate;     // "127 kbps"
  std::string sample_rate;  // "44.1 kHz"
  std::string group;
  std::string writer;
  std::string comment;
  bool compilation = false;
  std::string tool;
  std::string file_size;  // "4.77 MB"
  std::string file_name;  // the native path
  // For a converted song: the user's file it was made from; empty otherwise.
  std::string converted_from;
};

// `source_texts`, when given (the file was just read again), are shown for the text tags
// instead of the record's CP932 forms: the dialog shows the file's tags as they are.
TrackProperties PropertyTexts(const TTrackInfo& track, const NumberSymbols& symbols,
                              const TagTexts* source_texts = nullptr);

}  // namespace tarvello
