#pragma once

// Writes a card-ready song: FFmpeg's "ipod" muxer gives the "M4A " major brand and the
// iTunes tag items, and "faststart" puts the movie box before the media data.

#include <string>

#include "convert/helper/av_handles.h"
#include "convert/convert_status.h"
#include "convert/helper/av_song_tags.h"

namespace tarvello {

class M4aOutput {
 public:
  // Creates `path` (which must not be in use) and its one audio stream.
  ConvertStatus Open(const std::string& path, const SongTags& tags);
  AVStream* Audio() const { return audio_; }
  ConvertStatus WriteHeader();
  // Takes the packet's contents; its times are in `time_base`.
  ConvertStatus WritePacket(AVPacket* packet, AVRational time_base);
  // Writes the trailer (and moves the movie box to the front) and closes the file.
  ConvertStatus Finish();

 private:
  OutputFormat format_;
  AVStream* audio_ = nullptr;
};

}  // namespace tarvello
