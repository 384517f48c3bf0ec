// The tempo item found in MPEG-4 files of any brand and box order, and files whose boxes
// lie about their sizes: cut short at every byte, the search neither crashes nor reads
// past the end, and finds the tempo only where the item is whole.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "common/memory_byte_file.h"
#include "convert/mp4_tempo.h"

namespace tarvello {
namespace {

std::string Be32(uint32_t value) {
  return {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
          static_cast<char>(value >> 8), static_cast<char>(value)};
}

std::string Box(const std::string& type, const std::string& body) {
  return Be32(static_cast<uint32_t>(8 + body.size())) + type + body;
}

// A box with the 64-bit size form.
std::string LargeBox(const std::string& type, const std::string& body) {
  return Be32(1) + type + Be32(0) + Be32(static_cast<uint32_t>(16 + body.size())) + body;
}

// moov/udta/meta/ilst with a tempo item of `value` bytes (a data box's type and locale
// words come first), and a title item before it.
std::string Movie(const std::string& value) {
  const std::string title = Box("\xA9nam", Box("data", Be32(1) + Be32(0) + "Song"));
  const std::string tempo = Box("tmpo", Box("data", Be32(0x15) + Be32(0) + value));
  const std::string handler = Box("hdlr", std::string(25, '\0'));
  const std::string meta = Box("meta", Be32(0) + handler + Box("ilst", title + tempo));
  return Box("moov", Box("mvhd", std::string(100, '\0')) + Box("udta", meta));
}

int TempoOf(const std::string& bytes) {
  MemoryByteFile file(bytes);
  return ReadMp4Tempo(file);
}

const std::string kBrand = Box("ftyp", "mp42" + Be32(0) + "mp42isom");
const std::string kTempo120 = std::string("\0\x78", 2);

TEST(Mp4TempoTest, FoundWhateverTheBrandAndOrderOfTheBoxes) {
  const std::string media = Box("mdat", std::string(300, 'a'));
  EXPECT_EQ(TempoOf(kBrand + Movie(kTempo120) + media), 120);
  EXPECT_EQ(TempoOf(kBrand + media + Movie(kTempo120)), 120);
  EXPECT_EQ(TempoOf(kBrand + LargeBox("mdat", std::string(300, 'a')) + Movie(kTempo120)), 120);
  EXPECT_EQ(TempoOf(kBrand + Box("free", "") + Movie(std::string("\x01\x2C", 2))), 300);
  // Older writers kept the tempo in one byte.
  EXPECT_EQ(TempoOf(kBrand + Movie("\x5A")), 90);
}

TEST(Mp4TempoTest, NoTempoWhereTheItemIsMissingOrOutOfReach) {
  EXPECT_EQ(TempoOf(kBrand + Movie("")), 0);
  EXPECT_EQ(TempoOf(""), 0);
  EXPECT_EQ(TempoOf("ID3\x03 not an mp4 file at all"), 0);
  // Media data that runs to the end of the file (size 0) hides what follows it.
  EXPECT_EQ(TempoOf(kBrand + Be32(0) + "mdat" + std::string(50, 'a') + Movie(kTempo120)), 0);
  // A tempo the record cannot keep.
  EXPECT_EQ(TempoOf(kBrand + Movie(std::string("\xFF\xFF", 2))), 0);
}

TEST(Mp4TempoTest, CutShortOrLyingSizesNeverReadPastTheEnd) {
  const std::string whole = kBrand + Box("mdat", std::string(40, 'a')) + Movie(kTempo120);
  for (size_t length = 0; length <= whole.size(); ++length) {
    const int tempo = TempoOf(whole.substr(0, length));
    EXPECT_EQ(tempo, length == whole.size() ? 120 : 0) << length;
  }
  // Every size word in the file turned into a lie, one at a time (the tempo's own two
  // bytes at the end stay).
  for (size_t at = 0; at + 4 <= whole.size() - 2; ++at) {
    for (const uint32_t size : {0u, 1u, 7u, 0xFFFFFFFFu}) {
      std::string bytes = whole;
      bytes.replace(at, 4, Be32(size));
      const int tempo = TempoOf(bytes);
      EXPECT_TRUE(tempo == 0 || tempo == 120) << at << " " << size;
    }
  }
}

}  // namespace
}  // namespace tarvello
