// Whole folders added through the presenter: rows shown a slice at a time, the progress
// dialog with its cancel, the song limit, and folders that cannot be read.

#include <gmock/gmock.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "app/presenter_fixture.h"

namespace tarvello {
namespace {

namespace fs = std::filesystem;

class PresenterFolderTest : public PresenterTest {
 protected:
  // `discs` folders "Disc 1".."Disc N" of `songs` songs each, named "1 song.m4a".. so that
  // byte order and natural order differ; with a cover and a text file in each. The
  // songs in natural order.
  std::vector<std::string> MakeAlbum(int discs, int songs) {
    const char* sources[] = {"tagged.m4a", "japanese.m4a", "faststart.m4a"};
    std::vector<std::string> natural;
    for (int disc = 1; disc <= discs; ++disc) {
      const std::string folder = music_.Path("Disc " + std::to_string(disc));
      fs::create_directories(folder);
      for (int song = 1; song <= songs; ++song) {
        const std::string path = folder + "/" + std::to_string(song) + " song.m4a";
        fakes::LinkOrCopy(Fixture(std::string("m4a/") + sources[(disc + song) % 3]), path);
        natural.push_back(path);
      }
      fakes::WriteFile(folder + "/cover.jpg", "jpeg");
      fakes::WriteFile(folder + "/notes.txt", "notes");
    }
    return natural;
  }

  std::vector<std::string> ListedFiles() const {
    std::vector<std::string> files;
    const TrackList& rows = presenter_->Rows();
    for (int row = 0; row < rows.RowCount(); ++row) {
      files.emplace_back(FieldText(presenter_->State().table[rows.TableIndex(row)].FileName));
    }
    return files;
  }

  // Every slice of work shows its rows, and the dialog opens at once.
  void SliceBySong() {
    presenter_->SetFolderAddingPace({std::chrono::milliseconds(0), std::chrono::milliseconds(0)});
  }

