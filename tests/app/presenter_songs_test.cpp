// Adding songs through the add command and dropped files, the first-new-row focus, the
// messages for files that are not songs, the song limit, sorting and the summary.

#include <stdlib.h>

#include <cerrno>
#include <clocale>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "app/presenter_fixture.h"

namespace tarvello {
namespace {

class PresenterSongsTest : public PresenterTest {
 protected:
  std::string Song(const std::string& name) const { return Fixture("m4a/" + name); }
  // Files of the temporary folder that are left behind.
  size_t TempFileCount() const {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(temp_dir_.path()),
                                             std::filesystem::directory_iterator()));
  }
};

TEST_F(PresenterSongsTest, AddedSongsAppearMarkedAtTheBottomWithTheFirstNewRowFocused) {
  Start();
  view_.file_choices.push_back(std::vector<std::string>{Song("tagged.m4a"), Song("japanese.m4a")});
  presenter_->Add1Click();

  ASSERT_EQ(view_.file_requests.size(), 1u);
  EXPECT_EQ(view_.file_requests[0].title, "追加");
  EXPECT_TRUE(view_.file_requests[0].filter.ends_with(
      "|AAC ファイル (*.m4a)|*.m4a|XML ファイル (*.xml, *.rmp)|*.xml;*.rmp|"
      "すべてのファイル (*.*)|*.*"));
  const TrackList& rows = presenter_->Rows();
  ASSERT_EQ(rows.RowCount(), 2);
  EXPECT_EQ(rows.Row(0).caption, "Sine in A");
  EXPECT_EQ(rows.Row(1).caption, "春の海");
  EXPECT_EQ(rows.Row(1).sub_items[9], Song("japanese.m4a"));
  EXPECT_EQ(rows.Row(0).icon, kIconMarked);
  EXPECT_EQ(view_.focused_rows, std::vector<int>{0});
  EXPECT_TRUE(view_.boxes.empty());

  const OutputTotals& totals = presenter_->State().totals;
  EXPECT_EQ(totals.Count, 2);
  EXPECT_EQ(totals.Bytes, 12823 + 6441);
  // No drive chosen: nothing is rounded; one management file.
  EXPECT_EQ(totals.Space, 12823 + 6441 + 9632);
  EXPECT_EQ(view_.status[0],
            "出力対象 2 / 2, 0:0" + std::to_string(totals.Seconds) + ", 18.8 KB 必要領域 28.2 KB");

  view_.file_choices.push_back(std::vector<std::string>{Song("faststart.m4a")});
  presenter_->Add1Click();
  EXPECT_EQ(view_.focused_rows, (std::vector<int>{0, 2}));
  EXPECT_EQ(presenter_->State().ListedCount, 3);
  EXPECT_EQ(view_.cursor_depth, 0);
}

TEST_F(PresenterSongsTest, FilesThatAreNotSongsOrCannotBeOpenedAreReportedWithTheirPath) {
  // With conversion off, songs the walk refuses are refused as they always were.
  fakes::WriteFile(program_dir_.Path("conversion.ini"), "[Conversion]\nEnabled=0\n");
  Start();
  const std::string missing = temp_dir_.Path("gone.m4a");
  presenter_->FilesDropped(
      {Song("isom_brand.m4a"), missing, Song("movie_after_media.m4a"), Song("tagged.m4a")});
  // One box names every refused file with its reason, in the order they were given.
  ASSERT_EQ(view_.boxes.size(), 1u);
  EXPECT_EQ(view_.boxes[0],
            "3 個のファイルを追加できませんでした.\r\n\r\n" + Song("isom_brand.m4a") +
                "\r\n追加できる曲情報ではありません. (形式: メジャーブランドが isom です)"
                "\r\n\r\n" +
                missing + "\r\nファイルがオープンできません.\r\n\r\n" +
                Song("movie_after_media.m4a") +
                "\r\n追加できる曲情報ではありません. "
                "(ムービーボックスがメディアデータの後ろにあります)");
  EXPECT_EQ(presenter_->Rows().RowCount(), 1);
  EXPECT_EQ(view_.focused_rows, std::vector<int>{0});
}

