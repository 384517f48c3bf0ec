// The players' playlists through the presenter: listed after the library's, kept
// selected across a refresh, imported with the library import's question, and playlist
// files dropped on the window.

#include <gmock/gmock.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/presenter_fixture.h"
#include "sources/library_builder.h"

namespace tarvello {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

class PresenterPlayersTest : public PresenterTest {
 protected:
  PresenterPlayersTest() { fake_.environment.variables["XDG_DATA_HOME"] = data_.path(); }

  std::string LibraryPath() const {
    return program_dir_.path() + "/Documents/My Music/iTunes/iTunes Music Library.xml";
  }
  void WriteRhythmbox(const std::string& playlists) {
    fakes::WriteFile(data_.Path("rhythmbox/playlists.xml"),
                     "<?xml version=\"1.0\"?>\n<rhythmdb-playlists>\n" + playlists +
                         "</rhythmdb-playlists>\n");
  }
  std::string Static(const std::string& name, const std::vector<std::string>& paths) const {
    std::string xml = "<playlist name=\"" + name + "\" type=\"static\">\n";
    for (const std::string& path : paths) xml += "<location>file://" + path + "</location>\n";
    return xml + "</playlist>\n";
  }
  // The window's start, then the timer tick that lists the players.
  void StartAndTick() {
    Start();
    presenter_->Timer1Timer();
  }
  size_t RowCount() const { return static_cast<size_t>(presenter_->Rows().RowCount()); }

  fakes::TempDir data_;
};

TEST_F(PresenterPlayersTest, PlayerPlaylistsFollowTheLibrarysAndKeepTheirSelection) {
  const std::string song = "file://localhost" + Fixture("m4a/tagged.m4a");
  fakes::WriteFile(LibraryPath(), testing::BuildLibrary({{1, "one", "AAC audio file", song}},
                                                        {{"Library", {1}}}));
  WriteRhythmbox(Static("Drive", {}) + "<playlist name=\"Queue\" type=\"queue\"/>\n" +
                 Static("走る", {}));
  Start();
  EXPECT_THAT(view_.playlist_items, ElementsAre("Library"));  // the window starts without them
  view_.playlist_index = 0;
  presenter_->Timer1Timer();
  EXPECT_EQ(view_.playlist_index, 0);
  EXPECT_TRUE(view_.playlist_enabled);
  EXPECT_THAT(view_.playlist_items, ElementsAre("Library", "Drive (Rhythmbox)", "走る (Rhythmbox)"));

  // A refresh reads the players again and keeps the chosen playlist by its label.
  WriteRhythmbox(Static("New", {}) + Static("走る", {}));
  view_.playlist_index = 2;
  presenter_->Refresh1Click();
  EXPECT_THAT(view_.playlist_items, ElementsAre("Library", "New (Rhythmbox)", "走る (Rhythmbox)"));
  EXPECT_EQ(view_.playlist_index, 2);

  // With no library, the players' playlists alone enable the box.
  std::filesystem::remove(LibraryPath());
  presenter_->Refresh1Click();
  EXPECT_TRUE(view_.playlist_enabled);
  EXPECT_THAT(view_.playlist_items, ElementsAre("New (Rhythmbox)", "走る (Rhythmbox)"));
  std::filesystem::remove(data_.Path("rhythmbox/playlists.xml"));
  presenter_->Refresh1Click();
  EXPECT_FALSE(view_.playlist_enabled);
}

TEST_F(PresenterPlayersTest, ImportAsksThenReplacesOrAppendsWithOneSummary) {
  WriteRhythmbox(Static("Mix", {Fixture("m4a/tagged.m4a"), "/nowhere/gone.m4a",
                                Fixture("m4a/japanese.m4a")}));
  StartAndTick();
  presenter_->FilesDropped({Fixture("m4a/tagged.m4a")});
  ASSERT_EQ(RowCount(), 1u);
  view_.playlist_index = 0;
  view_.boxes.clear();

  view_.yes_no_cancel_answers = {YesNoCancel::kCancel};
  presenter_->Import1Click();
  EXPECT_EQ(RowCount(), 1u);
  ASSERT_EQ(view_.boxes.size(), 1u);
  EXPECT_THAT(view_.boxes[0], HasSubstr("プレイリスト 'Mix (Rhythmbox)' を読み込みます."));

  view_.yes_no_cancel_answers = {YesNoCancel::kNo};
  presenter_->Import1Click();
  EXPECT_EQ(RowCount(), 3u);
  EXPECT_EQ(view_.playlist_index, -1);
  ASSERT_EQ(view_.boxes.size(), 3u);  // the question and one summary
  EXPECT_THAT(view_.boxes[2], HasSubstr("3 項目のうち 2 項目を追加しました."));
  EXPECT_THAT(view_.boxes[2], HasSubstr("/nowhere/gone.m4a"));

  view_.playlist_index = 0;
  view_.yes_no_cancel_answers = {YesNoCancel::kYes};
  presenter_->Import1Click();
  EXPECT_EQ(RowCount(), 2u);
}

TEST_F(PresenterPlayersTest, ADroppedM3u8AddsItsSongsWithOneBox) {
  Start();
  const std::string list = data_.Path("list.m3u8");
  fakes::WriteFile(list, "#EXTM3U\n" + Fixture("m4a/tagged.m4a") + "\nhttp://x.example/a\n" +
                             Fixture("m4a/japanese.m4a") + "\n");
  presenter_->FilesDropped({list});
  EXPECT_EQ(RowCount(), 2u);
  ASSERT_EQ(view_.boxes.size(), 1u);
  EXPECT_THAT(view_.boxes[0], HasSubstr("3 項目のうち 2 項目を追加しました."));
}

}  // namespace
}  // namespace tarvello
