#include "catalogue/m4a_fields.h"

#include <cstring>
#include <limits>
#include <optional>
#include <string>

#include "common/byte_order.h"
#include "common/closest_cp932.h"
#include "common/cp932.h"
#include "common/utf8.h"

namespace tarvello {
namespace {

bool IsContinuation(char byte) {
  return IsUtf8Continuation(static_cast<uint8_t>(byte));
}

// A text longer than the buffer is cut at its 256th byte, possibly inside a character.
// The partial character at the end is dropped so that it alone does not make a UTF-8
// text count as something else.
std::string_view DropCutCharacter(std::string_view value) {
  size_t lead = value.size();
  size_t continuations = 0;
  while (continuations < 3 && lead > 0 && IsContinuation(value[lead - 1])) {
    --lead;
    ++continuations;
  }
  if (lead == 0) return value;
  --lead;
  if (Utf8TrailCount(static_cast<uint8_t>(value[lead])) > continuations)
    return value.substr(0, lead);
  return value;
}

// The text when it is UTF-8, a text the buffer cut inside its last character included.
std::optional<std::string_view> Utf8TagText(std::string_view value) {
  if (IsUtf8Text(value)) return value;
  if (value.size() == kTextBufferSize) {
    const std::string_view whole = DropCutCharacter(value);
    if (whole.size() != value.size() && IsUtf8Text(whole)) return whole;
  }
  return std::nullopt;
}

template <size_t N>
void StoreTagText(char (&field)[N], std::string TagTexts::*source_text, std::string_view value,
                  TagTexts* source_texts) {
  StoreText(field, TagTextToCp932(value));
  if (source_texts != nullptr) source_texts->*source_text = TagTextToUtf8(value);
}

}  // namespace

void StoreMovieHeader(const uint8_t (&buffer)[kMovieHeaderSize], TTrackInfo& track) {
  const int32_t time_scale = SignedBigEndian32(buffer + 4);
  const int32_t duration = SignedBigEndian32(buffer + 8);
  // A zero scale has no meaning, and the one quotient that does not fit 32 bits
  // (most negative / -1) cannot be a play time either: Time stays as it is.
  if (time_scale == 0) return;
  if (time_scale == -1 && duration == std::numeric_limits<int32_t>::min()) return;
  track.Time = duration / time_scale;
}

void StoreMovieHeaderVersion1(const uint8_t (&buffer)[kMovieHeaderVersion1Size],
                              TTrackInfo& track) {
  const uint32_t time_scale = BigEndian32(buffer + 12);
  const uint64_t duration = BigEndian64(buffer + 16);
  // A zero scale has no meaning, and a play time past the field's range (an unknown
  // duration is all ones) is none either: Time stays as it is.
  if (time_scale == 0) return;
  const uint64_t seconds = duration / time_scale;
  if (seconds > uint64_t{std::numeric_limits<int32_t>::max()}) return;
  track.Time = static_cast<int32_t>(seconds);
}

std::string TagTextToCp932(std::string_view value) {
  if (const auto utf8 = Utf8TagText(value)) return Utf8ToClosestCp932(*utf8);
  return std::string(value);
}

std::string TagTextToUtf8(std::string_view value) {
  if (const auto utf8 = Utf8TagText(value)) return std::string(*utf8);
  return Cp932ToUtf8(value);
}

void StoreTextItem(std::string_view key, const uint8_t (&buffer)[kTextBufferSize],
                   TTrackInfo& track, TagTexts* source_texts) {
  const char* text = reinterpret_cast<const char*>(buffer);
  const std::string_view value(text, strnlen(text, kTextBufferSize));
  if (key == "day") {
    StoreBytes(track.Year, value);  // the first four bytes, unconverted
    return;
  }
  if (key == "nam") {
    StoreTagText(track.Title, &TagTexts::title, value, source_texts);
  } else if (key == "ART") {
    StoreTagText(track.Artist, &TagTexts::artist, value, source_texts);
  } else if (key == "alb") {
    StoreTagText(track.Album, &TagTexts::album, value, source_texts);
  } else if (key == "gen") {
    StoreTagText(track.Genre, &TagTexts::genre, value, source_texts);
  } else if (key == "wrt") {
    StoreTagText(track.Writer, &TagTexts::writer, value, source_texts);
  } else if (key == "grp") {
    StoreTagText(track.Group, &TagTexts::group, value, source_texts);
  } else if (key == "cmt") {
    StoreTagText(track.Comment, &TagTexts::comment, value, source_texts);
  } else if (key == "too") {
    StoreTagText(track.Tool, &TagTexts::tool, value, source_texts);
  }
}

void StoreNumberItem(std::string_view tag, const uint8_t (&buffer)[kNumberBufferSize],
                     TTrackInfo& track) {
  if (tag == "trkn") {
    track.TrackNo = SignedBigEndian16(buffer + 2);
    track.TrackTotal = SignedBigEndian16(buffer + 4);
  } else if (tag == "disk") {
    track.DiskNo = SignedBigEndian16(buffer + 2);
    track.DiskTotal = SignedBigEndian16(buffer + 4);
  } else if (tag == "tmpo") {
    track.Tempo = SignedBigEndian16(buffer);
  } else if (tag == "gnre") {
    track.GenreNo = SignedBigEndian16(buffer);
  } else if (tag == "cpil") {
    // The item's one-byte flag; the zeroed byte after it makes this little-endian read
    // give the flag itself.
    track.Compilation = static_cast<int16_t>(buffer[0] | (buffer[1] << 8));
  }
}

}  // namespace tarvello
