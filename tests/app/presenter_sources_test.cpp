// The song sources through the presenter: the playlist box, the playlist import with its
// three answers, track-list files, the import from the card and the refresh.

#include <gmock/gmock.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "app/presenter_fixture.h"
#include "sources/library_builder.h"

namespace tarvello {
namespace {

using testing::BuildLibrary;
using ::testing::ElementsAre;
using testing::LibraryPlaylist;
using testing::LibraryTrack;

class PresenterSourcesTest : public PresenterTest {
 protected:
  std::string LibraryPath() const {
    return program_dir_.path() + "/Documents/My Music/iTunes/iTunes Music Library.xml";
  }
  void WriteLibrary(const std::vector<LibraryPlaylist>& playlists) {
    const std::string song = "file://localhost" + Fixture("m4a/tagged.m4a");
    fakes::WriteFile(LibraryPath(), BuildLibrary({{1, "one", "AAC audio file", song},
                                                  {2, "two", "AAC audio file", song},
                                                  {3, "mp3", "MPEG audio file", song}},
                                                 playlists));
  }
  // A card with three songs and a management file in its output folder.
  void AddCard(bool auto_import) {
    card_ = &fake_.volumes.AddTemp("CARD");
    const std::string folder = card_->root + "/PRIVATE/AU/DF/D_SD";
    std::filesystem::create_directories(folder);
    for (const char* name : {"SDS_0000.3G2", "SDS_0001.3G2", "SDS_0002.3G2"}) {
      std::filesystem::copy_file(Fixture("m4a/tagged.m4a"), folder + "/" + name);
    }
    fakes::WriteFile(folder + "/SD_F_000.MGR", std::string(9632, '\0'));
    WriteIni("OUTDRV = " + card_->root + "\r\nAUTDST = " + (auto_import ? "1" : "0") + "\r\n");
  }
  std::vector<std::string> Titles() const {
    std::vector<std::string> titles;
    for (int row = 0; row < presenter_->Rows().RowCount(); ++row) {
      titles.push_back(presenter_->Rows().Row(row).caption);
    }
    return titles;
  }

