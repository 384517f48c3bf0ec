// Track-list files: the kind test, RMP packages and property lists.

#include "sources/track_list_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/memory_byte_file.h"
#include "sources/library_builder.h"
#include "sources/source_test.h"
#include "sources/track_list_text.h"

namespace tarvello {
namespace {

using testing::BuildLibrary;
using testing::LibraryTrack;

constexpr const char* kDeclaration = "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n";

class TrackListFileTest : public testing::SourceTest {
 protected:
  TrackListResult Read(const std::string& bytes, int32_t pending_limit = kMaxTracks + 1) {
    const std::string path = temp_.Path("list.rmp");
    fakes::WriteFile(path, bytes);
    return ReadTrackList(files_, path, table_, staging_, track_id_list_, pending_limit);
  }
  std::string Song(const std::string& name) {
    const std::string path = temp_.Path(name);
    fakes::WriteFile(path, "song");
    return path;
  }
  std::string RmpTrack(const std::string& title, const std::string& format,
                       const std::string& file_name) {
    std::string track = "<TRACK>\r\n<TITLE>" + title + "</TITLE>\r\n";
    if (!format.empty()) track += "<FORMAT>" + format + "</FORMAT>\r\n";
    if (!file_name.empty()) track += "<FILENAME>" + file_name + "</FILENAME>\r\n";
    return track + "</TRACK>\r\n";
  }
  std::string Rmp(const std::string& tracks) {
    return std::string(kDeclaration) + "<PACKAGE>\r\n<TRACKLIST>\r\n" + tracks +
           "</TRACKLIST>\r\n<TRACK>\r\n</TRACK>\r\n</PACKAGE>\r\n";
  }
  std::string Location(const std::string& path) { return "file://localhost" + path; }
};

TEST_F(TrackListFileTest, RmpTracksInFileOrder) {
  const std::string song = Song("a.m4a");
  const std::string tracks =
      "<TRACK>\r\n<TITLE>\x82\xA0 title</TITLE>\r\n<ARTIST>Ar</ARTIST>\r\n<ALBUM>Al</ALBUM>\r\n"
      "<GENRE>Ge</GENRE>\r\n<FORMAT>.m4a audio</FORMAT>\r\n<SIZE>6000000000</SIZE>\r\n"
      "<DURATION>245</DURATION>\r\n<QUALITY>128</QUALITY>\r\n<CHANNELS>2</CHANNELS>\r\n"
      "<FILENAME>" +
      song + "</FILENAME>\r\n</TRACK>\r\n" + RmpTrack("caps", ".M4A", song) +
      RmpTrack("short format", "aac", song) +
      RmpTrack("missing file", ".m4a", temp_.Path("gone.m4a")) + RmpTrack("no file name", "", "");
  const TrackListResult result = Read(Rmp(tracks));
  EXPECT_TRUE(result.accepted);
  EXPECT_TRUE(result.messages.empty());
  ASSERT_EQ(table_.TrackCount(), 3);
  const TTrackInfo& first = table_[0];
  EXPECT_EQ(FieldText(first.Title), "\x82\xA0 title");  // copied byte for byte
  EXPECT_EQ(FieldText(first.Artist), "Ar");
  EXPECT_EQ(FieldText(first.Album), "Al");
  EXPECT_EQ(FieldText(first.Genre), "Ge");
  EXPECT_EQ(first.FileSize, 6000000000LL);
  EXPECT_EQ(first.Time, 245);
  EXPECT_EQ(first.BitRate, 128);
  EXPECT_EQ(first.AvgBitRate, 128);
  EXPECT_EQ(first.ChNum, 2);
  EXPECT_EQ(FieldText(first.FileName), song);
  EXPECT_EQ(FieldText(table_[1].Title), "short format");
  EXPECT_EQ(FieldText(table_[2].Title), "no file name");
  EXPECT_EQ(FieldText(table_[2].FileName), "");
}

TEST_F(TrackListFileTest, WhatIsNoTrackList) {
  EXPECT_FALSE(Read("").accepted);
  EXPECT_FALSE(Read(std::string(1000, '\0')).accepted);
  // "<PACKAGE>" on the third line, or a blank first line pushing the declaration down.
  EXPECT_FALSE(Read(std::string(kDeclaration) + "\r\n<PACKAGE>\r\n").accepted);
  EXPECT_FALSE(Read("\n" + Rmp(RmpTrack("t", "", ""))).accepted);
  EXPECT_FALSE(Read(std::string(kDeclaration) + "<music/>\n").accepted);
  // Ends inside a track: nothing committed.
  EXPECT_FALSE(
      Read(std::string(kDeclaration) + "<PACKAGE>\n<TRACKLIST>\n<TRACK>\n<TITLE>").accepted);
  EXPECT_EQ(table_.TrackCount(), 0);
  EXPECT_THROW(ReadTrackList(files_, temp_.Path("none"), table_, staging_, track_id_list_),
               FileError);
}

TEST_F(TrackListFileTest, RmpStopsAtTheSongLimit) {
  FillToOneBelowTheLimit();
  const TrackListResult result =
      Read(Rmp(RmpTrack("1", "", "") + RmpTrack("2", "", "") + RmpTrack("3", "", "")));
  EXPECT_TRUE(result.accepted);
  EXPECT_EQ(result.messages, std::vector<std::string>{TrackLimitText()});
  EXPECT_EQ(table_.TrackCount(), kMaxTracks);
}

TEST_F(TrackListFileTest, PropertyListAddsItsFirstPlaylistsExistingTracks) {
  std::vector<LibraryTrack> tracks;
  for (int id = 1; id <= 20; ++id) {
    tracks.push_back({id, "s" + std::to_string(id), "AAC audio file",
                      Location(Song("s" + std::to_string(id) + ".m4a"))});
  }
  tracks.push_back({21, "gone", "AAC audio file", Location(temp_.Path("gone.m4a"))});
  tracks.push_back({22, "mp3", "MPEG audio file", Location(Song("x.mp3"))});
  std::vector<int> first{21, 22};
  for (int id = 12; id >= 1; --id) first.push_back(id);
  const TrackListResult result = Read(BuildLibrary(tracks, {{"first", first}, {"second", {20}}}));
  EXPECT_TRUE(result.accepted);
  ASSERT_EQ(table_.TrackCount(), 12);
  EXPECT_EQ(table_[0].TrackID, 12);
  EXPECT_EQ(table_[11].TrackID, 1);
  EXPECT_EQ(track_id_list_.size(), 14u);
}

TEST_F(TrackListFileTest, PropertyListWithoutPlaylistsAddsNothingButIsAccepted) {
  const std::string library =
      BuildLibrary({{1, "a", "AAC audio file", Location(Song("a.m4a"))}}, {});
  EXPECT_TRUE(Read(library.substr(0, library.find("<key>Playlists</key>"))).accepted);
  EXPECT_EQ(table_.TrackCount(), 0);
  // Only tracks whose file is missing: none qualifies.
  EXPECT_FALSE(
      Read(BuildLibrary({{1, "a", "AAC audio file", Location(temp_.Path("no"))}}, {{"p", {1}}}))
          .accepted);
}

// More qualifying tracks than the table takes: the first 10,000 of the file are gathered,
// the first playlist is still read, and they are added in its order with one message.
TEST_F(TrackListFileTest, PropertyListPastTheLimitAddsTheFirstTenThousand) {
  const std::string song = Location(Song("a.m4a"));
  std::vector<LibraryTrack> tracks;
  for (int id = 1; id <= kMaxTracks + 3; ++id) tracks.push_back({id, "t", "AAC audio file", song});
  std::vector<int> first;
  for (int id = kMaxTracks + 3; id >= 1; --id) first.push_back(id);
  first.push_back(1);  // met again once the table is full
  const TrackListResult result = Read(BuildLibrary(tracks, {{"first", first}}));
  EXPECT_TRUE(result.accepted);
  EXPECT_EQ(result.messages, std::vector<std::string>{TrackLimitText()});
  ASSERT_EQ(table_.TrackCount(), kMaxTracks);
  EXPECT_EQ(table_[0].TrackID, kMaxTracks);  // the tracks past the limit are not gathered
  EXPECT_EQ(table_[kMaxTracks - 1].TrackID, 1);
}

// An RMP package in CP932 names its files in CP932 too: they are looked for under their
// UTF-8 names. One written in UTF-8 is taken as UTF-8 throughout, as a property list is.
TEST_F(TrackListFileTest, TrackListsInCp932OrUtf8FindTheirFilesAndConvertTheirTitles) {
  // "曲" is 8B C8 in CP932 and E6 9B B2 in UTF-8; "あ" is 82 A0 in CP932.
  const std::string song = Song("曲.m4a");
  ASSERT_TRUE(Read(Rmp(RmpTrack("\x8B\xC8", ".m4a", temp_.path() + "/\x8B\xC8.m4a"))).accepted);
  ASSERT_EQ(table_.TrackCount(), 1);
  EXPECT_EQ(FieldText(table_[0].Title), "\x8B\xC8");
  EXPECT_EQ(FieldText(table_[0].FileName), song);

  ASSERT_TRUE(Read(Rmp(RmpTrack("曲 あ", ".m4a", song))).accepted);
  ASSERT_EQ(table_.TrackCount(), 2);
  EXPECT_EQ(FieldText(table_[1].Title), "\x8B\xC8 \x82\xA0");
  EXPECT_EQ(FieldText(table_[1].FileName), song);

  ASSERT_TRUE(
      Read(BuildLibrary({{1, "曲", "AAC audio file", Location(temp_.path() + "/%E6%9B%B2.m4a")}},
                        {{"p", {1}}}))
          .accepted);
  ASSERT_EQ(table_.TrackCount(), 3);
  EXPECT_EQ(FieldText(table_[2].Title), "\x8B\xC8");
  EXPECT_EQ(FieldText(table_[2].FileName), song);
}

// The encoding is decided on the whole file, read in blocks: a character cut by a block's
// end is whole again with the next block, one cut by the file's end is broken.
TEST(DetectListEncodingTest, WholeFileDecidesAcrossBlockEnds) {
  const size_t block = size_t{64} << 10;
  for (const std::string character : {"\xC3\xA9", "\xE6\x9B\xB2", "\xF0\x9D\x84\x9E"}) {
    for (size_t at = block - 4; at <= block + 1; ++at) {
      std::string bytes(at, 'a');
      bytes += character + "b";
      MemoryByteFile whole(bytes);
      EXPECT_EQ(DetectListEncoding(whole), ListEncoding::kUtf8) << at;
      const std::string cut = bytes.substr(0, at + character.size() - 1);
      MemoryByteFile cut_file(cut);
      EXPECT_EQ(DetectListEncoding(cut_file), ListEncoding::kCp932) << at;
      bytes[at + 1] = 'x';  // a lead byte without its continuation
      MemoryByteFile broken(bytes);
      EXPECT_EQ(DetectListEncoding(broken), ListEncoding::kCp932) << at;
    }
  }
  MemoryByteFile ascii("<?xml version=\"1.0\"?>\n<PACKAGE>\n");
  EXPECT_EQ(DetectListEncoding(ascii), ListEncoding::kCp932);
}

TEST_F(TrackListFileTest, PropertyListOutOfMemoryAddsNothing) {
  const std::vector<LibraryTrack> tracks{{1, "a", "AAC audio file", Location(Song("a.m4a"))},
                                         {2, "b", "AAC audio file", Location(Song("b.m4a"))}};
  const TrackListResult result = Read(BuildLibrary(tracks, {{"p", {1, 2}}}), 1);
  EXPECT_TRUE(result.accepted);
  EXPECT_EQ(result.messages, std::vector<std::string>{kOutOfMemoryMessage});
  EXPECT_EQ(table_.TrackCount(), 0);
}

}  // namespace
}  // namespace tarvello
