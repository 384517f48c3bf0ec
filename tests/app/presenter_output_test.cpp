// The output command through the presenter: its checks, the confirmation, the run in the
// progress dialog and the refresh afterwards.

#include <gmock/gmock.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/presenter_fixture.h"
#include "output/management_files.h"

namespace tarvello {
namespace {

using fakes::TempDir;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr const char* kConfirm =
    "出力先フォルダが存在しない場合フォルダを作成します.\r\n"
    "出力先フォルダ内のファイルは置き換えられます.\r\n\r\n出力を実行しますか？";

class PresenterOutputTest : public PresenterTest {
 protected:
  // A card chosen at start-up, with two songs in the list.
  void StartWithCard(VolumeSpace space = {64 << 20, 32 << 20, 512, 8}) {
    card_ = &fake_.volumes.AddTemp("CARD", DriveType::kRemovable, space);
    WriteIni("OUTDRV = " + card_->root + "\r\nAUTDST = 0\r\n");
    Start();
    presenter_->FilesDropped({Fixture("m4a/tagged.m4a"), Fixture("m4a/japanese.m4a")});
    view_.boxes.clear();
  }
  std::string Folder() const { return card_->root + "/PRIVATE/AU/DF/D_SD"; }

  fakes::FakeVolume* card_ = nullptr;
};

TEST_F(PresenterOutputTest, ConfirmedOutputWritesTheCardAndRefreshesTheWindow) {
  StartWithCard();
  EXPECT_FALSE(view_.IsCommandEnabled(Command::kDest1));
  view_.confirm_answers.push_back(true);

  presenter_->Execute1Click();

  EXPECT_THAT(view_.boxes, ElementsAre(kConfirm));
  EXPECT_EQ(view_.progress_dialogs, 1);
  EXPECT_EQ(view_.progress.messages.back(), "出力先フォルダへ 2 曲を出力しました.");
  EXPECT_EQ(fakes::ReadFile(Folder() + "/SDS_0001.3G2"),
            fakes::ReadFile(Fixture("m4a/japanese.m4a")));
  const auto mgr = ParseManagementFile(fakes::ReadFile(Folder() + "/SD_F_000.MGR"));
  ASSERT_TRUE(mgr.has_value());
  EXPECT_EQ(mgr->entries[0].title, "Sine in A");
  // The refreshed status counts the songs now in the folder; the import command follows it.
  EXPECT_NE(view_.status[1].find("＋使用 36.0 KB"), std::string::npos) << view_.status[1];
  EXPECT_TRUE(view_.IsCommandEnabled(Command::kDest1));
  EXPECT_EQ(view_.cursor_depth, 0);
  // The rows still list the songs' own paths.
  EXPECT_EQ(presenter_->Rows().Row(0).sub_items[kSubFileName], Fixture("m4a/tagged.m4a"));
}

TEST_F(PresenterOutputTest, AMountChangeDuringTheRunIsFollowedOnceTheRunHasEnded) {
  StartWithCard();
  view_.confirm_answers.push_back(true);
  const size_t listed = view_.drive_items.size();
  std::vector<size_t> listed_during_run;
  view_.progress.press_cancel = [&](const testing::RecordingProgress&) {
    if (listed_during_run.empty()) fake_.volumes.AddTemp("STICK");
    presenter_->VolumesChanged();
    listed_during_run.push_back(view_.drive_items.size());
    return false;
  };

  presenter_->Execute1Click();

  ASSERT_GT(listed_during_run.size(), 1u);
  for (const size_t count : listed_during_run) EXPECT_EQ(count, listed);
  EXPECT_EQ(view_.drive_items.size(), listed + 1);
  EXPECT_EQ(presenter_->State().drives.entries[view_.drive_index].Root, card_->root);
  EXPECT_EQ(view_.progress.messages.back(), "出力先フォルダへ 2 曲を出力しました.");
}

TEST_F(PresenterOutputTest, TheFitIsThePresentersOwnNotTheMenusState) {
  // A window whose menu keeps every command enabled still gets the refusal.
  view_.ignores_enabling = true;
  StartWithCard({64 << 20, 8192, 512, 8});
  presenter_->Execute1Click();
  EXPECT_THAT(view_.boxes, ElementsAre("出力先の空き領域が十分ではありません.\r\n"
                                       "出力対象曲を減らしてください."));
  EXPECT_EQ(view_.progress_dialogs, 0);
}

TEST_F(PresenterOutputTest, CancelInTheConfirmationWritesNothing) {
  StartWithCard();
  view_.confirm_answers.push_back(false);
  presenter_->Execute1Click();
  EXPECT_THAT(view_.boxes, ElementsAre(kConfirm));
  EXPECT_EQ(view_.progress_dialogs, 0);
  EXPECT_FALSE(std::filesystem::exists(Folder()));
}

TEST_F(PresenterOutputTest, SongsThatDoNotFitAreRefusedWithAMessage) {
  // A volume that measures but reads a capacity of 0 (ramfs) is a medium without room.
  for (const VolumeSpace& space :
       {VolumeSpace{64 << 20, 8192, 512, 8}, VolumeSpace{0, 0, 512, 8}}) {
    StartWithCard(space);
    presenter_->Execute1Click();
    EXPECT_THAT(view_.boxes, ElementsAre("出力先の空き領域が十分ではありません.\r\n"
                                         "出力対象曲を減らしてください."));
    EXPECT_EQ(view_.progress_dialogs, 0);
  }
}

TEST_F(PresenterOutputTest, WithoutADriveOrWithoutMediumTheCommandEndsSilently) {
  Start();
  presenter_->FilesDropped({Fixture("m4a/tagged.m4a")});
  presenter_->Execute1Click();
  EXPECT_THAT(view_.boxes, IsEmpty());

  auto& card = fake_.volumes.AddTemp("EMPTY", DriveType::kRemovable);
  card.no_medium = true;
  WriteIni("OUTDRV = " + card.root + "\r\n");
  Start();
  presenter_->FilesDropped({Fixture("m4a/tagged.m4a")});
  presenter_->Execute1Click();
  EXPECT_THAT(view_.boxes, IsEmpty());
  EXPECT_EQ(view_.progress_dialogs, 0);
  EXPECT_EQ(view_.cursor_depth, 0);
}

TEST_F(PresenterOutputTest, AFolderThatALinkLeadsOffTheCardIsRefusedBeforeAnythingChanges) {
  StartWithCard();
  // The card's PRIVATE folder is a link to a folder of the user's disk.
  TempDir elsewhere;
  fakes::WriteFile(elsewhere.Path("AU/DF/D_SD/mine.txt"), "keep me");
  std::filesystem::create_directory_symlink(elsewhere.path(), card_->root + "/PRIVATE");

  presenter_->Execute1Click();

  EXPECT_THAT(view_.boxes,
              ElementsAre("出力先フォルダが出力先ドライブの外にあります.\r\n" + Folder()));
  EXPECT_EQ(view_.progress_dialogs, 0);
  EXPECT_EQ(fakes::FileNamesIn(elsewhere.path()), std::vector<std::string>{"AU/DF/D_SD/mine.txt"});
}

TEST_F(PresenterOutputTest, ACancelledCleanupSaysTheFolderIsIncompleteAndTheNextRunKeepsItsSongs) {
  card_ = &fake_.volumes.AddTemp("CARD", DriveType::kRemovable, {64 << 20, 32 << 20, 512, 8});
  WriteIni("OUTDRV = " + card_->root + "\r\nAUTDST = 0\r\nBACKUP = 0\r\n");
  Start();
  presenter_->FilesDropped({Fixture("m4a/tagged.m4a"), Fixture("m4a/japanese.m4a")});
  view_.confirm_answers = {true, true};
  presenter_->Execute1Click();
  presenter_->Dest1Click();  // the list now holds the card's own songs
  // Cancel once two files of the folder have been dealt with.
  view_.progress = testing::RecordingProgress{};
  view_.progress.cancel_at_check = 3;
  view_.boxes.clear();
  view_.confirm_answers = {true};

  presenter_->Execute1Click();

  EXPECT_THAT(view_.boxes, ElementsAre(kConfirm,
                                       "出力が中断されたため、出力先フォルダは不完全です.\r\n"
                                       "出力を再実行すると完成します."));
  // A parked song's row names its temporary file, so it stays marked and is output again.
  int parked_rows = 0;
  for (int row = 0; row < presenter_->Rows().RowCount(); ++row) {
    const TrackRow& shown = presenter_->Rows().Row(row);
    EXPECT_TRUE(std::filesystem::exists(shown.sub_items[kSubFileName]));
    parked_rows += shown.sub_items[kSubFileName].find("/~RN") != std::string::npos;
  }
  EXPECT_GE(parked_rows, 1);
  view_.progress = testing::RecordingProgress{};
  view_.boxes.clear();
  view_.confirm_answers = {true};

  presenter_->Execute1Click();

  EXPECT_THAT(view_.boxes, ElementsAre(kConfirm));
  EXPECT_EQ(view_.progress.messages.back(), "出力先フォルダへ 2 曲を出力しました.");
  // Both songs are on the card, in the order the import listed them.
  EXPECT_THAT((std::vector<std::string>{fakes::ReadFile(Folder() + "/SDS_0000.3G2"),
                                        fakes::ReadFile(Folder() + "/SDS_0001.3G2")}),
              ::testing::UnorderedElementsAre(fakes::ReadFile(Fixture("m4a/tagged.m4a")),
                                              fakes::ReadFile(Fixture("m4a/japanese.m4a"))));
}

}  // namespace
}  // namespace tarvello
