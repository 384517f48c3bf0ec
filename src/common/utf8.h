#pragma once

#include <string_view>

namespace tarvello {

// True when the bytes hold at least one well-formed UTF-8 multi-byte sequence and no
// broken one; pure ASCII is not taken as UTF-8.
bool IsUtf8Text(std::string_view bytes);

}  // namespace tarvello
