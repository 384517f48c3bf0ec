#pragma once

// One song as a fixed-size plain record. An all-zero record is a valid empty song.
// Texts are CP932 bytes, zero-terminated, cut by bytes to their width minus one;
// FileName holds the native path.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <type_traits>

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

// Stores `text` into a fixed field, cut to the field's width minus one bytes.
template <size_t N>
void StoreText(char (&field)[N], std::string_view text) {
  const size_t length = text.size() < N - 1 ? text.size() : N - 1;
  std::memcpy(field, text.data(), length);
  std::memset(field + length, 0, N - length);
}

// The text of a fixed field, up to its first zero byte.
template <size_t N>
std::string_view FieldText(const char (&field)[N]) {
  return std::string_view(field, strnlen(field, N));
}

}  // namespace tarvello