  TempDir music_;
};

TEST_F(PresenterFolderTest, ASmallFolderIsListedInOneGoWithoutADialog) {
  const std::vector<std::string> natural = MakeAlbum(2, 12);
  Start();
  view_.folder_choices.push_back(music_.path());
  presenter_->AddFolder1Click();
  EXPECT_EQ(view_.progress_dialogs, 0);
  EXPECT_EQ(ListedFiles(), natural);
  EXPECT_EQ(view_.appended, (std::vector<std::pair<int, int>>{{0, 23}}));
  EXPECT_EQ(view_.status[1], "4 個の音楽でないファイルを飛ばしました.");
}

TEST_F(PresenterFolderTest, ASlicedAddShowsRowsInStepsAndEndsAsAddingTheFilesOneByOne) {
  const std::vector<std::string> natural = MakeAlbum(3, 110);
  Start();
  SliceBySong();
  view_.folder_choices.push_back(music_.path());
  std::vector<int> positions;
  std::vector<int> rows_seen;
  view_.progress.press_cancel = [&](const testing::RecordingProgress& progress) {
    positions.push_back(progress.position);
    rows_seen.push_back(presenter_->Rows().RowCount());
    return false;
  };
  presenter_->AddFolder1Click();

  EXPECT_EQ(view_.progress_dialogs, 1);
  EXPECT_EQ(ListedFiles(), natural);
  EXPECT_EQ(presenter_->Rows().RowCount(), presenter_->State().table.TrackCount());
  // The rows came in many appends, each one following on from the last.
  ASSERT_GT(view_.appended.size(), 10u);
  EXPECT_EQ(view_.appended.front().first, 0);
  for (size_t i = 1; i < view_.appended.size(); ++i) {
    EXPECT_EQ(view_.appended[i].first, view_.appended[i - 1].second + 1);
  }
  EXPECT_EQ(view_.appended.back().second, 329);
  // The bar and the list only grow, and the bar ends full.
  EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
  EXPECT_TRUE(std::is_sorted(rows_seen.begin(), rows_seen.end()));
  EXPECT_EQ(view_.progress.position, 330);
  EXPECT_EQ(view_.progress.maximum, 330);
  EXPECT_TRUE(view_.progress.ShowedLabel("フォルダを読んでいます... 64 曲  Disc 1"));
  EXPECT_TRUE(view_.progress.ShowedLabel("追加しています... 1 / 330 曲  Disc 1"));
  EXPECT_TRUE(view_.progress.ShowedLabel("追加しています... 330 / 330 曲  Disc 3"));
  EXPECT_EQ(view_.status[1], "6 個の音楽でないファイルを飛ばしました.");
  EXPECT_TRUE(view_.boxes.empty());

  // The same files added one by one through the add command give the same list.
  RecordingView one_by_one_view;
  MainPresenter one_by_one(fake_.platform, one_by_one_view, NumberSymbols{},
                           std::make_unique<ByteOrderCollator>());
  one_by_one.FormCreate({1024, 768});
  one_by_one_view.file_choices.push_back(natural);
  one_by_one.Add1Click();
  ASSERT_EQ(one_by_one.Rows().RowCount(), presenter_->Rows().RowCount());
  for (int row = 0; row < one_by_one.Rows().RowCount(); ++row) {
    EXPECT_EQ(one_by_one.Rows().Row(row).caption, presenter_->Rows().Row(row).caption) << row;
    EXPECT_EQ(one_by_one.Rows().Row(row).sub_items, presenter_->Rows().Row(row).sub_items) << row;
    EXPECT_EQ(one_by_one.Rows().Row(row).icon, presenter_->Rows().Row(row).icon) << row;
  }
  EXPECT_EQ(one_by_one_view.status[0], view_.status[0]);
  EXPECT_EQ(one_by_one_view.focused_rows, view_.focused_rows);
}

TEST_F(PresenterFolderTest, ACancelKeepsTheRowsAddedSoFarAndStopsTheOtherDroppedPaths) {
  const std::vector<std::string> natural = MakeAlbum(2, 120);
  Start();
  SliceBySong();
  // Cancelled while the folder is still being walked: nothing is added.
  view_.progress.press_cancel = [](const testing::RecordingProgress&) { return true; };
  view_.folder_choices.push_back(music_.path());
  presenter_->AddFolder1Click();
  EXPECT_EQ(presenter_->Rows().RowCount(), 0);
  EXPECT_EQ(presenter_->State().table.TrackCount(), 0);
  EXPECT_EQ(view_.progress.maximum, 0);
  EXPECT_EQ(view_.status[1], "キャンセルしました. 0 曲を追加しました.");

  // Cancelled while adding: the rows so far stay, in order, each with its record.
  view_.progress.cancel = false;
  view_.progress.press_cancel = [&](const testing::RecordingProgress&) {
    return presenter_->Rows().RowCount() >= 150;
  };
  presenter_->FilesDropped({music_.path(), Fixture("m4a/tagged.m4a")});
  const std::vector<std::string> listed = ListedFiles();
  ASSERT_EQ(listed.size(), 150u);
  EXPECT_EQ(presenter_->State().table.TrackCount(), 150);
  EXPECT_EQ(listed, std::vector<std::string>(natural.begin(), natural.begin() + 150));
  EXPECT_EQ(view_.status[1],
            "キャンセルしました. 150 曲を追加しました. 4 個の音楽でないファイルを飛ばしました.");
  EXPECT_EQ(view_.focused_rows, std::vector<int>{0});
  EXPECT_TRUE(view_.boxes.empty());

  // The list stays usable: the next add goes on below the kept rows.
  view_.progress.press_cancel = nullptr;
  view_.progress.cancel = false;
  presenter_->FilesDropped({Fixture("m4a/tagged.m4a")});
  EXPECT_EQ(presenter_->Rows().RowCount(), 151);
  EXPECT_EQ(ListedFiles().back(), Fixture("m4a/tagged.m4a"));
}

TEST_F(PresenterFolderTest, TheSongLimitEndsAFolderInsideItsDialogWithOneBox) {
  const std::string big = music_.Path("big");
  fs::create_directories(big);
  for (int song = 0; song < kMaxTracks + 3; ++song) {
    fakes::LinkOrCopy(Fixture("m4a/faststart.m4a"), big + "/" + std::to_string(song) + ".m4a");
  }
  Start();
  presenter_->SetFolderAddingPace({std::chrono::milliseconds(0), std::chrono::milliseconds(20)});
  // The box comes once the rows before it are listed.
  int rows_at_box = -1;
  view_.progress.on_message = [&](const std::string&) {
    rows_at_box = presenter_->Rows().RowCount();
  };
  presenter_->FilesDropped({big, Fixture("m4a/tagged.m4a")});
  EXPECT_EQ(rows_at_box, kMaxTracks);

  EXPECT_EQ(presenter_->Rows().RowCount(), kMaxTracks);
  EXPECT_EQ(presenter_->State().table.TrackCount(), kMaxTracks);
  EXPECT_EQ(view_.progress.messages, std::vector<std::string>{"表示できるのは最大 10000 曲です."});
  EXPECT_TRUE(view_.boxes.empty());
  EXPECT_FALSE(view_.IsCommandEnabled(Command::kAdd1));
  EXPECT_EQ(ListedFiles().back(), big + "/9999.m4a");
}

TEST_F(PresenterFolderTest, FoldersThatCannotBeReadGetOneLine) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads every folder";
  Start();
  MakeAlbum(3, 2);
  fs::permissions(music_.Path("Disc 2"), fs::perms::none);
  fs::permissions(music_.Path("Disc 3"), fs::perms::none);
  presenter_->FilesDropped({music_.path()});
  fs::permissions(music_.Path("Disc 2"), fs::perms::owner_all);
  fs::permissions(music_.Path("Disc 3"), fs::perms::owner_all);
  EXPECT_EQ(presenter_->Rows().RowCount(), 2);
  EXPECT_EQ(view_.status[1],
            "2 個の音楽でないファイルを飛ばしました. 2 個のフォルダが読めません: " +
                music_.Path("Disc 2") + " ほか");
  EXPECT_TRUE(view_.boxes.empty());
}

}  // namespace
}  // namespace tarvello
