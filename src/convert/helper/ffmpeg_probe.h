#pragma once

// What FFmpeg makes of a source.

#include <string>

#include "convert/helper/av_handles.h"
#include "convert/source_probe.h"
#include "platform/platform.h"

namespace tarvello {

// Looks at `path`: first as the M4A walk does, then as FFmpeg does. Reads no more than
// the headers FFmpeg needs to know the streams; `interrupt` as OpenSourceInput's.
SourceProbe ProbeSource(FileSystem& files, const std::string& path,
                        const AVIOInterruptCB& interrupt = {});

}  // namespace tarvello
