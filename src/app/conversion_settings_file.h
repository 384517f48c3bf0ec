#pragma once

// The conversion settings live in their own section of the extra settings file, so the
// settings file itself stays byte for byte as it was.

#include "common/extra_settings.h"
#include "convert/convert_settings.h"

namespace tarvello {

// The saved settings; defaults (on, 128 kbps) for a missing value, and for a bit rate
// that is not offered.
ConvertSettings ReadConversionSettings(const ExtraSettings& file);

void WriteConversionSettings(ExtraSettings& file, const ConvertSettings& settings);

}  // namespace tarvello
