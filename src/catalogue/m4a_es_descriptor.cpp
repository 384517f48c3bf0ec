#include "catalogue/m4a_es_descriptor.h"

#include <algorithm>
#include <cstddef>

#include "common/byte_order.h"

namespace tarvello {
namespace {

constexpr uint8_t kEsDescriptorTag = 0x03;
constexpr uint8_t kDecoderConfigTag = 0x04;
constexpr uint8_t kDecoderSpecificInfoTag = 0x05;
// The box's version and flags come before the descriptors.
constexpr size_t kFullBoxFields = 4;
// Length fields take seven bits from each of at most four bytes.
constexpr int kMaxLengthBytes = 4;

// Reads forward through bytes that may end anywhere.
class Cursor {
 public:
  explicit Cursor(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  bool Skip(size_t count) {
    if (count > Left()) return false;
    at_ += count;
    return true;
  }
  bool Byte(uint8_t& value) {
    if (Left() < 1) return false;
    value = bytes_[at_++];
    return true;
  }
  bool Word(uint32_t& value) {
    if (Left() < 4) return false;
    value = BigEndian32(bytes_.data() + at_);
    at_ += 4;
    return true;
  }
  // Up to `count` bytes: a descriptor may claim more than there is.
  std::span<const uint8_t> Take(size_t count) {
    const std::span<const uint8_t> taken = bytes_.subspan(at_, std::min(count, Left()));
    at_ += taken.size();
    return taken;
  }

 private:
  size_t Left() const { return bytes_.size() - at_; }

  std::span<const uint8_t> bytes_;
  size_t at_ = 0;
};

struct Descriptor {
  uint8_t tag = 0;
  std::span<const uint8_t> body;
};

bool NextDescriptor(Cursor& in, Descriptor& descriptor) {
  if (!in.Byte(descriptor.tag)) return false;
  uint32_t length = 0;
  for (int i = 0; i < kMaxLengthBytes; ++i) {
    uint8_t byte = 0;
    if (!in.Byte(byte)) return false;
    length = (length << 7) | (byte & 0x7F);
    if ((byte & 0x80) == 0) break;
  }
  descriptor.body = in.Take(length);
  return true;
}

std::optional<std::span<const uint8_t>> FindDescriptor(Cursor& in, uint8_t tag) {
  Descriptor descriptor;
  while (NextDescriptor(in, descriptor)) {
    if (descriptor.tag == tag) return descriptor.body;
  }
  return std::nullopt;
}

// The elementary-stream descriptor's own fields come before its sub-descriptors.
bool SkipEsFields(Cursor& in) {
  uint8_t flags = 0;
  if (!in.Skip(2) || !in.Byte(flags)) return false;      // stream id, flags
  if ((flags & 0x80) != 0 && !in.Skip(2)) return false;  // depends on a stream
  if ((flags & 0x40) != 0) {                             // a URL with its length
    uint8_t url_length = 0;
    if (!in.Byte(url_length) || !in.Skip(url_length)) return false;
  }
  return (flags & 0x20) == 0 || in.Skip(2);  // clock reference stream
}

bool IsAacObjectType(uint8_t object_type) {
  // MPEG-4 audio, and MPEG-2 AAC main, low complexity and scalable sampling rate.
  return object_type == 0x40 || (object_type >= 0x66 && object_type <= 0x68);
}

class BitReader {
 public:
  explicit BitReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  bool Bits(int count, uint32_t& value) {
    if (bit_ + static_cast<size_t>(count) > bytes_.size() * 8) return false;
    value = 0;
    for (int i = 0; i < count; ++i, ++bit_) {
      value = (value << 1) | ((bytes_[bit_ / 8] >> (7 - bit_ % 8)) & 1);
    }
    return true;
  }

 private:
  std::span<const uint8_t> bytes_;
  size_t bit_ = 0;
};

// The channel count of the audio specific configuration's channel configuration 1 to 7
// (7 is 7.1, eight channels); 0 for the others, whose layout lies elsewhere.
int ChannelsOfAudioConfig(std::span<const uint8_t> config) {
  BitReader bits(config);
  uint32_t object_type = 0;
  uint32_t frequency_index = 0;
  uint32_t channel_config = 0;
  if (!bits.Bits(5, object_type)) return 0;
  if (object_type == 31 && !bits.Bits(6, object_type)) return 0;  // escaped object type
  if (!bits.Bits(4, frequency_index)) return 0;
  if (frequency_index == 15 && !bits.Bits(24, frequency_index)) return 0;  // explicit rate
  if (!bits.Bits(4, channel_config)) return 0;
  if (channel_config >= 1 && channel_config <= 6) return static_cast<int>(channel_config);
  return channel_config == 7 ? 8 : 0;
}

}  // namespace

std::optional<AacDecoderConfig> FindAacDecoderConfig(std::span<const uint8_t> esds) {
  Cursor box(esds);
  if (!box.Skip(kFullBoxFields)) return std::nullopt;
  const auto es = FindDescriptor(box, kEsDescriptorTag);
  if (!es) return std::nullopt;
  Cursor es_fields(*es);
  if (!SkipEsFields(es_fields)) return std::nullopt;
  const auto decoder = FindDescriptor(es_fields, kDecoderConfigTag);
  if (!decoder) return std::nullopt;

  Cursor fields(*decoder);
  uint8_t object_type = 0;
  AacDecoderConfig config;
  // Object type, stream type, buffer size, maximum and average bit rate.
  if (!fields.Byte(object_type) || !fields.Skip(1 + 3) || !fields.Word(config.max_bit_rate) ||
      !fields.Word(config.avg_bit_rate)) {
    return std::nullopt;
  }
  if (!IsAacObjectType(object_type)) return std::nullopt;
  if (const auto specific = FindDescriptor(fields, kDecoderSpecificInfoTag)) {
    config.channels = ChannelsOfAudioConfig(*specific);
  }
  return config;
}

}  // namespace tarvello
