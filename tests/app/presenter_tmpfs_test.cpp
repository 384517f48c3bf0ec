// A small tmpfs stands in for the card: the real volume layer must list it, measure it,
// and the main window must choose it at start-up and show its status.

#include <sys/mount.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "app/presenter_fixture.h"
#include "fakes/tmpfs_card.h"
#include "platform/posix/posix_volumes.h"

namespace tarvello {
namespace {

class TmpfsCardTest : public PresenterTest {
 protected:
  void SetUp() override {
    if (::geteuid() != 0) GTEST_SKIP() << "mounting a tmpfs card needs root; skipped";
    card_ = std::make_unique<fakes::TmpfsCard>();
    if (!card_->mounted()) GTEST_SKIP() << "this system refused to mount a tmpfs; skipped";
  }

  std::unique_ptr<fakes::TmpfsCard> card_;
};

TEST_F(TmpfsCardTest, TheRealVolumeLayerListsAndMeasuresTheCard) {
  PosixVolumes volumes;
  const std::vector<VolumeEntry> listed = volumes.List();
  const auto card = std::find_if(listed.begin(), listed.end(),
                                 [&](const VolumeEntry& v) { return v.root == card_->root(); });
  ASSERT_NE(card, listed.end());
  EXPECT_EQ(card->type, DriveType::kRamDisk);
  const std::string last = card_->root().substr(card_->root().rfind('/') + 1);
  EXPECT_EQ(card->display_name, last + " (" + card_->root() + ")");

  const std::optional<VolumeSpace> space = volumes.Measure(card_->root());
  ASSERT_TRUE(space.has_value());
  EXPECT_EQ(space->total_bytes, 8 << 20);
  EXPECT_EQ(int64_t{space->bytes_per_sector} * space->sectors_per_cluster, ::getpagesize());
}

TEST_F(TmpfsCardTest, TheWindowChoosesTheCardAndShowsItsStatus) {
  PosixVolumes volumes;
  Platform real{volumes, fake_.files, fake_.environment};
  fakes::WriteFile(card_->root() + "/PRIVATE/AU/DF/D_SD/SDS_0000.3G2", "x");
  WriteIni("OUTDRV = " + card_->root() + "\r\n");
  MainPresenter presenter(real, view_, NumberSymbols{}, std::make_unique<ByteOrderCollator>());
  presenter.FormCreate({1024, 768});

  ASSERT_GE(view_.drive_index, 0);
  EXPECT_EQ(presenter.State().drives.entries[view_.drive_index].Root, card_->root());
  const std::string name = presenter.State().drives.entries[view_.drive_index].Name;
  EXPECT_EQ(view_.status[1],
            name + ": 出力可能領域 8.00 MB （空き 8.00 MB＋使用 4.0 KB）/ 容量 8.00 MB");
  EXPECT_TRUE(view_.IsCommandEnabled(Command::kDest1));
}

TEST_F(TmpfsCardTest, SongsReachTheCardThroughTheRealVolumeLayer) {
  PosixVolumes volumes;
  Platform real{volumes, fake_.files, fake_.environment};
  const std::string folder = card_->root() + "/PRIVATE/AU/DF/D_SD";
  fakes::WriteFile(folder + "/SDS_0007.3G2", "old song");
  WriteIni("OUTDRV = " + card_->root() + "\r\nAUTDST = 0\r\n");
  MainPresenter presenter(real, view_, NumberSymbols{}, std::make_unique<ByteOrderCollator>());
  presenter.FormCreate({1024, 768});
  presenter.FilesDropped({Fixture("m4a/tagged.m4a"), Fixture("m4a/japanese.m4a")});
  view_.confirm_answers.push_back(true);

  presenter.Execute1Click();

  EXPECT_EQ(view_.progress.messages.back(), "出力先フォルダへ 2 曲を出力しました.");
  EXPECT_EQ(fakes::ReadFile(folder + "/SDS_0000.3G2"), fakes::ReadFile(Fixture("m4a/tagged.m4a")));
  EXPECT_EQ(fakes::ReadFile(folder + "/SD_F_000.MGR").size(), 9632u);
  EXPECT_FALSE(std::filesystem::exists(folder + "/SDS_0007.3G2"));
  EXPECT_EQ(fakes::ReadFile(presenter.State().BackupFolder + "/SDS_0007.3G2"), "old song");
  EXPECT_EQ(fake_.files.sync_calls, 1);
}

TEST_F(TmpfsCardTest, ACardUnmountedBehindTheWindowsBackGetsNothingOnTheDiskBeneath) {
  PosixVolumes volumes;
  Platform real{volumes, fake_.files, fake_.environment};
  WriteIni("OUTDRV = " + card_->root() + "\r\nAUTDST = 0\r\n");
  MainPresenter presenter(real, view_, NumberSymbols{}, std::make_unique<ByteOrderCollator>());
  presenter.FormCreate({1024, 768});
  presenter.FilesDropped({Fixture("m4a/tagged.m4a")});
  ASSERT_EQ(::umount2(card_->root().c_str(), MNT_DETACH), 0);
  view_.confirm_answers.push_back(true);

  presenter.Execute1Click();

  EXPECT_EQ(view_.progress_dialogs, 0);
  EXPECT_TRUE(std::filesystem::is_empty(card_->root()));
  const std::string name = presenter.State().drives.entries[view_.drive_index].Name;
  EXPECT_EQ(view_.status[1], name + ": メディアが挿入されていません.");
}

}  // namespace
}  // namespace tarvello
