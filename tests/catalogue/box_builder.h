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
};

// Descriptor with the four-byte length field most encoders write.
inline std::string Descriptor(uint8_t tag, const std::string& body) {
  return std::string{static_cast<char>(tag), '\x80', '\x80', '\x80',
                     static_cast<char>(body.size())} +
         body;
}

// An AAC sample entry with its elementary-stream descriptors.
inline Box Mp4a(const AudioEntry& entry) {
  const std::string decoder_config =
      std::string{'\x40', '\x15', '\0', '\x03', '\0'} + BigEndian32Bytes(entry.max_bit_rate) +
      BigEndian32Bytes(entry.avg_bit_rate) + Descriptor(0x05, "\x12\x10");
  const std::string es = BigEndian16Bytes(1) + std::string(1, '\0') +
                         Descriptor(0x04, decoder_config) + Descriptor(0x06, "\x02");
  Box esds("esds");
  esds.U32(0).Raw(Descriptor(0x03, es));
  Box mp4a("mp4a");
  mp4a.Zeros(6).U16(1).Zeros(8).U16(entry.channels).U16(entry.sample_size).U16(0).U16(0);
  return mp4a.U16(entry.sample_rate).U16(0).Add(esds);
}

inline Box Stsd(const AudioEntry& entry = {}) {
  Box stsd("stsd");
  return stsd.U32(0).U32(1).Add(Mp4a(entry));
}

// A full box whose contents are zero apart from an entry count of 0.
inline Box EmptyTable(std::string_view type) {
  return Box(type).U32(0).U32(0);
}

inline Box Trak(const Box& stsd) {
  Box stbl("stbl");
  stbl.Add(stsd).Add(EmptyTable("stts")).Add(EmptyTable("stsc"));
  stbl.Add(Box("stsz").U32(0).U32(0).U32(0)).Add(EmptyTable("stco"));
  Box dinf("dinf");
  dinf.Add(Box("dref").U32(0).U32(1).Add(Box("url ").U32(1)));
  Box minf("minf");
  minf.Add(Box("smhd").U32(0).U32(0)).Add(dinf).Add(stbl);
  Box mdia("mdia");
  mdia.Add(Box("mdhd").U32(0).Zeros(8).U32(44100).U32(0).U32(0x55c40000));
  mdia.Add(Box("hdlr").U32(0).U32(0).Raw("soun").Zeros(12).Raw("SoundHandler").Zeros(1));
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
