#pragma once

// Box headers of the MPEG-4 file format as the M4A walk sees them.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "common/byte_order.h"

namespace tarvello {

inline constexpr size_t kBoxHeaderSize = 8;
// The smallest box the walk descends into: a header and one more header's worth of bytes.
inline constexpr uint32_t kMinContainerSize = 16;

// An 8-byte header: a 32-bit size that counts the header, then a 4-byte type. All zero
// bytes mean "no box" in the walk's registers.
struct BoxHeader {
  std::array<uint8_t, kBoxHeaderSize> bytes{};

  uint32_t Size() const { return BigEndian32(bytes.data()); }

  // The type's bytes up to the first zero byte: types compare as exact byte strings.
  std::string_view Type() const {
    size_t length = 0;
    while (length < 4 && bytes[4 + length] != 0) ++length;
    return std::string_view(reinterpret_cast<const char*>(bytes.data()) + 4, length);
  }

  bool TypeIs(std::string_view type) const { return Type() == type; }

  // What the walk descends into: big enough to hold a child header, with a type that
  // starts with a non-zero byte.
  bool LooksLikeContainer() const { return Size() >= kMinContainerSize && bytes[4] != 0; }

  bool IsEmpty() const {
    for (uint8_t byte : bytes) {
      if (byte != 0) return false;
    }
    return true;
  }

  void Clear() { bytes.fill(0); }
};

}  // namespace tarvello
