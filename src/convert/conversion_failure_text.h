#pragma once

// What the window says of a conversion that failed: the kind of problem in Japanese, with
// the converter's own detail after it.

#include <string>

#include "convert/convert_song.h"

namespace tarvello {

std::string ConversionFailureText(const ConvertResult& result);

}  // namespace tarvello
