#pragma once

// What the M4A walk takes from the contents it reads: the movie header and the tag
// items, each stored into the song record.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "catalogue/tag_texts.h"
#include "catalogue/track_info.h"

namespace tarvello {

inline constexpr size_t kBrandBufferSize = 24;
inline constexpr size_t kMovieHeaderSize = 12;
inline constexpr size_t kMovieHeaderVersion1Size = 24;
inline constexpr size_t kTextBufferSize = 256;
inline constexpr size_t kNumberBufferSize = 8;

// A version 0 movie header after its first 8 bytes: time scale at 4, duration at 8, both
// 32 bits; Time is duration div time scale (whole seconds).
void StoreMovieHeader(const uint8_t (&buffer)[kMovieHeaderSize], TTrackInfo& track);

// A version 1 movie header after its first 8 bytes: the 64-bit times end at 12, then the
// 32-bit time scale and the 64-bit duration.
void StoreMovieHeaderVersion1(const uint8_t (&buffer)[kMovieHeaderVersion1Size], TTrackInfo& track);

// A text item: `key` is the tag after its leading 0xA9 byte, `buffer` the item's text
// bytes (zero-filled past what the item holds). `source_texts`, when given, gets the
// text as the file holds it too.
void StoreTextItem(std::string_view key, const uint8_t (&buffer)[kTextBufferSize],
                   TTrackInfo& track, TagTexts* source_texts = nullptr);

// A number item by its exact tag.
void StoreNumberItem(std::string_view tag, const uint8_t (&buffer)[kNumberBufferSize],
                     TTrackInfo& track);

// A tag text as a record's CP932: UTF-8 text is converted to its closest CP932 form,
// anything else is kept as it is.
std::string TagTextToCp932(std::string_view value);

// A tag text as UTF-8: UTF-8 text as it is, anything else read as CP932.
std::string TagTextToUtf8(std::string_view value);

}  // namespace tarvello