TEST_F(PresenterSongsTest, TheDialogPathsAreTrimmedWhenMissingAndACancelChangesNothing) {
  Start();
  view_.file_choices.push_back(std::nullopt);
  presenter_->Add1Click();
  EXPECT_EQ(presenter_->Rows().RowCount(), 0);
  EXPECT_TRUE(view_.focused_rows.empty());

  view_.file_choices.push_back(std::vector<std::string>{" \t" + Song("tagged.m4a") + " "});
  presenter_->Add1Click();
  ASSERT_EQ(presenter_->Rows().RowCount(), 1);
  EXPECT_EQ(presenter_->Rows().Row(0).sub_items[9], Song("tagged.m4a"));

  // A name that ends in a blank is a name of its own: it is trimmed only when it is missing.
  const std::string blank_end = temp_dir_.Path("x.m4a ");
  std::filesystem::copy_file(Song("japanese.m4a"), blank_end);
  std::filesystem::copy_file(Song("tagged.m4a"), temp_dir_.Path("x.m4a"));
  view_.file_choices.push_back(std::vector<std::string>{blank_end, temp_dir_.Path("x.m4a\t")});
  presenter_->Add1Click();
  ASSERT_EQ(presenter_->Rows().RowCount(), 3);
  EXPECT_EQ(presenter_->Rows().Row(1).sub_items[9], blank_end);
  EXPECT_NE(presenter_->Rows().Row(1).caption, presenter_->Rows().Row(0).caption);
  EXPECT_EQ(presenter_->Rows().Row(2).sub_items[9], temp_dir_.Path("x.m4a"));
  EXPECT_EQ(presenter_->Rows().Row(2).caption, presenter_->Rows().Row(0).caption);
}

TEST_F(PresenterSongsTest, TheSongLimitStopsTheAddingOnceAndDisablesTheAddCommand) {
  Start();
  std::vector<std::string> drop(kMaxTracks + 2, Song("japanese.m4a"));
  presenter_->FilesDropped(drop);
  EXPECT_EQ(presenter_->State().table.TrackCount(), kMaxTracks);
  EXPECT_EQ(presenter_->Rows().RowCount(), kMaxTracks);
  EXPECT_EQ(view_.boxes, std::vector<std::string>{"表示できるのは最大 10000 曲です."});
  EXPECT_FALSE(view_.IsCommandEnabled(Command::kAdd1));
  EXPECT_EQ(view_.focused_rows, std::vector<int>{0});

  // A locked file's copy is made before the limit is known; it does not stay behind.
  fake_.files.locked.insert(Song("tagged.m4a"));
  presenter_->FilesDropped({Song("tagged.m4a")});
  EXPECT_EQ(view_.boxes.size(), 2u);
  EXPECT_EQ(presenter_->State().temp_names.value(), 1);
  EXPECT_EQ(TempFileCount(), 0u);
}

// The C library's messages in Japanese for as long as it lives, as on a Japanese desktop.
// A Japanese locale is needed: under C.UTF-8 newer C libraries ignore LANGUAGE.
class JapaneseSystemMessages {
 public:
  JapaneseSystemMessages() {
    ::setenv("LANGUAGE", "ja", 1);
    available_ = std::setlocale(LC_ALL, "ja_JP.UTF-8") != nullptr;
  }
  ~JapaneseSystemMessages() {
    std::setlocale(LC_ALL, "C");
    ::unsetenv("LANGUAGE");
  }
  bool available() const { return available_; }

 private:
  bool available_ = false;
};

