#pragma once

// Builds synthetic M4A files box by box, so each rule of the reader can be met with
// exactly the bytes it needs, including malformed sizes.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvello::testing {

inline std::string BigEndian32Bytes(uint32_t value) {
  return {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
          static_cast<char>(value >> 8), static_cast<char>(value)};
}

inline std::string BigEndian16Bytes(uint16_t value) {
  return {static_cast<char>(value >> 8), static_cast<char>(value)};
}

class Box {
 public:
  // `type` is taken as 4 raw bytes ("\xA9nam", "moov", ...).
  explicit Box(std::string_view type) : type_(type) { type_.resize(4, '\0'); }

  Box& Add(const Box& child) {
    content_ += child.Bytes();
    return *this;
  }
  Box& Raw(std::string_view bytes) {
    content_ += bytes;
    return *this;
  }
  Box& U32(uint32_t value) { return Raw(BigEndian32Bytes(value)); }
  Box& U16(uint16_t value) { return Raw(BigEndian16Bytes(value)); }
  Box& Zeros(size_t count) { return Raw(std::string(count, '\0')); }
  // Writes `size` into the header instead of the real size.
  Box& DeclareSize(uint32_t size) {
    declared_size_ = size;
    return *this;
  }

  size_t ByteCount() const { return 8 + content_.size(); }
  std::string Bytes() const {
    const auto size = declared_size_.value_or(static_cast<uint32_t>(ByteCount()));
    return BigEndian32Bytes(size) + type_ + content_;
  }

 private:
  std::string type_;
  std::string content_;
  std::optional<uint32_t> declared_size_;
};

inline Box Ftyp(std::string_view major = "M4A ",
                const std::vector<std::string>& compatible = {"M4A ", "mp42", "isom"}) {
  Box ftyp("ftyp");
  ftyp.Raw(major).U32(0);
  for (const std::string& brand : compatible) ftyp.Raw(brand);
  return ftyp;
}

// A version 1 movie header: 64-bit times and duration.
inline Box MvhdVersion1(uint32_t time_scale, uint64_t duration) {
  Box mvhd("mvhd");
  mvhd.U32(0x01000000).Zeros(16).U32(time_scale);
  mvhd.U32(static_cast<uint32_t>(duration >> 32)).U32(static_cast<uint32_t>(duration));
  return mvhd.U32(0x00010000).U16(0x0100).Zeros(10 + 36 + 24).U32(2);
}

// A version 0 movie header.
inline Box Mvhd(uint32_t time_scale, uint32_t duration) {
  Box mvhd("mvhd");
  mvhd.U32(0).U32(0).U32(0).U32(time_scale).U32(duration).U32(0x00010000).U16(0x0100);
  return mvhd.Zeros(10 + 36 + 24).U32(2);
}

struct AudioEntry {
  uint16_t channels = 2;
  uint16_t sample_size = 16;
  uint16_t sample_rate = 44100;
  uint32_t max_bit_rate = 160000;
  uint32_t avg_bit_rate = 128000;
  // The decoder-specific information's channel configuration; -1 takes `channels`.
  int channel_config = -1;
  // Bytes of each descriptor's length field: most encoders write 4, some 1.
  int length_bytes = 4;
  uint8_t object_type = 0x40;  // MPEG-4 audio
  std::string type = "mp4a";
};

// A descriptor whose length field takes `length_bytes` bytes.
inline std::string Descriptor(uint8_t tag, const std::string& body, int length_bytes = 4) {
  std::string bytes(1, static_cast<char>(tag));
  for (int shift = 7 * (length_bytes - 1); shift > 0; shift -= 7) {
    bytes += static_cast<char>(0x80 | ((body.size() >> shift) & 0x7F));
  }
  bytes += static_cast<char>(body.size() & 0x7F);
  return bytes + body;
}

// The AAC low-complexity audio specific configuration at 44.1 kHz.
inline std::string AudioSpecificConfig(int channel_config) {
  return {'\x12', static_cast<char>(channel_config << 3)};
}

// An "esds" box with the elementary-stream descriptors of `entry`.
inline Box Esds(const AudioEntry& entry) {
  const int channel_config = entry.channel_config >= 0 ? entry.channel_config : entry.channels;
  const std::string decoder_config =
      std::string{static_cast<char>(entry.object_type), '\x15', '\0', '\x03', '\0'} +
      BigEndian32Bytes(entry.max_bit_rate) + BigEndian32Bytes(entry.avg_bit_rate) +
      Descriptor(0x05, AudioSpecificConfig(channel_config), entry.length_bytes);
  const std::string es = BigEndian16Bytes(1) + std::string(1, '\0') +
                         Descriptor(0x04, decoder_config, entry.length_bytes) +
                         Descriptor(0x06, "\x02", entry.length_bytes);
  return Box("esds").U32(0).Raw(Descriptor(0x03, es, entry.length_bytes));
}

