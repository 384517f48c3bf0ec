#pragma once

// The conversion settings keep a small file of their own beside the settings file, so
// the settings file itself stays byte for byte as it was.

#include <string>

#include "convert/convert_settings.h"
#include "platform/platform.h"

namespace tarvello {

// "conversion.ini" in the settings file's folder.
std::string ConversionSettingsPath(const std::string& ini_file_name);

// The saved settings; defaults (on, 128 kbps) for a missing file or value, and for a bit
// rate that is not offered.
ConvertSettings ReadConversionSettings(FileSystem& files, const std::string& path);

// False when the file cannot be written.
bool WriteConversionSettings(FileSystem& files, const std::string& path,
                             const ConvertSettings& settings);

}  // namespace tarvello
