// Why the M4A reader refuses a file: each refusal has its reason, and the reasons leave
// what is accepted as it was.

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

#include "catalogue/box_builder.h"
#include "catalogue/m4a_memory_files.h"
#include "catalogue/m4a_reader.h"
#include "platform/posix/posix_file_system.h"

namespace tarvello {
namespace {

using testing::Box;
using testing::BuildSong;
using testing::Ftyp;
using testing::Mdat;
using testing::SongLayout;

constexpr char kPath[] = "/music/refused.m4a";

// The reason given for `bytes`, checked against the table-filling read.
std::string ReasonFor(const std::string& bytes) {
  testing::MemoryFileSystem files;
  files.Add(kPath, bytes);
  TTrackInfo staging{};
  const M4aVerdict verdict = ReadM4aRecord(files, staging, kPath, kPath);
  TrackTable table;
  const bool stored = ReadM4aTrack(files, table, staging, kPath, kPath, 0) == M4aResult::kStored;
  EXPECT_EQ(verdict.Accepted(), stored);
  EXPECT_EQ(RefusalText(verdict).empty(), verdict.Accepted());
  EXPECT_EQ(JapaneseRefusalText(verdict).empty(), verdict.Accepted());
  return RefusalText(verdict);
}

TEST(M4aRefusalTest, EveryRefusalHasAJapaneseReasonOfItsOwn) {
  std::set<std::string> reasons;
  for (int kind = static_cast<int>(M4aRefusal::kCutShort);
       kind <= static_cast<int>(M4aRefusal::kOutOfMemory); ++kind) {
    const std::string reason = JapaneseRefusalText({static_cast<M4aRefusal>(kind), {}});
    EXPECT_FALSE(reason.empty()) << kind;
    EXPECT_TRUE(reasons.insert(reason).second) << reason;
  }
  EXPECT_EQ(JapaneseRefusalText({M4aRefusal::kNone, {}}), "");
  EXPECT_EQ(JapaneseRefusalText({M4aRefusal::kMajorBrand, {'m', 'p', '4', '2'}}),
            "形式: メジャーブランドが mp42 です");
  EXPECT_EQ(JapaneseRefusalText({M4aRefusal::kMovieAfterMediaData, {}}),
            "ムービーボックスがメディアデータの後ろにあります");
}

std::string Head() {
  return Ftyp().Bytes() + Moov(SongLayout{}).Bytes();
}

TEST(M4aRefusalTest, BrandAndFileTypeBox) {
  for (const auto& [brand, reason] :
       {std::pair<std::string, std::string>{"mp42", "major brand is mp42"},
        {"isom", "major brand is isom"},
        {std::string("M4A\0", 4), "major brand is 0x4D344100"}}) {
    SongLayout song;
    song.major_brand = brand;
    EXPECT_EQ(ReasonFor(BuildSong(song)), reason);
  }
  EXPECT_EQ(ReasonFor(""), "no file type box at the start");
  EXPECT_EQ(ReasonFor("<?xml version=\"1.0\"?><plist/>"), "no file type box at the start");
  EXPECT_EQ(ReasonFor(Box("ftyp").Raw("M4A").Bytes() + Head()),
            "file type box too small for a brand");
}

TEST(M4aRefusalTest, MovieBoxAndMediaData) {
  SongLayout movie_last;
  movie_last.movie_after_media = true;
  EXPECT_EQ(ReasonFor(BuildSong(movie_last)), "movie box after the media data");
  EXPECT_EQ(ReasonFor(Head()), "no media data after the movie box");
  EXPECT_EQ(ReasonFor(Head() + Box("free").Zeros(16).Bytes()), "no media data after the movie box");
  EXPECT_EQ(ReasonFor(Head() + Box("mdat").Bytes()), "media data box empty at the end of the file");
  EXPECT_EQ(ReasonFor(Ftyp().Bytes()), "no movie box");
  EXPECT_EQ(ReasonFor(Ftyp().Bytes() + Box("free").Zeros(40).Bytes()), "no movie box");
  EXPECT_EQ(ReasonFor(Ftyp().Bytes() + Box("moov").DeclareSize(8).Zeros(32).Bytes()),
            "movie box too small");
}

TEST(M4aRefusalTest, CutShortAndMalformedBoxes) {
  const std::string whole = BuildSong({});
  EXPECT_EQ(ReasonFor(whole), "");
  EXPECT_EQ(ReasonFor(whole.substr(0, whole.size() - 1)), "cut short");
  EXPECT_EQ(ReasonFor(whole.substr(0, whole.size() - 60)), "cut short");
  EXPECT_EQ(ReasonFor(Ftyp().Bytes() + "moo"), "cut short");
  EXPECT_EQ(ReasonFor(Ftyp().Bytes() + Box("free").DeclareSize(3).Bytes() + Head()),
            "box smaller than its header");
  std::string tiny_boxes;
  for (int i = 0; i < 100000; ++i) tiny_boxes += Box("free").Bytes();
  EXPECT_EQ(ReasonFor(Ftyp().Bytes() + tiny_boxes + Head() + Mdat().Bytes()), "too many boxes");
}

TEST(M4aRefusalTest, RealFilesSayWhyTheyAreRefused) {
  PosixFileSystem files;
  TTrackInfo staging{};
  const auto reason = [&](const std::string& name) {
    const std::string path = std::string(TARVELLO_TEST_DATA) + "/m4a/" + name;
    return RefusalText(ReadM4aRecord(files, staging, path, path));
  };
  // What ffmpeg writes without +faststart.
  EXPECT_EQ(reason("movie_after_media.m4a"), "movie box after the media data");
  EXPECT_EQ(reason("cut_short.m4a"), "cut short");
  EXPECT_EQ(reason("isom_brand.m4a"), "major brand is isom");
  EXPECT_EQ(reason("faststart.m4a"), "");
}

}  // namespace
}  // namespace tarvello
