// The M4A reader against synthetic files: which files it accepts, what it stores, and
// how little it reads.

#include "catalogue/m4a_reader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "catalogue/box_builder.h"
#include "catalogue/m4a_fields.h"
#include "catalogue/m4a_memory_files.h"
#include "catalogue/m4a_walk.h"

namespace tarvello {
namespace {

using testing::Box;
using testing::BuildSong;
using testing::Data;
using testing::Ftyp;
using testing::Mdat;
using testing::NumberItem;
using testing::SongLayout;
using testing::TextItem;

constexpr char kPath[] = "/music/song.m4a";

class M4aReaderTest : public ::testing::Test {
 protected:
  M4aResult Read(const std::string& bytes, int32_t index = 0) {
    files_.Add(kPath, bytes);
    return ReadM4aTrack(files_, table_, staging_, kPath, kPath, index);
  }

  // Reads a file that must be accepted and returns its stored record.
  const TTrackInfo& ReadAccepted(const std::string& bytes) {
    const int32_t index = table_.TrackCount();
    EXPECT_EQ(Read(bytes, index), M4aResult::kStored);
    if (table_.TrackCount() <= index) {
      static const TTrackInfo kEmpty{};
      ADD_FAILURE() << "nothing stored";
      return kEmpty;
    }
    return table_[index];
  }

  const TTrackInfo& ReadItems(const std::vector<Box>& items) {
    SongLayout layout;
    layout.items = items;
    return ReadAccepted(BuildSong(layout));
  }

