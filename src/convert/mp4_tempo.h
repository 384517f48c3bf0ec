#pragma once

// The iTunes tempo item ("tmpo") of an MPEG-4 file of any brand and box order. FFmpeg's
// MP4 reader passes over this item, so it is read here from the boxes themselves.

#include "platform/platform.h"

namespace tarvello {

// The beats per minute under moov/udta/meta/ilst/tmpo; 0 when the file has none or is
// not an MPEG-4 file.
int ReadMp4Tempo(ByteFile& file);

}  // namespace tarvello
