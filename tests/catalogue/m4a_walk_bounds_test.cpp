// No file, however crafted, may make the M4A walk loop, creep, go back more than the meta
// box's 4-byte step, read past its buffers or make an unbounded number of reads.

#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <string>

#include "catalogue/box_builder.h"
#include "catalogue/m4a_fields.h"
#include "catalogue/m4a_memory_files.h"
#include "catalogue/m4a_reader.h"
#include "catalogue/m4a_walk.h"

namespace tarvello {
namespace {

using testing::Box;
using testing::Ftyp;
using testing::Mdat;
using testing::TextItem;

constexpr char kPath[] = "/crafted.m4a";

class M4aWalkBoundsTest : public ::testing::Test {
 protected:
  M4aResult Read(const std::string& bytes) {
    files_.Add(kPath, bytes);
    const M4aResult result = ReadM4aTrack(files_, table_, staging_, kPath, kPath, 0);
    ExpectBounded();
    return result;
  }

  void ExpectBounded() {
    const testing::ReadStats& stats = files_.stats();
    EXPECT_LE(stats.reads, kMaxM4aReads);
    EXPECT_LE(stats.largest_read, kTextBufferSize);
    EXPECT_LE(stats.largest_step_back, 4);
    EXPECT_TRUE(stats.closed);
  }

  testing::MemoryFileSystem files_;
  TrackTable table_;
  TTrackInfo staging_{};
};

std::string Repeat(const Box& box, int times) {
  std::string bytes;
  const std::string one = box.Bytes();
  for (int i = 0; i < times; ++i) bytes += one;
  return bytes;
}

TEST_F(M4aWalkBoundsTest, ThousandsOfTinyBoxesDoNotMeanThousandsOfReads) {
  const std::string moov = Box("moov").Add(testing::Udta({TextItem("\xA9nam", "x")})).Bytes();
  // Before the movie box, inside it, and between it and the media data.
  EXPECT_EQ(Read(Ftyp().Bytes() + Repeat(Box("free"), 100000) + moov + Mdat().Bytes()),
            M4aResult::kRejected);
  Box crowded_moov("moov");
  // Loose boxes after an item are skipped one by one.
  Box ilst("ilst");
  ilst.Add(TextItem("\xA9nam", "x"));
  for (int i = 0; i < 5000; ++i) ilst.Add(Box("free"));
  crowded_moov.Add(Box("udta").Add(testing::Meta(ilst)));
  EXPECT_EQ(Read(Ftyp().Bytes() + crowded_moov.Bytes() + Mdat().Bytes()), M4aResult::kRejected);
  EXPECT_EQ(Read(Ftyp().Bytes() + moov + Repeat(Box("skip").Zeros(8), 50000) + Mdat().Bytes()),
            M4aResult::kRejected);
  EXPECT_EQ(table_.TrackCount(), 0);
}

TEST_F(M4aWalkBoundsTest, MetaStepsBackOnlyOncePerBox) {
  // After its step a meta box full of zeros would otherwise creep forward 4 bytes a read.
  Box meta("meta");
  meta.Zeros(40000);
  const std::string moov = Box("moov").Add(Box("udta").Add(meta)).Bytes();
  EXPECT_EQ(Read(Ftyp().Bytes() + moov + Mdat().Bytes()), M4aResult::kStored);
  EXPECT_LE(files_.stats().reads, 12);
}

TEST_F(M4aWalkBoundsTest, TinyMetaCannotPullTheWalkBack) {
  // A 16-byte meta: its step reads past its end, and finishing it must not go back there.
  for (uint32_t size : {16u, 17u, 19u, 20u}) {
    Box meta("meta");
    meta.Zeros(size - 8);
    const std::string moov = Box("moov").Add(Box("udta").Add(meta)).Bytes();
    Read(Ftyp().Bytes() + moov + Mdat().Bytes());
    EXPECT_EQ(files_.stats().backward_seeks, 1) << size;
  }
}

TEST_F(M4aWalkBoundsTest, NestedUserDataAndMetaStayBounded) {
  Box inner = Box("meta").Zeros(8);
  for (int depth = 0; depth < 2000; ++depth) {
    inner = Box("meta").U32(0).Add(Box("udta").Add(inner));
  }
  Read(Ftyp().Bytes() + Box("moov").Add(Box("udta").Add(inner)).Bytes() + Mdat().Bytes());
}

TEST_F(M4aWalkBoundsTest, SizesThatPointEverywhereStayBounded) {
  const std::string good = testing::BuildSong({});
  for (uint32_t size : {0u, 1u, 7u, 8u, 9u, 15u, 16u, 17u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu}) {
    // Every header position of the song in turn gets the odd size.
    for (size_t at = 0; at + 8 <= good.size(); ++at) {
      if (good.compare(at + 4, 4, "ftyp") != 0 && !std::isalpha(good[at + 4])) continue;
      std::string bytes = good;
      bytes.replace(at, 4, testing::BigEndian32Bytes(size));
      Read(bytes);
    }
  }
}

TEST_F(M4aWalkBoundsTest, RandomDamageStaysBounded) {
  std::mt19937 random(20260101);
  const std::string good = testing::BuildSong({{}, 600, 2999, {}, {TextItem("\xA9nam", "t")}});
  for (int round = 0; round < 3000; ++round) {
    std::string bytes = good;
    const int changes = 1 + static_cast<int>(random() % 6);
    for (int i = 0; i < changes; ++i) {
      bytes[random() % bytes.size()] = static_cast<char>(random());
    }
    if (round % 7 == 0) bytes.resize(random() % bytes.size());
    Read(bytes);
  }
}

}  // namespace
}  // namespace tarvello