// The fixed fields of a version 0 sound sample entry, without children.
inline Box SoundEntry(const AudioEntry& entry) {
  Box sound(entry.type);
  sound.Zeros(6).U16(1).Zeros(8).U16(entry.channels).U16(entry.sample_size).U16(0).U16(0);
  return sound.U16(entry.sample_rate).U16(0);
}

// An AAC sample entry with its elementary-stream descriptors.
inline Box Mp4a(const AudioEntry& entry) {
  return SoundEntry(entry).Add(Esds(entry));
}

inline Box StsdOf(const Box& entry) {
  return Box("stsd").U32(0).U32(1).Add(entry);
}

inline Box Stsd(const AudioEntry& entry = {}) {
  return StsdOf(Mp4a(entry));
}

// A full box whose contents are zero apart from an entry count of 0.
inline Box EmptyTable(std::string_view type) {
  return Box(type).U32(0).U32(0);
}

// A track with the handler type `handler` ("soun" for sound, "text" for chapters).
inline Box Trak(const Box& stsd, std::string_view handler = "soun") {
  Box stbl("stbl");
  stbl.Add(stsd).Add(EmptyTable("stts")).Add(EmptyTable("stsc"));
  stbl.Add(Box("stsz").U32(0).U32(0).U32(0)).Add(EmptyTable("stco"));
  Box dinf("dinf");
  dinf.Add(Box("dref").U32(0).U32(1).Add(Box("url ").U32(1)));
  Box minf("minf");
  minf.Add(Box("smhd").U32(0).U32(0)).Add(dinf).Add(stbl);
  Box mdia("mdia");
  mdia.Add(Box("mdhd").U32(0).Zeros(8).U32(44100).U32(0).U32(0x55c40000));
  const std::string_view name = handler == "soun" ? "SoundHandler" : "Handler";
  mdia.Add(Box("hdlr").U32(0).U32(0).Raw(handler).Zeros(12).Raw(name).Zeros(1));
  mdia.Add(minf);
  Box trak("trak");
  return trak.Add(Box("tkhd").U32(7).Zeros(76)).Add(mdia);
}

// One data box with its type and locale words, then the payload.
inline Box Data(std::string_view payload, uint32_t data_type = 1) {
  return Box("data").U32(data_type).U32(0).Raw(payload);
}

// `tag` is the 4-byte item type, "\xA9nam" for a title.
inline Box TextItem(std::string_view tag, std::string_view text) {
  return Box(tag).Add(Data(text, 1));
}

inline Box NumberItem(std::string_view tag, std::string_view payload) {
  return Box(tag).Add(Data(payload, 0));
}

inline Box Ilst(const std::vector<Box>& items) {
  Box ilst("ilst");
  for (const Box& item : items) ilst.Add(item);
  return ilst;
}

// meta with its version field, handler and item list, the way music libraries write it.
inline Box Meta(const Box& ilst) {
  Box meta("meta");
  meta.U32(0).Add(Box("hdlr").U32(0).U32(0).Raw("mdirappl").Zeros(9)).Add(ilst);
  return meta;
}

inline Box Udta(const std::vector<Box>& items) {
  return Box("udta").Add(Meta(Ilst(items)));
}

inline Box Mdat(size_t bytes = 64) {
  return Box("mdat").Raw(std::string(bytes, '\x21'));
}

struct SongLayout {
  std::string major_brand = "M4A ";
  uint32_t time_scale = 44100;
  uint32_t duration = 44100 * 200;
  AudioEntry audio;
  std::vector<Box> items;
  bool movie_after_media = false;
  size_t media_bytes = 64;
};

inline Box Moov(const SongLayout& layout) {
  Box moov("moov");
  moov.Add(Mvhd(layout.time_scale, layout.duration)).Add(Trak(Stsd(layout.audio)));
  return moov.Add(Udta(layout.items));
}

// ftyp, moov, free, mdat (or ftyp, free, mdat, moov).
inline std::string BuildSong(const SongLayout& layout) {
  const std::string ftyp = Ftyp(layout.major_brand).Bytes();
  const std::string moov = Moov(layout).Bytes();
  const std::string free = Box("free").Bytes();
  const std::string mdat = Mdat(layout.media_bytes).Bytes();
  if (layout.movie_after_media) return ftyp + free + mdat + moov;
  return ftyp + moov + free + mdat;
}

}  // namespace tarvello::testing
