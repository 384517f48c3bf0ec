#pragma once

// Opening a source with FFmpeg and finding the audio it holds, with the reasons a user
// is given when that fails.

#include <string>

#include "convert/helper/av_handles.h"
#include "convert/convert_status.h"

namespace tarvello {

struct SourceInput {
  InputFormat format;
  int audio_index = -1;

  AVStream* Audio() const { return format->streams[audio_index]; }
};

// Opens `path`, reads its stream parameters and picks its main audio stream. Refuses a
// file FFmpeg cannot open, one without audio, and one whose audio is encrypted. FFmpeg
// calls `interrupt` often while it reads, which tells that the work goes on.
ConvertStatus OpenSourceInput(const std::string& path, SourceInput& input,
                              const AVIOInterruptCB& interrupt = {});

// Common Encryption marks each packet it encrypted.
bool PacketIsEncrypted(const AVPacket* packet);
ConvertStatus EncryptedRefusal();

// The status for an FFmpeg error while writing: a full disk says so.
ConvertStatus WriteFailure(int error);

}  // namespace tarvello
