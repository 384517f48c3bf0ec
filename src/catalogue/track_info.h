#pragma once

// One song as a fixed-size plain record. An all-zero record is a valid empty song.
// Texts are CP932 bytes, zero-terminated, cut by bytes to their width minus one;
// FileName holds the native path.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <type_traits>

#include "common/cp932.h"

namespace tarvello {

struct TTrackInfo {
  uint8_t Deleted;
  int32_t TrackID;
  char Title[65];
  int32_t Time;
  char Artist[65];
  char Album[65];
  char Genre[65];
  char Year[5];
  char Writer[65];
  char Group[65];
  char Comment[129];
  char Tool[65];
  int16_t TrackNo;
  int16_t TrackTotal;
  int16_t DiskNo;
  int16_t DiskTotal;
  int16_t Tempo;
  int16_t GenreNo;
  int16_t Compilation;
  int16_t ChNum;
  int16_t SampleSize;
  int32_t SampleRate;
  int32_t BitRate;
  int32_t AvgBitRate;
  int64_t FileSize;
  char FileName[4097];
};

static_assert(std::is_trivially_copyable_v<TTrackInfo>);

// Stores bytes into a fixed field as they are, cut to the field's width minus one bytes:
// paths, and texts kept unconverted.
template <size_t N>
void StoreBytes(char (&field)[N], std::string_view bytes) {
  const size_t length = bytes.size() < N - 1 ? bytes.size() : N - 1;
  std::memcpy(field, bytes.data(), length);
  std::memset(field + length, 0, N - length);
}

// Stores a CP932 text into a fixed field, cut to the field's width minus one bytes; a
// double-byte character that does not fit whole is left out, so no lone lead byte ends
// the field (it would swallow the next byte wherever the text is shown or written).
template <size_t N>
void StoreText(char (&field)[N], std::string_view text) {
  StoreBytes(field, text.substr(0, Cp932CutLength(text, N - 1)));
}

// The text of a fixed field, up to its first zero byte.
template <size_t N>
std::string_view FieldText(const char (&field)[N]) {
  return std::string_view(field, strnlen(field, N));
}

}  // namespace tarvello
