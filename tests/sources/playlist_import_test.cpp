// The playlist import: the key table, the filters, the first pass's stops and the second
// pass in playlist order.

#include "sources/playlist_import.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/memory_byte_file.h"
#include "sources/library_builder.h"
#include "sources/source_test.h"

namespace tarvello {
namespace {

using testing::BuildLibrary;
using testing::LibraryLayout;
using testing::LibraryTrack;

class PlaylistImportTest : public testing::SourceTest {
 protected:
  SourceMessages Import(const std::vector<LibraryTrack>& tracks, const std::string& entry,
                        const LibraryLayout& layout = {}) {
    fakes::WriteFile(library_, BuildLibrary(tracks, {}, layout));
    return ImportPlaylistTracks(files_, library_, entry, table_, staging_, track_id_list_);
  }
  std::vector<int32_t> Ids() const {
    std::vector<int32_t> ids;
    for (int32_t i = 0; i < table_.TrackCount(); ++i) ids.push_back(table_[i].TrackID);
    return ids;
  }

  std::string library_ = temp_.Path("library.xml");
};

TEST_F(PlaylistImportTest, EveryKeySetsItsField) {
  const LibraryTrack track{
      7,
      "T&#38;i &#60;t&#62; &#x3042;",
      "AAC audio file",
      "file:///home/me/a%20b&#38;c.m4a",
      {"<key>Artist</key><string>Art</string>", "<key>Composer</key><string>Com</string>",
       "<key>Album</key><string>Alb</string>", "<key>Grouping</key><string>Grp</string>",
       "<key>Genre</key><string>Gen</string>", "<key>Size</key><integer>5000000000</integer>",
       "<key>Total Time</key><integer>185999</integer>",
       "<key>Disc Number</key><integer>2</integer>", "<key>Disc Count</key><integer>3</integer>",
       "<key>Track Number</key><integer>70000</integer>",
       "<key>Track Count</key><integer>12</integer>", "<key>Year</key><integer>19999</integer>",
       "<key>BPM</key><integer>120</integer>", "<key>Bit Rate</key><integer>128</integer>",
       "<key>Sample Rate</key><integer>44100</integer>",
       "<key>Comments</key><string>\xF0\x9F\x98\x80!</string>", "<key>Compilation</key><true/>",
       "<key>Play Count</key><integer>9</integer>"}};
  EXPECT_TRUE(Import({track}, "7,").empty());
  ASSERT_EQ(table_.TrackCount(), 1);
  const TTrackInfo& got = table_[0];
  EXPECT_EQ(got.TrackID, 7);
  EXPECT_EQ(FieldText(got.Title), "T&i <t> \x82\xA0");
  EXPECT_EQ(FieldText(got.Artist), "Art");
  EXPECT_EQ(FieldText(got.Writer), "Com");
  EXPECT_EQ(FieldText(got.Album), "Alb");
  EXPECT_EQ(FieldText(got.Group), "Grp");
  EXPECT_EQ(FieldText(got.Genre), "Gen");
  EXPECT_EQ(got.FileSize, 5000000000LL);
  EXPECT_EQ(got.Time, 185);
  EXPECT_EQ(got.DiskNo, 2);
  EXPECT_EQ(got.DiskTotal, 3);
  EXPECT_EQ(got.TrackNo, 4464);
  EXPECT_EQ(got.TrackTotal, 12);
  EXPECT_EQ(FieldText(got.Year), "1999");
  EXPECT_EQ(got.Tempo, 120);
  EXPECT_EQ(got.BitRate, 128000);
  EXPECT_EQ(got.AvgBitRate, 128000);
  EXPECT_EQ(got.SampleRate, 44100);
  EXPECT_EQ(FieldText(got.Comment), "?!");
  EXPECT_EQ(got.Compilation, 1);
  EXPECT_EQ(FieldText(got.FileName), "/home/me/a b&c.m4a");
  EXPECT_EQ(got.ChNum, 0);
}

TEST_F(PlaylistImportTest, FiltersLeaveTracksOutAndPlaylistOrderHolds) {
  const std::vector<LibraryTrack> tracks{
      {1, "mp3", "MPEG audio file"},
      {2, "protected", "Protected AAC audio file"},
      {3, "aac"},
      {4, "short kind", "AA"},
      {5, "disabled", "AAC audio file", "", {"<key>Disabled</key><true/>"}},
      {6, "stream", "AAC audio file", "", {"<key>Track Type</key><string>URL</string>"}},
      {7, "no location"},
  };
  EXPECT_TRUE(Import(tracks, "7,1,2,3,4,5,6,99,3,").empty());
  EXPECT_EQ(Ids(), (std::vector<int32_t>{7, 3, 4, 3}));
  EXPECT_EQ(track_id_list_.size(), 9u);
  EXPECT_EQ(FieldText(table_[0].FileName), "");
}

TEST_F(PlaylistImportTest, CrLfAndBlankIndentation) {
  EXPECT_TRUE(Import({{1, "a"}, {2, "b"}}, "2,1,", {"    ", "\r\n"}).empty());
  EXPECT_EQ(Ids(), (std::vector<int32_t>{2, 1}));
  EXPECT_EQ(FieldText(table_[1].Title), "a");
}

TEST_F(PlaylistImportTest, TheSongLimitEndsTheSecondPass) {
  FillToOneBelowTheLimit();
  const SourceMessages messages = Import({{1, "a"}, {2, "b"}, {3, "c"}}, "1,2,3,");
  EXPECT_EQ(messages, std::vector<std::string>{TrackLimitText()});
  EXPECT_EQ(table_.TrackCount(), kMaxTracks);
  EXPECT_EQ(table_[kMaxTracks - 1].TrackID, 1);
}

TEST_F(PlaylistImportTest, RunningOutOfMemoryEndsTheSecondPass) {
  table_.LimitGrowthForTests(1);
  EXPECT_EQ(Import({{1, "a"}, {2, "b"}}, "1,2,"), std::vector<std::string>{kOutOfMemoryMessage});
  EXPECT_EQ(Ids(), std::vector<int32_t>{1});
}

TEST_F(PlaylistImportTest, ADictionaryInsideATrackNeitherSetsNorEndsIt) {
  const LibraryTrack nested{1,
                            "outer",
                            "AAC audio file",
                            "file:///home/me/a.m4a",
                            {"<key>Artwork</key>", "<dict>", "<key>Name</key><string>inner</string>",
                             "<key>Kind</key><string>MPEG audio file</string>", "</dict>",
                             "<key>Artist</key><string>after</string>"}};
  EXPECT_TRUE(Import({nested, {2, "next"}}, "1,2,").empty());
  EXPECT_EQ(Ids(), (std::vector<int32_t>{1, 2}));
  EXPECT_EQ(FieldText(table_[0].Title), "outer");
  EXPECT_EQ(FieldText(table_[0].Artist), "after");
  EXPECT_EQ(FieldText(table_[0].FileName), "/home/me/a.m4a");
}

TEST_F(PlaylistImportTest, AMissingLibraryRaisesItsError) {
  EXPECT_THROW(
      ImportPlaylistTracks(files_, temp_.Path("none.xml"), "1,", table_, staging_, track_id_list_),
      FileError);
}

TEST(GatherWantedTracksTest, StopsOnceEveryWantedTrackIsFound) {
  // The tracks after the last wanted one are never read: a broken tail does not matter.
  const std::string library = BuildLibrary({{1, "a"}, {2, "b"}}, {});
  const std::string cut = library.substr(0, library.find("<key>2</key>")) + "<dict>\n<key>Track";
  MemoryByteFile file(cut);
  TTrackInfo staging{};
  PendingTracks pending;
  SourceMessages messages;
  GatherWantedTracks(file, {"1"}, staging, pending, messages);
  EXPECT_EQ(pending.Count(), 1);

  PendingTracks full;
  full.LimitGrowthForTests(0);
  MemoryByteFile again(library);
  GatherWantedTracks(again, {"1", "2"}, staging, full, messages);
  EXPECT_EQ(messages, std::vector<std::string>{kOutOfMemoryMessage});
}

TEST(SplitTrackIdsTest, TextBeforeEachComma) {
  EXPECT_EQ(SplitTrackIds("12,40,12,"), (std::vector<std::string>{"12", "40", "12"}));
  EXPECT_EQ(SplitTrackIds("1,,2,tail"), (std::vector<std::string>{"1", "", "2"}));
  EXPECT_TRUE(SplitTrackIds("").empty());
}

}  // namespace
}  // namespace tarvello