  testing::MemoryFileSystem files_;
  TrackTable table_;
  TTrackInfo staging_{};
};

std::string Text(std::string_view field) {
  return std::string(field);
}

TEST_F(M4aReaderTest, StoresEveryFieldOfATypicalSong) {
  SongLayout layout;
  layout.time_scale = 44100;
  layout.duration = 44100 * 215 + 100;
  layout.audio = {2, 16, 44100, 160000, 128000};
  layout.items = {
      TextItem("\xA9nam", "Title"),
      TextItem("\xA9"
               "ART",
               "Artist"),
      TextItem("\xA9"
               "alb",
               "Album"),
      TextItem("\xA9gen", "Genre"),
      TextItem("\xA9"
               "day",
               "1999"),
      TextItem("\xA9wrt", "Writer"),
      TextItem("\xA9grp", "Group"),
      TextItem("\xA9"
               "cmt",
               "Comment"),
      TextItem("\xA9too", "iTunes 4.2"),
      NumberItem("trkn", {"\0\0\0\3\0\x0C\0\0", 8}),
      NumberItem("disk", {"\0\0\0\1\0\2", 6}),
      NumberItem("tmpo", {"\0\x78", 2}),
      NumberItem("gnre", {"\0\x12", 2}),
      NumberItem("cpil", {"\1", 1}),
  };
  const std::string bytes = BuildSong(layout);
  const TTrackInfo& track = ReadAccepted(bytes);

  EXPECT_EQ(track.Deleted, 0);
  EXPECT_EQ(track.TrackID, 0);
  EXPECT_EQ(Text(FieldText(track.Title)), "Title");
  EXPECT_EQ(track.Time, 215);
  EXPECT_EQ(Text(FieldText(track.Artist)), "Artist");
  EXPECT_EQ(Text(FieldText(track.Album)), "Album");
  EXPECT_EQ(Text(FieldText(track.Genre)), "Genre");
  EXPECT_EQ(Text(FieldText(track.Year)), "1999");
  EXPECT_EQ(Text(FieldText(track.Writer)), "Writer");
  EXPECT_EQ(Text(FieldText(track.Group)), "Group");
  EXPECT_EQ(Text(FieldText(track.Comment)), "Comment");
  EXPECT_EQ(Text(FieldText(track.Tool)), "iTunes 4.2");
  EXPECT_EQ(track.TrackNo, 3);
  EXPECT_EQ(track.TrackTotal, 12);
  EXPECT_EQ(track.DiskNo, 1);
  EXPECT_EQ(track.DiskTotal, 2);
  EXPECT_EQ(track.Tempo, 120);
  EXPECT_EQ(track.GenreNo, 18);
  EXPECT_EQ(track.Compilation, 1);
  EXPECT_EQ(track.ChNum, 2);
  EXPECT_EQ(track.SampleSize, 16);
  EXPECT_EQ(track.SampleRate, 44100);
  EXPECT_EQ(track.BitRate, 160000);
  EXPECT_EQ(track.AvgBitRate, 128000);
  EXPECT_EQ(track.FileSize, static_cast<int64_t>(bytes.size()));
  EXPECT_EQ(Text(FieldText(track.FileName)), kPath);
  EXPECT_EQ(table_.TrackCount(), 1);
  EXPECT_TRUE(files_.stats().closed);
  // Fourteen items and a full track cost a bounded handful of small reads.
  EXPECT_LE(files_.stats().reads, 100);
  EXPECT_LE(files_.stats().largest_read, kTextBufferSize);
}

TEST_F(M4aReaderTest, RecordsThePathToRecordWhole) {
  const std::string path = "/" + std::string(4095, 'd');
  files_.Add("/tmp/~VARKELIN00000.TMP", BuildSong({}));
  ASSERT_EQ(ReadM4aTrack(files_, table_, staging_, "/tmp/~VARKELIN00000.TMP", path, 0),
            M4aResult::kStored);
  EXPECT_EQ(Text(FieldText(table_[0].FileName)), path);
  // A native path is bytes, not CP932: the last byte of "あ" (E3 81 82) would read as a
  // lone lead byte there, and still stays.
  const std::string ending_in_a = "/songs/\xE3\x81\x82";
  files_.Add(ending_in_a, BuildSong({}));
  ASSERT_TRUE(ReadM4aRecord(files_, staging_, ending_in_a, ending_in_a).Accepted());
  EXPECT_EQ(Text(FieldText(staging_.FileName)), ending_in_a);
}

TEST_F(M4aReaderTest, FileSizeIsTheFull64BitLength) {
  SongLayout layout;
  std::string head = Ftyp().Bytes() + Moov(layout).Bytes();
  head += Box("mdat").DeclareSize(0xF0000000u).Bytes();
  const int64_t size = int64_t{5} * 1000 * 1000 * 1000;
  files_.AddSparse(kPath, head, size);
  ASSERT_EQ(ReadM4aTrack(files_, table_, staging_, kPath, kPath, 0), M4aResult::kStored);
  EXPECT_EQ(table_[0].FileSize, size);
}

// --- Which files are accepted

TEST_F(M4aReaderTest, RefusesOtherMajorBrandsEvenWithM4aCompatible) {
  for (const char* major : {"mp42", "isom", "M4A\0", "m4a ", "M4B "}) {
    SongLayout layout;
    layout.major_brand = std::string(major, 4);
    EXPECT_EQ(Read(BuildSong(layout)), M4aResult::kRejected) << major;
  }
  EXPECT_EQ(table_.TrackCount(), 0);
}

TEST_F(M4aReaderTest, BrandBoxMustHoldTheMajorBrandAndNotEndTheFile) {
  const std::string rest = Moov(SongLayout{}).Bytes() + Mdat().Bytes();
  // Exactly a major brand and nothing else is enough.
  EXPECT_EQ(Read(Box("ftyp").Raw("M4A ").Bytes() + rest), M4aResult::kStored);
  EXPECT_EQ(Read(Box("ftyp").Raw("M4A").Bytes() + rest), M4aResult::kRejected);
  EXPECT_EQ(Read(Box("ftyp").DeclareSize(4).Raw("M4A ").Bytes() + rest), M4aResult::kRejected);
  EXPECT_EQ(Read(Ftyp().Bytes()), M4aResult::kRejected);
  EXPECT_EQ(Read(Ftyp().DeclareSize(4000).Bytes() + rest), M4aResult::kRejected);
  EXPECT_EQ(Read(Box("styp").Raw("M4A ").Bytes() + rest), M4aResult::kRejected);
  EXPECT_EQ(Read("ftyp"), M4aResult::kRejected);
  EXPECT_EQ(Read(""), M4aResult::kRejected);
  // A long compatible list is not read past the buffer.
  const std::string small_moov = Box("moov").Add(testing::Mvhd(1, 1)).Bytes();
  EXPECT_EQ(Read(Ftyp("M4A ", std::vector<std::string>(40, "mp42")).Bytes() + small_moov +
                 Mdat().Bytes()),
            M4aResult::kStored);
  EXPECT_EQ(files_.stats().largest_read, kBrandBufferSize);
}

TEST_F(M4aReaderTest, RefusesFilesWithoutMediaDataAfterTheMovieBox) {
  SongLayout movie_last;
  movie_last.movie_after_media = true;
  EXPECT_EQ(Read(BuildSong(movie_last)), M4aResult::kRejected);
  // Media data cut short fails the size check.
  const std::string whole = BuildSong({});
  EXPECT_EQ(Read(whole.substr(0, whole.size() - 1)), M4aResult::kRejected);
  EXPECT_EQ(Read(whole.substr(0, whole.size() - 60)), M4aResult::kRejected);
  const std::string head = Ftyp().Bytes() + Moov(SongLayout{}).Bytes();
  EXPECT_EQ(Read(head), M4aResult::kRejected);
  EXPECT_EQ(Read(head + Box("free").Zeros(16).Bytes()), M4aResult::kRejected);
  // A media-data box that ends the file has nothing after its header.
  EXPECT_EQ(Read(head + Box("mdat").Bytes()), M4aResult::kRejected);
  EXPECT_EQ(table_.TrackCount(), 0);
  EXPECT_EQ(Read(whole), M4aResult::kStored);
}

TEST_F(M4aReaderTest, SkipsTopLevelBoxesBeforeTheMovieBoxUnread) {
  const std::string bytes = Ftyp().Bytes() + Box("wide").Bytes() + Box("free").Zeros(5000).Bytes() +
                            Moov(SongLayout{}).Bytes() + Mdat().Bytes();
  EXPECT_EQ(Read(bytes), M4aResult::kStored);
  EXPECT_LE(files_.stats().reads, 60);
}

TEST_F(M4aReaderTest, RefusesTopLevelSizesThatWouldStandStill) {
  const std::string moov = Moov(SongLayout{}).Bytes();
  for (uint32_t size : {0u, 1u, 7u}) {
    EXPECT_EQ(Read(Ftyp().Bytes() + Box("free").DeclareSize(size).Bytes() + moov + Mdat().Bytes()),
              M4aResult::kRejected)
        << size;
  }
  for (uint32_t size : {0u, 8u, 15u}) {
    EXPECT_EQ(
        Read(Ftyp().Bytes() + Box("moov").DeclareSize(size).Zeros(32).Bytes() + Mdat().Bytes()),
        M4aResult::kRejected)
        << size;
  }
}

// --- Text items

TEST_F(M4aReaderTest, CutsTextsByBytesToTheirFields) {
  const std::string long_text(300, 'x');
  const TTrackInfo& track = ReadItems({TextItem("\xA9nam", long_text),
                                       TextItem("\xA9"
                                                "cmt",
                                                long_text),
                                       TextItem("\xA9"
                                                "day",
                                                "2004-05-17T07:00:00Z"),
                                       TextItem("\xA9too", long_text)});
  EXPECT_EQ(Text(FieldText(track.Title)), std::string(64, 'x'));
  EXPECT_EQ(Text(FieldText(track.Comment)), std::string(128, 'x'));
  EXPECT_EQ(Text(FieldText(track.Year)), "2004");
  EXPECT_EQ(Text(FieldText(track.Tool)), std::string(64, 'x'));
  EXPECT_LE(files_.stats().largest_read, kTextBufferSize);
}

TEST_F(M4aReaderTest, ConvertsUtf8TextsAndKeepsOthersAsTheyAre) {
  const TTrackInfo& track = ReadItems({
      TextItem("\xA9nam", "\xE6\x97\xA5\xE6\x9C\xAC"),  // 日本 in UTF-8
      TextItem("\xA9"
               "ART",
               "\x8B\x7B\x8F\xE9\x93\xB9\x97\x59"),  // 宮城道雄 in CP932
      TextItem("\xA9"
               "alb",
               "Plain ASCII"),
      TextItem("\xA9gen", "Caf\xC3\xA9 \xF0\x9F\x8E\xB5"),  // é: its closest form; an emoji: none
      TextItem("\xA9"
               "day",
               "\xE6\x97\xA5\xE6\x9C\xAC"),  // kept unconverted, 4 bytes
  });
  EXPECT_EQ(Text(FieldText(track.Title)), "\x93\xFA\x96\x7B");
  EXPECT_EQ(Text(FieldText(track.Artist)), "\x8B\x7B\x8F\xE9\x93\xB9\x97\x59");
  EXPECT_EQ(Text(FieldText(track.Album)), "Plain ASCII");
  EXPECT_EQ(Text(FieldText(track.Genre)), "Cafe ?");
  EXPECT_EQ(Text(FieldText(track.Year)), "\xE6\x97\xA5\xE6");
}

TEST_F(M4aReaderTest, TagsCompareExactlyAndValuesStopAtAZeroByte) {
  const TTrackInfo& track = ReadItems({
      TextItem("\xA9nam", {"Before\0After", 12}),
      TextItem("\xA9na\0", {"short", 5}),
      TextItem("\xA9NAM", "caps"),
      TextItem("\xA9lyr", "lyrics"),
      NumberItem("TRKN", {"\0\0\0\5\0\6\0\0", 8}),
      NumberItem("aART", "album artist"),
      TextItem("\xA9"
               "cmt",
               std::string(256, 'c')),
  });
  EXPECT_EQ(Text(FieldText(track.Title)), "Before");
  EXPECT_EQ(track.TrackNo, 0);
  EXPECT_EQ(Text(FieldText(track.Comment)), std::string(128, 'c'));
}

TEST_F(M4aReaderTest, Utf8TextCutInsideACharacterByTheBufferIsStillConverted) {
  // 100 times ア is 300 bytes of UTF-8; the buffer ends inside the 86th character.
  std::string katakana;
  for (int i = 0; i < 100; ++i) katakana += "\xE3\x82\xA2";
  const TTrackInfo& track = ReadItems({TextItem("\xA9nam", katakana), TextItem("\xA9"
                                                                               "cmt",
                                                                               katakana)});
  std::string expected;
  for (int i = 0; i < 32; ++i) expected += "\x83\x41";
  EXPECT_EQ(Text(FieldText(track.Title)), expected);
  EXPECT_EQ(Text(FieldText(track.Comment)), expected + expected);
}

TEST_F(M4aReaderTest, FieldsEndOnAWholeDoubleByteCharacter) {
  // One letter and 40 kanji: the 64th byte of the CP932 text is the lead byte of the 32nd.
  std::string kanji;
  for (int i = 0; i < 40; ++i) kanji += "\xE6\x97\xA5";  // 日
  std::string title = "A";
  for (int i = 0; i < 31; ++i) title += "\x93\xFA";
  const TTrackInfo& track =
      ReadItems({TextItem("\xA9nam", "A" + kanji), TextItem("\xA9"
                                                            "cmt",
                                                            "A" + kanji + kanji)});
  EXPECT_EQ(Text(FieldText(track.Title)), title);
  EXPECT_EQ(FieldText(track.Comment).size(), 127u);
  EXPECT_EQ(Text(FieldText(track.Comment)).substr(0, title.size()), title);
}

// --- Number items

TEST_F(M4aReaderTest, ReadsNumberItemsAsSignedBigEndian) {
  const TTrackInfo& track = ReadItems({
      NumberItem("trkn", {"\0\0\0\3\0\x0C\0\0", 8}),
      NumberItem("disk", {"\0\0\xFF\xFF\x80\0", 6}),
      NumberItem("tmpo", {"\x01\x2C", 2}),
      NumberItem("gnre", {"\0\x08", 2}),
      NumberItem("cpil", {"\1", 1}),
  });
  EXPECT_EQ(track.TrackNo, 3);
  EXPECT_EQ(track.TrackTotal, 12);
  EXPECT_EQ(track.DiskNo, -1);
  EXPECT_EQ(track.DiskTotal, -32768);
  EXPECT_EQ(track.Tempo, 300);
  EXPECT_EQ(track.GenreNo, 8);
  EXPECT_EQ(track.Compilation, 1);

  const TTrackInfo& shorter = ReadItems({
      NumberItem("trkn", {"\0\0\0\7", 4}),  // the rest of the buffer stays zero
      NumberItem("cpil", {"\1\1", 2}),      // little-endian: 0x0101
  });
  EXPECT_EQ(shorter.TrackNo, 7);
  EXPECT_EQ(shorter.TrackTotal, 0);
  EXPECT_EQ(shorter.Compilation, 0x0101);
}

TEST_F(M4aReaderTest, PlayTimeDropsTheFraction) {
  struct Case {
    uint32_t scale, duration;
    int32_t time;
  };
  for (const Case& c :
       {Case{600, 2999, 4}, Case{1000, 999, 0}, Case{0, 2999, 0}, Case{3, 0xFFFFFFF6u, -3},
        Case{0xFFFFFFFFu, 0x80000000u, 0}, Case{0xFFFFFFFFu, 10, -10}}) {
    SongLayout layout;
    layout.time_scale = c.scale;
    layout.duration = c.duration;
    EXPECT_EQ(ReadAccepted(BuildSong(layout)).Time, c.time) << c.scale << " " << c.duration;
  }
}

TEST_F(M4aReaderTest, ShortMovieHeaderIsReadAsFarAsItGoes) {
  // 8 content bytes beyond the first 8: the time scale is there, the duration is not.
  const std::string moov =
      Box("moov").Add(Box("mvhd").U32(0).U32(0).U32(0).U32(600)).Add(testing::Udta({})).Bytes();
  const TTrackInfo& track = ReadAccepted(Ftyp().Bytes() + moov + Mdat().Bytes());
  EXPECT_EQ(track.Time, 0);
}

TEST_F(M4aReaderTest, LastSampleDescriptionWins) {
  SongLayout layout;
  layout.audio = {1, 16, 22050, 64000, 48000};
  Box moov = Moov(layout);
  moov.Add(testing::Trak(testing::Stsd({6, 24, 48000, 320000, 256000})));
  const TTrackInfo& track = ReadAccepted(Ftyp().Bytes() + moov.Bytes() + Mdat().Bytes());
  EXPECT_EQ(track.ChNum, 6);
  EXPECT_EQ(track.SampleSize, 24);
  EXPECT_EQ(track.SampleRate, 48000);
  EXPECT_EQ(track.BitRate, 320000);
  EXPECT_EQ(track.AvgBitRate, 256000);
  EXPECT_LE(files_.stats().largest_read, kTextBufferSize);
}

// --- The walk

TEST_F(M4aReaderTest, MetaOutsideUserDataIsSkipped) {
  Box moov("moov");
  moov.Add(testing::Mvhd(1000, 5000))
      .Add(testing::Meta(testing::Ilst({TextItem("\xA9nam", "No")})));
  moov.Add(
      testing::Udta({TextItem("\xA9"
                              "ART",
                              "Yes")}));
  const TTrackInfo& track = ReadAccepted(Ftyp().Bytes() + moov.Bytes() + Mdat().Bytes());
  EXPECT_EQ(Text(FieldText(track.Title)), "");
  EXPECT_EQ(Text(FieldText(track.Artist)), "Yes");
  EXPECT_EQ(track.Time, 5);
}

TEST_F(M4aReaderTest, MetaWithoutVersionFieldIsReadToo) {
  Box meta("meta");
  meta.Add(testing::Ilst({TextItem("\xA9nam", "QuickTime style")}));
  const std::string moov = Box("moov").Add(testing::Mvhd(1, 1)).Add(Box("udta").Add(meta)).Bytes();
  const TTrackInfo& track = ReadAccepted(Ftyp().Bytes() + moov + Mdat().Bytes());
  EXPECT_EQ(Text(FieldText(track.Title)), "QuickTime style");
}

TEST_F(M4aReaderTest, LooseSmallBoxBetweenItemsIsSkippedBySize) {
  Box ilst("ilst");
  ilst.Add(TextItem("\xA9nam", "One")).Add(Box("free")).Add(Box("pad ").Zeros(4));
  ilst.Add(
      TextItem("\xA9"
               "ART",
               "Two"));
  const std::string moov =
      Box("moov").Add(testing::Mvhd(1, 1)).Add(Box("udta").Add(testing::Meta(ilst))).Bytes();
  const TTrackInfo& track = ReadAccepted(Ftyp().Bytes() + moov + Mdat().Bytes());
  EXPECT_EQ(Text(FieldText(track.Title)), "One");
  EXPECT_EQ(Text(FieldText(track.Artist)), "Two");

  // Smaller than a header it cannot be skipped.
  Box bad_ilst("ilst");
  bad_ilst.Add(TextItem("\xA9nam", "One")).Add(Box("free").DeclareSize(4));
  const std::string bad_moov = Box("moov").Add(Box("udta").Add(testing::Meta(bad_ilst))).Bytes();
  EXPECT_EQ(Read(Ftyp().Bytes() + bad_moov + Mdat().Bytes()), M4aResult::kRejected);
}

// A version 1 sample-group box: its version and flags read as a box of 16 MiB.
Box SampleGroupVersion1() {
  return Box("sgpd").Raw({"\x01\0\0\0", 4}).Raw("roll").U32(2).U32(1).U16(0xFFFF);
}

TEST_F(M4aReaderTest, ContentsThatReadAsAnOversizedBoxBelongToThePendingBox) {
  Box stbl("stbl");
  stbl.Add(testing::Stsd({2, 16, 32000, 96000, 80000})).Add(SampleGroupVersion1());
  stbl.Add(Box("sbgp").U32(0).Raw("roll").U32(0));
  Box moov("moov");
  moov.Add(testing::Mvhd(1000, 3000)).Add(Box("trak").Add(Box("mdia").Add(Box("minf").Add(stbl))));
  moov.Add(testing::Udta({TextItem("\xA9nam", "After sgpd")}));
  const TTrackInfo& track = ReadAccepted(Ftyp().Bytes() + moov.Bytes() + Mdat().Bytes());
  EXPECT_EQ(track.SampleRate, 32000);
  EXPECT_EQ(Text(FieldText(track.Title)), "After sgpd");
  EXPECT_EQ(track.Time, 3);
}

TEST_F(M4aReaderTest, OversizedBoxWithNothingPendingIsRefused) {
  // After the item the registers are clear: a header larger than the rest means a
  // file cut short.
  Box ilst("ilst");
  ilst.Add(TextItem("\xA9nam", "One")).Add(Box("free").DeclareSize(0x01000000).Zeros(8));
  const std::string moov = Box("moov").Add(Box("udta").Add(testing::Meta(ilst))).Bytes();
  EXPECT_EQ(Read(Ftyp().Bytes() + moov + Mdat().Bytes()), M4aResult::kRejected);
}

TEST_F(M4aReaderTest, OversizedContentsNamedMdatAreNotMediaData) {
  // The pending box's first bytes spell a huge "mdat": they are contents, not the end of
  // the walk, and the tags after them are still read.
  Box odd("odd ");
  odd.U32(0x7FFFFFFF).Raw("mdat").Zeros(8);
  Box moov("moov");
  moov.Add(odd).Add(testing::Udta({TextItem("\xA9nam", "Still read")}));
  const TTrackInfo& track = ReadAccepted(Ftyp().Bytes() + moov.Bytes() + Mdat().Bytes());
  EXPECT_EQ(Text(FieldText(track.Title)), "Still read");
}

// --- Table slots

TEST_F(M4aReaderTest, ReadingIntoAnExistingSlotOverwritesTheWholeRecord) {
  SongLayout first;
  first.items = {TextItem("\xA9nam", "First"), TextItem("\xA9"
                                                        "ART",
                                                        "Someone")};
  ReadAccepted(BuildSong(first));
  ReadAccepted(BuildSong(first));
  table_[0].TrackID = 77;

  SongLayout second;
  second.items = {TextItem("\xA9nam", "Second")};
  ASSERT_EQ(Read(BuildSong(second), 0), M4aResult::kStored);
  EXPECT_EQ(table_.TrackCount(), 2);
  EXPECT_EQ(Text(FieldText(table_[0].Title)), "Second");
  EXPECT_EQ(Text(FieldText(table_[0].Artist)), "");
  EXPECT_EQ(table_[0].TrackID, 0);
  EXPECT_EQ(Text(FieldText(table_[1].Title)), "First");
}

TEST_F(M4aReaderTest, BadIndexIsRefusedWithoutOpeningTheFile) {
  EXPECT_EQ(Read(BuildSong({}), -1), M4aResult::kRejected);
  EXPECT_FALSE(files_.stats().opened);
  EXPECT_EQ(Read(BuildSong({}), 1), M4aResult::kRejected);
  EXPECT_FALSE(files_.stats().opened);
  EXPECT_EQ(table_.TrackCount(), 0);
}

TEST_F(M4aReaderTest, RefusedFileLeavesTheTableAlone) {
  ReadAccepted(BuildSong({}));
  const TTrackInfo before = table_[0];
  SongLayout other;
  other.major_brand = "mp42";
  other.items = {TextItem("\xA9nam", "Other")};
  EXPECT_EQ(Read(BuildSong(other), 0), M4aResult::kRejected);
  EXPECT_EQ(std::memcmp(&table_[0], &before, sizeof before), 0);
  EXPECT_TRUE(files_.stats().closed);
}

TEST_F(M4aReaderTest, MissingFileRaisesAnErrorNamingThePath) {
  try {
    ReadM4aTrack(files_, table_, staging_, "/nowhere/x.m4a", "/nowhere/x.m4a", 0);
    FAIL() << "no error";
  } catch (const FileError& error) {
    EXPECT_NE(std::string(error.what()).find("/nowhere/x.m4a"), std::string::npos);
  }
}

}  // namespace
}  // namespace tarvello