TEST_F(PresenterSongsTest, AReadErrorEndsTheAddingWithTheSystemsMessageInTheUsersLanguage) {
  Start();
  const JapaneseSystemMessages japanese;
  fake_.files.unreadable.insert(Song("japanese.m4a"));
  presenter_->FilesDropped({Song("tagged.m4a"), Song("japanese.m4a"), Song("faststart.m4a")});
  const std::string reason = std::system_category().message(EIO);
  EXPECT_EQ(view_.boxes, std::vector<std::string>{reason + "\r\n" + Song("japanese.m4a")});
  EXPECT_EQ(presenter_->Rows().RowCount(), 1);  // songs added before the error stay
  EXPECT_EQ(view_.focused_rows, std::vector<int>{0});
  if (!japanese.available()) {
    GTEST_SKIP() << "the ja_JP.UTF-8 locale is not generated (scripts/install-deps.sh makes it)";
  }
  EXPECT_EQ(reason, "入力/出力エラーです");
}

TEST_F(PresenterSongsTest, AddingForgetsTheSortAndClearsTheChosenPlaylist) {
  Start();
  presenter_->FilesDropped({Song("tagged.m4a"), Song("japanese.m4a")});
  presenter_->lvTrackInfoColumnClick(1);
  presenter_->lvTrackInfoColumnClick(1);
  EXPECT_EQ(presenter_->Rows().SortKey(), -13);
  EXPECT_EQ(presenter_->Rows().HeaderImage(1), kHeaderDescending);

  view_.playlist_enabled = true;
  view_.playlist_index = 2;
  view_.SetCommandEnabled(Command::kImport1, true);
  presenter_->FilesDropped({Song("faststart.m4a")});
  EXPECT_EQ(presenter_->Rows().SortKey(), kSortKeyAdditionOrder);
  EXPECT_EQ(presenter_->Rows().HeaderImage(1), kNoHeaderImage);
  EXPECT_EQ(view_.playlist_index, -1);
  EXPECT_FALSE(view_.IsCommandEnabled(Command::kImport1));

  presenter_->lvTrackInfoColumnClick(1);
  EXPECT_EQ(presenter_->Rows().SortKey(), 13);
  presenter_->UnOrder1Click();
  EXPECT_EQ(presenter_->Rows().Row(2).caption, "Faststart Tone");
}

TEST_F(PresenterSongsTest, AColumnClickWithOneRowDoesNothing) {
  Start();
  presenter_->FilesDropped({Song("tagged.m4a")});
  presenter_->lvTrackInfoColumnClick(2);
  EXPECT_EQ(presenter_->Rows().SortKey(), kSortKeyAdditionOrder);
  EXPECT_EQ(presenter_->Rows().HeaderImage(2), kNoHeaderImage);
}

TEST_F(PresenterSongsTest, TheOutputCommandFollowsTheFreeSpaceAndVanishedFilesLeaveTheTotals) {
  auto& card = fake_.volumes.AddTemp("CARD", DriveType::kRemovable, {1 << 20, 1 << 20, 512, 8});
  WriteIni("OUTDRV = " + card.root + "\r\n");
  Start();
  const std::string song = temp_dir_.Path("song.m4a");
  std::filesystem::copy_file(Song("tagged.m4a"), song);
  presenter_->FilesDropped({song, Song("japanese.m4a")});
  EXPECT_TRUE(view_.IsCommandEnabled(Command::kExecute1));
  // 4 KB clusters: 16384 + 8192 for the songs, 12288 for the management file.
  EXPECT_EQ(presenter_->State().totals.Space, 16384 + 8192 + 12288);

  card.space.free_bytes = 16384 + 8192 + 12288 - 1;
  presenter_->cbxDrivesChange(0);
  EXPECT_FALSE(view_.IsCommandEnabled(Command::kExecute1));

  std::filesystem::remove(song);
  presenter_->cbxDrivesChange(0);
  EXPECT_EQ(presenter_->Rows().Row(0).icon, kIconFileMissing);
  EXPECT_EQ(presenter_->State().totals.Count, 1);
  EXPECT_TRUE(view_.IsCommandEnabled(Command::kExecute1));
  EXPECT_EQ(view_.status[0].rfind("出力対象 1 / 2, ", 0), 0u);
}

}  // namespace
}  // namespace tarvello
