// The backup commands through the presenter: only the newest backups stay after a run, the
// dialog deletes one after confirmation, and putting one back reads the folder in.

#include <gmock/gmock.h>

#include <filesystem>
#include <map>
#include <string>

#include "app/presenter_fixture.h"
#include "output/backup_restore.h"

namespace tarvello {
namespace {

using ::testing::ElementsAre;

class PresenterBackupTest : public PresenterTest {
 protected:
  std::vector<std::string> BackupNames() {
    std::vector<std::string> names;
    for (const BackupRow& row : view_.backup_requests.back().rows) names.push_back(row.name);
    return names;
  }
};

TEST_F(PresenterBackupTest, KeepsTheNewestBackupsDeletesOneAndPutsOneBack) {
  fakes::WriteFile(program_dir_.Path("tarvello-extra.ini"), "backups_to_keep=2\n");
  fakes::FakeVolume& card = fake_.volumes.AddTemp("CARD");
  WriteIni("OUTDRV = " + card.root + "\r\nAUTDST = 0\r\n");
  Start();
  const std::string folder = card.root + "/PRIVATE/AU/DF/D_SD";
  for (const char* song :
       {"m4a/tagged.m4a", "m4a/japanese.m4a", "m4a/faststart.m4a", "m4a/tagged.m4a"}) {
    presenter_->FilesDropped({Fixture(song)});
    view_.confirm_answers.push_back(true);
    presenter_->Execute1Click();
  }
  // Three runs found songs to back up; two backups stay.
  view_.backup_answers.push_back(std::nullopt);
  presenter_->Restore1Click();
  EXPECT_THAT(BackupNames(), ElementsAre("20231114_3", "20231114_2"));
  EXPECT_TRUE(view_.backup_requests.back().rows[0].fits);
  EXPECT_EQ(view_.backup_requests.back().rows[0].songs, 3);

  // Delete the older one (confirmed), then put the newer one back (confirmed).
  view_.backup_requests.clear();
  view_.backup_answers = {BackupChoice{BackupChoice::Action::kDelete, 1},
                          BackupChoice{BackupChoice::Action::kRestore, 0}};
  view_.confirm_answers = {true, true};
  presenter_->Restore1Click();

  ASSERT_EQ(view_.backup_requests.size(), 2u);
  EXPECT_THAT(BackupNames(), ElementsAre("20231114_3"));
  EXPECT_EQ(view_.progress.messages.back(), RestoredText(4));
  // The folder holds the three songs of the third run again, and the list shows them.
  EXPECT_EQ(presenter_->Rows().RowCount(), 3);
  for (int row = 0; row < presenter_->Rows().RowCount(); ++row) {
    EXPECT_EQ(presenter_->Rows().Row(row).sub_items[kSubFileName].rfind(folder + "/SDS_000", 0),
              0u);
  }
}

TEST_F(PresenterBackupTest, ARefusedConfirmationChangesNothing) {
  fakes::FakeVolume& card = fake_.volumes.AddTemp("CARD");
  WriteIni("OUTDRV = " + card.root + "\r\nAUTDST = 0\r\n");
  fakes::WriteFile(program_dir_.Path("Backup/20231101/SDS_0000.3G2"), "old");
  Start();
  view_.backup_answers = {BackupChoice{BackupChoice::Action::kRestore, 0},
                          BackupChoice{BackupChoice::Action::kDelete, 0}, std::nullopt};
  view_.confirm_answers = {false, false};

  presenter_->Restore1Click();

  EXPECT_EQ(view_.backup_requests.size(), 3u);
  EXPECT_EQ(view_.progress_dialogs, 0);
  EXPECT_EQ(fakes::ReadFile(program_dir_.Path("Backup/20231101/SDS_0000.3G2")), "old");
}

}  // namespace
}  // namespace tarvello

namespace tarvello {
namespace {

// A backup goes back only where an output may go: a card folder that a link leads off the
// card is refused with the output's message, before anything is backed up or copied.
TEST_F(PresenterBackupTest, ARestoreRefusesAFolderThatALinkLeadsOffTheCard) {
  fakes::FakeVolume& card = fake_.volumes.AddTemp("CARD");
  WriteIni("OUTDRV = " + card.root + "\r\nAUTDST = 0\r\n");
  fakes::WriteFile(program_dir_.Path("Backup/20231101/SDS_0000.3G2"), "old");
  fakes::TempDir elsewhere;
  fakes::WriteFile(elsewhere.Path("AU/DF/D_SD/mine.txt"), "keep me");
  std::filesystem::create_directory_symlink(elsewhere.path(), card.root + "/PRIVATE");
  Start();
  view_.backup_answers = {BackupChoice{BackupChoice::Action::kRestore, 0}, std::nullopt};
  view_.confirm_answers = {true};

  presenter_->Restore1Click();

  EXPECT_THAT(view_.boxes, ElementsAre("出力先フォルダが出力先ドライブの外にあります.\r\n" +
                                       card.root + "/PRIVATE/AU/DF/D_SD"));
  EXPECT_EQ(view_.progress_dialogs, 0);
  EXPECT_EQ(fakes::FolderContents(elsewhere.path()),
            (std::map<std::string, std::string>{{"AU/DF/D_SD/mine.txt", "keep me"}}));
}

}  // namespace
}  // namespace tarvello
