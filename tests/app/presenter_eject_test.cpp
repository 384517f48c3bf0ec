// The eject command: offered only for a chosen removable volume, and a refused power-off
// after the unmount. The window's tests (tests/gui/eject_command_test.cpp) cover the eject
// and a refused unmount end to end.

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

TEST_F(EjectTest, ARefusedPowerOffStillRefreshesAndSaysWhy) {
  StartWithEjector();
  ejector_.power_off_refusal = "Not authorized to perform operation";
  presenter_->Eject1Click();
  EXPECT_EQ(view_.drive_items.size(), 1u);
  EXPECT_EQ(view_.drive_index, -1);
  EXPECT_EQ(presenter_->State().CurrentDrive, -1);
  EXPECT_FALSE(view_.IsCommandEnabled(Command::kEject1));
  EXPECT_FALSE(view_.IsCommandEnabled(Command::kDest1));
  ASSERT_EQ(view_.boxes.size(), 1u);
  EXPECT_EQ(view_.boxes[0],
            "カードのマウントは解除しましたが, 電源を切れませんでした.\r\n"
            "Not authorized to perform operation");
}

}  // namespace
}  // namespace tarvello
