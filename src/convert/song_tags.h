#pragma once

// The tags a converted song carries over from its source, in FFmpeg's metadata names on
// the way in and as the iTunes items the M4A walk reads on the way out.

#include <string>

extern "C" {
#include <libavutil/dict.h>
}

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

// The tags of a source from its container's metadata, else its audio stream's (Ogg and
// Opus keep them there). Keys are matched as ID3, Vorbis comments, RIFF INFO, ASF and MP4
// name them once FFmpeg has read them.
SongTags ReadSongTags(const AVDictionary* container, const AVDictionary* stream);

// Sets the metadata of an "ipod" muxer so that it writes the tags as iTunes items.
void WriteSongTags(const SongTags& tags, AVDictionary** metadata);

}  // namespace tarvello
