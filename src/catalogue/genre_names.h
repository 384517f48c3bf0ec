#pragma once

// The genre names of the ID3v1 numbering with the Winamp extensions, indexed by the
// record's 1-based GenreNo (index 0 is "N/A").

#include <array>
#include <string_view>

namespace tarvello {

inline constexpr int kGenreNameCount = 149;

extern const std::array<std::string_view, kGenreNameCount> GenreNames;

// The name of a genre number 1..148; empty for any other number (0 included: "N/A" is
// never shown for a song).
std::string_view GenreName(int genre_no);

}  // namespace tarvello
