#pragma once

// Big-endian (network order) numbers, as the M4A format and the management files store
// them, read and written with explicit shifts whatever the host's order.

#include <cstdint>

namespace tarvello {

inline uint16_t BigEndian16(const uint8_t* bytes) {
  return static_cast<uint16_t>((bytes[0] << 8) | bytes[1]);
}

inline uint32_t BigEndian32(const uint8_t* bytes) {
  return (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) | (uint32_t{bytes[2]} << 8) |
         uint32_t{bytes[3]};
}

inline uint64_t BigEndian64(const uint8_t* bytes) {
  return (uint64_t{BigEndian32(bytes)} << 32) | BigEndian32(bytes + 4);
}

// Two's-complement readings of the same bytes, for the fields stored as signed numbers.
inline int16_t SignedBigEndian16(const uint8_t* bytes) {
  return static_cast<int16_t>(BigEndian16(bytes));
}

inline int32_t SignedBigEndian32(const uint8_t* bytes) {
  return static_cast<int32_t>(BigEndian32(bytes));
}

inline void PutBigEndian16(char* out, uint16_t value) {
  out[0] = static_cast<char>(value >> 8);
  out[1] = static_cast<char>(value);
}

inline void PutBigEndian32(char* out, uint32_t value) {
  out[0] = static_cast<char>(value >> 24);
  out[1] = static_cast<char>(value >> 16);
  out[2] = static_cast<char>(value >> 8);
  out[3] = static_cast<char>(value);
}

}  // namespace tarvello
