// The eject command: offered only for a chosen removable volume; an eject takes the card
// off the drive box, a refusal shows the system's reason and changes nothing else.

#include <string>

#include "app/presenter_fixture.h"
#include "fakes/fake_ejector.h"
#include "output/drives.h"

namespace tarvello {
namespace {

using fakes::FakeEjector;

class EjectTest : public PresenterTest {
 protected:
  EjectTest()
      : card_(fake_.volumes.AddTemp("CARD", DriveType::kRemovable)),
        disk_(fake_.volumes.AddTemp("DISK", DriveType::kFixed)),
        ejector_(fake_.volumes) {
    fakes::WriteFile(card_.root + "/PRIVATE/AU/DF/D_SD/SDS_0000.3G2", "song");
    WriteIni("OUTDRV = " + card_.root + "\r\n");
  }

  MainPresenter& StartWithEjector() {
    MainPresenter& presenter = Start();
    presenter.SetVolumeEjector(&ejector_);
    return presenter;
  }

  int IndexOf(const fakes::FakeVolume& volume) const {
    return FindDrive(presenter_->State().drives, volume.root);
  }

  void Choose(const fakes::FakeVolume& volume) {
    view_.drive_index = IndexOf(volume);
    presenter_->cbxDrivesChange(view_.drive_index);
  }

  fakes::FakeVolume& card_;
  fakes::FakeVolume& disk_;
  FakeEjector ejector_;
};

TEST_F(EjectTest, OfferedOnlyForAChosenRemovableVolume) {
  auto& floppy = fake_.volumes.AddTemp("FLOPPY", DriveType::kRemovable);
  floppy.floppy = true;
  auto& ram = fake_.volumes.AddTemp("RAM", DriveType::kRamDisk);
  Start();
  EXPECT_FALSE(view_.IsCommandEnabled(Command::kEject1));  // no way to eject given

  presenter_->SetVolumeEjector(&ejector_);
  EXPECT_TRUE(view_.IsCommandEnabled(Command::kEject1));
  Choose(disk_);
  EXPECT_FALSE(view_.IsCommandEnabled(Command::kEject1));
  Choose(card_);
  EXPECT_TRUE(view_.IsCommandEnabled(Command::kEject1));
  Choose(ram);
  EXPECT_FALSE(view_.IsCommandEnabled(Command::kEject1));
  Choose(floppy);
  EXPECT_TRUE(view_.IsCommandEnabled(Command::kEject1));

  // Nothing chosen: nothing to eject, and the command does nothing.
  view_.drive_index = -1;
  presenter_->cbxDrivesChange(-1);
  EXPECT_FALSE(view_.IsCommandEnabled(Command::kEject1));
  presenter_->Eject1Click();
  EXPECT_TRUE(ejector_.asked.empty());
}

TEST_F(EjectTest, AnEjectedCardLeavesTheDriveBox) {
  StartWithEjector();
  ASSERT_EQ(view_.drive_index, IndexOf(card_));
  ASSERT_TRUE(view_.IsCommandEnabled(Command::kDest1));
  ASSERT_NE(view_.status[1], "");

  presenter_->Eject1Click();
  EXPECT_EQ(ejector_.asked, std::vector<std::string>{card_.root});
  ASSERT_EQ(view_.drive_items.size(), 1u);
  EXPECT_EQ(view_.drive_items[0].caption, "DISK");
  EXPECT_EQ(view_.drive_index, -1);
  EXPECT_EQ(presenter_->State().CurrentDrive, -1);
  EXPECT_EQ(view_.status[1], "");
  EXPECT_FALSE(view_.IsCommandEnabled(Command::kEject1));
  EXPECT_FALSE(view_.IsCommandEnabled(Command::kDest1));
  EXPECT_FALSE(view_.IsCommandEnabled(Command::kExecute1));
  EXPECT_TRUE(view_.boxes.empty());
  EXPECT_EQ(view_.cursor_depth, 0);
}

TEST_F(EjectTest, ARefusalShowsTheSystemsReasonAndChangesNothingElse) {
  StartWithEjector();
  ejector_.unmount_refusal = "Error unmounting /dev/sdb1: target is busy";
  const auto items = view_.drive_items.size();
  const std::string status = view_.status[1];
  const int lists = fake_.volumes.list_calls;
  const int measures = fake_.volumes.measure_calls;

  presenter_->Eject1Click();
  ASSERT_EQ(view_.boxes.size(), 1u);
  EXPECT_EQ(view_.boxes[0],
            "カードを取り出せませんでした.\r\nError unmounting /dev/sdb1: target is busy");
  EXPECT_EQ(fake_.volumes.list_calls, lists);
  EXPECT_EQ(fake_.volumes.measure_calls, measures);
  EXPECT_EQ(view_.drive_items.size(), items);
  EXPECT_EQ(view_.drive_index, IndexOf(card_));
  EXPECT_EQ(view_.status[1], status);
  EXPECT_TRUE(view_.IsCommandEnabled(Command::kEject1));
  EXPECT_TRUE(view_.IsCommandEnabled(Command::kDest1));
  EXPECT_EQ(view_.cursor_depth, 0);
}

TEST_F(EjectTest, ARefusedPowerOffStillRefreshesAndSaysWhy) {
  StartWithEjector();
  ejector_.power_off_refusal = "Not authorized to perform operation";
  presenter_->Eject1Click();
  EXPECT_EQ(view_.drive_items.size(), 1u);
  EXPECT_EQ(view_.drive_index, -1);
  ASSERT_EQ(view_.boxes.size(), 1u);
  EXPECT_EQ(view_.boxes[0],
            "カードのマウントは解除しましたが, 電源を切れませんでした.\r\n"
            "Not authorized to perform operation");
}

}  // namespace
}  // namespace tarvello
