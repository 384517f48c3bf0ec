#pragma once

// What the window says of a conversion that failed: the kind of problem in Japanese, with
// the converter's own detail after it.

#include <string>
#include <vector>

#include "convert/convert_song.h"

namespace tarvello {

std::string ConversionFailureText(const ConvertResult& result);

// The one message of an add whose files need the helper program when it is not there:
// what is missing, and each place it was looked for.
std::string MissingHelperText(const std::vector<std::string>& places);

}  // namespace tarvello