  fakes::FakeVolume* card_ = nullptr;
};

TEST_F(PresenterSourcesTest, ThePlaylistBoxFollowsTheLibrary) {
  Start();
  EXPECT_FALSE(view_.playlist_enabled);
  EXPECT_TRUE(view_.playlist_items.empty());

  WriteLibrary({{"Library", {1, 2, 3}}, {"Mix", {2}}, {"Mix", {1}}});
  presenter_->Refresh1Click();
  EXPECT_TRUE(view_.playlist_enabled);
  EXPECT_THAT(view_.playlist_items, ElementsAre("Library", "Mix", "Mix"));
  EXPECT_FALSE(view_.IsCommandEnabled(Command::kImport1));
  presenter_->cbPlayListsChange(2);
  EXPECT_TRUE(view_.IsCommandEnabled(Command::kImport1));

  // A refresh keeps the selection by name: the first playlist of that name.
  view_.playlist_index = 2;
  presenter_->Refresh1Click();
  EXPECT_EQ(view_.playlist_index, 1);
  WriteLibrary({{"Other", {1}}});
  presenter_->Refresh1Click();
  EXPECT_EQ(view_.playlist_index, -1);
  EXPECT_TRUE(view_.IsCommandEnabled(Command::kImport1));

  std::filesystem::remove(LibraryPath());
  presenter_->Refresh1Click();
  EXPECT_FALSE(view_.playlist_enabled);
}

// A library that opens but fails part-way has no playlists: start-up goes on with the
// system's message in a box, and a refresh that fails the same way empties the box.
TEST_F(PresenterSourcesTest, ALibraryThatCannotBeReadHasNoPlaylists) {
  WriteLibrary({{"Library", {1, 2, 3}}, {"Mix", {2}}});
  const auto failing_read = static_cast<int64_t>(std::filesystem::file_size(LibraryPath()) - 10);
  fake_.files.read_fails_at[LibraryPath()] = failing_read;
  Start();
  EXPECT_FALSE(view_.playlist_enabled);
  EXPECT_TRUE(view_.playlist_items.empty());
  ASSERT_EQ(view_.boxes.size(), 1u);
  EXPECT_EQ(view_.boxes[0], std::system_category().message(EIO) + "\r\n" + LibraryPath());
  EXPECT_TRUE(view_.accepts_drops);
  EXPECT_EQ(view_.startup_timer, 100);

  fake_.files.read_fails_at.clear();
  presenter_->Refresh1Click();
  EXPECT_THAT(view_.playlist_items, ElementsAre("Library", "Mix"));
  view_.playlist_index = 1;
  fake_.files.read_fails_at[LibraryPath()] = failing_read;
  presenter_->Refresh1Click();
  EXPECT_FALSE(view_.playlist_enabled);
  EXPECT_TRUE(view_.playlist_items.empty());
  EXPECT_TRUE(presenter_->State().PlaylistNames.empty());
  EXPECT_EQ(view_.playlist_index, -1);
  EXPECT_EQ(view_.boxes.size(), 2u);
}

TEST_F(PresenterSourcesTest, TheDropDownWidensToTheWidestNameAndItsScrollBar) {
  WriteLibrary(std::vector<LibraryPlaylist>(8, {"p", {}}));
  Start();
  view_.playlist_widths = {40, 95, 60, 1, 1, 1, 1, 1};
  presenter_->cbPlayListsDropDown();
  EXPECT_EQ(view_.drop_down_width, 101);
  view_.playlist_widths.push_back(1);
  presenter_->cbPlayListsDropDown();
  EXPECT_EQ(view_.drop_down_width, 101 + view_.scroll_bar_width);
}

TEST_F(PresenterSourcesTest, ImportReplacesOrAppendsOrDoesNothing) {
  WriteLibrary({{"Library", {1, 2, 3}}, {"Twice", {2, 1, 2}}});
  Start();
  presenter_->FilesDropped({Fixture("m4a/japanese.m4a")});
  const std::vector<std::string> before = Titles();
  view_.playlist_index = 1;
  view_.boxes.clear();

  view_.yes_no_cancel_answers = {YesNoCancel::kCancel};
  presenter_->Import1Click();
  EXPECT_EQ(Titles(), before);
  ASSERT_EQ(view_.boxes.size(), 1u);
  EXPECT_EQ(view_.boxes[0],
            "iTunesプレイリスト 'Twice' を読み込みます.\r\n"
            "現在の曲一覧はプレイリストの内容に置き換えられます.\r\n\r\n"
            "プレイリストを読み込んで曲一覧を置き換えますか？\r\n(はい: 置換、いいえ: 追加)");

  view_.yes_no_cancel_answers = {YesNoCancel::kNo};
  presenter_->Import1Click();
  EXPECT_THAT(Titles(), ElementsAre(before[0], "two", "one", "two"));
  EXPECT_EQ(view_.playlist_index, -1);  // appending clears the selection
  EXPECT_EQ(view_.focused_rows.back(), 1);

  view_.playlist_index = 0;
  view_.yes_no_cancel_answers = {YesNoCancel::kYes};
  presenter_->Import1Click();
  EXPECT_THAT(Titles(), ElementsAre("one", "two"));  // the MP3 track is left out
  EXPECT_EQ(view_.playlist_index, 0);
  EXPECT_EQ(presenter_->State().table.TrackCount(), 2);
  EXPECT_EQ(presenter_->State().ListedCount, 2);
  EXPECT_EQ(view_.cursor_depth, 0);

  view_.playlist_index = -1;
  presenter_->Import1Click();
  EXPECT_FALSE(view_.IsCommandEnabled(Command::kImport1));
}

TEST_F(PresenterSourcesTest, ADroppedRmpPackageAddsItsTracks) {
  Start();
  const std::string rmp = temp_dir_.Path("list.rmp");
  fakes::WriteFile(rmp,
                   "<?xml version=\"1.0\"?>\n<PACKAGE>\n<TRACKLIST>\n<TRACK>\n"
                   "<TITLE>from the list</TITLE>\n<FILENAME>" +
                       Fixture("m4a/tagged.m4a") + "</FILENAME>\n</TRACK>\n</TRACKLIST>\n");
  presenter_->FilesDropped({rmp, temp_dir_.Path("list.rmp")});
  EXPECT_THAT(Titles(), ElementsAre("from the list", "from the list"));
  EXPECT_TRUE(view_.boxes.empty());
}

TEST_F(PresenterSourcesTest, TheCardIsImportedOnRequestAndAutomatically) {
  AddCard(false);
  WriteLibrary({{"Library", {1}}});
  Start();
  presenter_->Timer1Timer();
  EXPECT_EQ(presenter_->Rows().RowCount(), 0);  // automatic import is off
  EXPECT_TRUE(view_.IsCommandEnabled(Command::kDest1));

  presenter_->FilesDropped({Fixture("m4a/japanese.m4a")});
  view_.playlist_index = 0;
  view_.confirm_answers = {false};
  presenter_->Dest1Click();
  EXPECT_EQ(presenter_->Rows().RowCount(), 1);

  view_.confirm_answers = {true};
  presenter_->Dest1Click();
  EXPECT_EQ(presenter_->Rows().RowCount(), 3);  // the management file is not a song
  EXPECT_EQ(presenter_->State().totals.Count, 3);
  EXPECT_EQ(view_.playlist_index, -1);
  EXPECT_FALSE(view_.IsCommandEnabled(Command::kImport1));
  EXPECT_EQ(view_.focused_rows.back(), 0);
  EXPECT_EQ(presenter_->State().ListedCount, 3);
}

TEST_F(PresenterSourcesTest, StartUpAndRefreshImportSilentlyIntoAnEmptyList) {
  AddCard(true);
  Start();
  presenter_->Timer1Timer();
  EXPECT_EQ(presenter_->Rows().RowCount(), 3);
  EXPECT_TRUE(view_.boxes.empty());

  // With songs listed, a refresh does not import.
  presenter_->FilesDropped({Fixture("m4a/japanese.m4a")});
  presenter_->Refresh1Click();
  EXPECT_EQ(presenter_->Rows().RowCount(), 4);

  // A vanished folder disables the command; the import does nothing.
  std::filesystem::remove_all(card_->root + "/PRIVATE");
  presenter_->Refresh1Click();
  EXPECT_FALSE(view_.IsCommandEnabled(Command::kDest1));
  presenter_->Dest1Click();
  EXPECT_EQ(presenter_->Rows().RowCount(), 4);
}

}  // namespace
}  // namespace tarvello
