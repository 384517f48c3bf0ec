#pragma once

// How the library readers turn a string value into a record's CP932 text.

#include <string>
#include <string_view>

namespace tarvello {

// A playlist name's UTF-8 bytes as CP932; text that is not well-formed UTF-8 gives the
// empty text, and a character CP932 lacks (one outside the Basic Multilingual Plane
// included) becomes "?".
std::string LibraryUtf8ToCp932(std::string_view utf8);

// A song's string value of a library file: entity references decoded, then its closest
// CP932 form; text that is not well-formed UTF-8 gives the empty text.
std::string LibraryText(std::string_view value);

}  // namespace tarvello
