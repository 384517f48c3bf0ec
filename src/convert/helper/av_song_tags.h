#pragma once

// Song tags in FFmpeg's metadata names on the way in, and as the iTunes items the M4A
// walk reads on the way out.

extern "C" {
#include <libavutil/dict.h>
}

#include "convert/song_tags.h"

namespace tarvello {

// The tags of a source from its container's metadata, else its audio stream's (Ogg and
// Opus keep them there). Keys are matched as ID3, Vorbis comments, RIFF INFO, ASF and MP4
// name them once FFmpeg has read them.
SongTags ReadSongTags(const AVDictionary* container, const AVDictionary* stream);

// Sets the metadata of an "ipod" muxer so that it writes the tags as iTunes items.
void WriteSongTags(const SongTags& tags, AVDictionary** metadata);

}  // namespace tarvello
