// The M4A reader against small real files made by ffmpeg and AtomicParsley
// (scripts/make-fixtures.sh), read from disk through the POSIX file layer.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "catalogue/m4a_fields.h"
#include "catalogue/m4a_memory_files.h"
#include "catalogue/m4a_reader.h"
#include "platform/posix/posix_byte_file.h"
#include "platform/posix/posix_file_system.h"

namespace tarvello {
namespace {

std::string FixturePath(const std::string& name) {
  return std::string(TARVELLO_TEST_DATA) + "/m4a/" + name;
}

std::string FixtureBytes(const std::string& name) {
  std::ifstream in(FixturePath(name), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Text(std::string_view field) {
  return std::string(field);
}

class M4aFixtureTest : public ::testing::Test {
 protected:
  M4aResult Read(const std::string& name) {
    const std::string path = FixturePath(name);
    return ReadM4aTrack(files_, table_, staging_, path, path, table_.TrackCount());
  }

  const TTrackInfo& ReadAccepted(const std::string& name) {
    EXPECT_EQ(Read(name), M4aResult::kStored) << name;
    static const TTrackInfo kEmpty{};
    return table_.TrackCount() > 0 ? table_[table_.TrackCount() - 1] : kEmpty;
  }

  PosixFileSystem files_;
  TrackTable table_;
  TTrackInfo staging_{};
};

TEST_F(M4aFixtureTest, TaggedByAtomicParsley) {
  const TTrackInfo& track = ReadAccepted("tagged.m4a");
  EXPECT_EQ(Text(FieldText(track.Title)), "Sine in A");
  EXPECT_EQ(Text(FieldText(track.Artist)), "The Oscillators");
  EXPECT_EQ(Text(FieldText(track.Album)), "Test Tones");
  EXPECT_EQ(Text(FieldText(track.Genre)), "");  // a standard genre is written as a number
  EXPECT_EQ(track.GenreNo, 18);                 // Rock
  EXPECT_EQ(Text(FieldText(track.Year)), "2004");
  EXPECT_EQ(Text(FieldText(track.Writer)), "J. Fourier");
  EXPECT_EQ(Text(FieldText(track.Group)), "Calibration");
  EXPECT_EQ(Text(FieldText(track.Comment)), "A pure tone for tests");
  EXPECT_EQ(Text(FieldText(track.Tool)), "Lavf59.27.100");
  EXPECT_EQ(track.TrackNo, 3);
  EXPECT_EQ(track.TrackTotal, 12);
  EXPECT_EQ(track.DiskNo, 1);
  EXPECT_EQ(track.DiskTotal, 2);
  EXPECT_EQ(track.Tempo, 120);
  EXPECT_EQ(track.Compilation, 1);
  EXPECT_EQ(track.Time, 3);
  // The sample entry says 2, as ffmpeg and iTunes write it for mono AAC; the decoder
  // configuration says 1.
  EXPECT_EQ(track.ChNum, 1);
  EXPECT_EQ(track.SampleSize, 16);
  EXPECT_EQ(track.SampleRate, 22050);
  EXPECT_EQ(track.BitRate, 24445);
  EXPECT_EQ(track.AvgBitRate, 24445);
  EXPECT_EQ(track.FileSize, 12823);
  EXPECT_EQ(Text(FieldText(track.FileName)), FixturePath("tagged.m4a"));
}

TEST_F(M4aFixtureTest, JapaneseTextsBecomeCp932) {
  const TTrackInfo& track = ReadAccepted("japanese.m4a");
  EXPECT_EQ(Text(FieldText(track.Title)), "\x8F\x74\x82\xCC\x8A\x43");           // 春の海
  EXPECT_EQ(Text(FieldText(track.Artist)), "\x8B\x7B\x8F\xE9\x93\xB9\x97\x59");  // 宮城道雄
  EXPECT_EQ(Text(FieldText(track.Album)), "\x93\xFA\x96\x7B\x82\xCC\x89\xB9");   // 日本の音
  EXPECT_EQ(Text(FieldText(track.Genre)), "\x96\x4D\x8A\x79");                   // 邦楽
  EXPECT_EQ(track.GenreNo, 0);
  // お正月によく流れる箏と尺八の二重奏です。
  EXPECT_EQ(Text(FieldText(track.Comment)),
            "\x82\xA8\x90\xB3\x8C\x8E\x82\xC9\x82\xE6\x82\xAD\x97\xAC\x82\xEA\x82\xE9\xE2\xB5\x82"
            "\xC6\x8E\xDA\x94\xAA\x82\xCC\x93\xF1\x8F\x64\x91\x74\x82\xC5\x82\xB7\x81\x42");
  EXPECT_EQ(track.Time, 1);
  EXPECT_EQ(track.BitRate, 25098);
}

TEST_F(M4aFixtureTest, FaststartFileFromFfmpegIsAccepted) {
  // The file holds a version 1 "sgpd" box whose first bytes read as a 16 MiB box.
  const std::string bytes = FixtureBytes("faststart.m4a");
  ASSERT_NE(bytes.find(std::string("sgpd\x01\0\0\0", 8)), std::string::npos);

  const TTrackInfo& track = ReadAccepted("faststart.m4a");
  EXPECT_EQ(Text(FieldText(track.Title)), "Faststart Tone");
  EXPECT_EQ(Text(FieldText(track.Artist)), "Tarvello Tests");
  EXPECT_EQ(Text(FieldText(track.Album)), "Fixtures");
  EXPECT_EQ(Text(FieldText(track.Genre)), "Electronic");
  EXPECT_EQ(Text(FieldText(track.Year)), "2021");
  EXPECT_EQ(Text(FieldText(track.Comment)), "made by ffmpeg");
  EXPECT_EQ(Text(FieldText(track.Tool)), "Lavf59.27.100");
  EXPECT_EQ(track.TrackNo, 5);
  EXPECT_EQ(track.TrackTotal, 9);
  EXPECT_EQ(track.Time, 2);
  EXPECT_EQ(track.SampleRate, 22050);
  EXPECT_EQ(track.ChNum, 1);
  EXPECT_EQ(track.BitRate, 24905);
  EXPECT_EQ(track.FileSize, static_cast<int64_t>(bytes.size()));
}

TEST_F(M4aFixtureTest, RefusedFiles) {
  // ffmpeg's own layout (movie box last), the faststart file cut in its media data, and
  // an MP4 whose major brand is isom.
  for (const char* name : {"movie_after_media.m4a", "cut_short.m4a", "isom_brand.m4a"}) {
    EXPECT_EQ(Read(name), M4aResult::kRejected) << name;
  }
  EXPECT_EQ(table_.TrackCount(), 0);
}

TEST_F(M4aFixtureTest, RealFilesCostFewSmallReads) {
  for (const char* name : {"tagged.m4a", "japanese.m4a", "faststart.m4a"}) {
    testing::MemoryFileSystem memory;
    memory.Add(name, FixtureBytes(name));
    ASSERT_EQ(ReadM4aTrack(memory, table_, staging_, name, name, 0), M4aResult::kStored) << name;
    EXPECT_LE(memory.stats().reads, 128) << name;
    EXPECT_LE(memory.stats().largest_read, kTextBufferSize) << name;
  }
  // Through the read-ahead window the boxes before the media data are one small system
  // read, not the whole file.
  const uint64_t reads_before = files_.SystemReadCount();
  const uint64_t bytes_before = files_.SystemReadBytes();
  ReadAccepted("tagged.m4a");
  EXPECT_EQ(files_.SystemReadCount() - reads_before, 1u);
  EXPECT_LE(files_.SystemReadBytes() - bytes_before, PosixByteFile::kFirstWindowSize);
}

}  // namespace
}  // namespace tarvello
