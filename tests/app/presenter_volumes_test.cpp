// The drive box following mounts through the presenter, over fake volumes.

#include <gmock/gmock.h>

#include "app/presenter_fixture.h"

namespace tarvello {
namespace {

class PresenterVolumesTest : public PresenterTest {};

TEST_F(PresenterVolumesTest, TheBoxFollowsVolumesAndAGoneCardShowsAsWithoutMedium) {
  fakes::FakeVolume& disk = fake_.volumes.AddTemp("DISK", DriveType::kFixed);
  WriteIni("OUTDRV = " + disk.root + "\r\nAUTDST = 0\r\n");
  Start();
  presenter_->FilesDropped({Fixture("m4a/tagged.m4a")});
  ASSERT_EQ(view_.drive_index, 0);

  // A new card while another volume is chosen: listed, not chosen.
  fakes::FakeVolume& card = fake_.volumes.AddTemp("CARD");
  presenter_->VolumesChanged();
  EXPECT_EQ(view_.drive_items.size(), 2u);
  EXPECT_EQ(presenter_->State().drives.entries[view_.drive_index].Root, disk.root);

  // The chosen volume goes: no choice, the no-medium text at once, no output.
  disk.removed = true;
  presenter_->VolumesChanged();
  EXPECT_EQ(view_.drive_items.size(), 1u);
  EXPECT_EQ(view_.drive_index, -1);
  EXPECT_EQ(view_.status[1], "DISK: メディアが挿入されていません.");
  EXPECT_FALSE(view_.capacity.known);
  EXPECT_FALSE(view_.IsCommandEnabled(Command::kExecute1));
  const size_t boxes = view_.boxes.size();
  presenter_->Execute1Click();
  EXPECT_EQ(view_.boxes.size(), boxes);
  EXPECT_EQ(view_.progress_dialogs, 0);

  // Nothing chosen: a newly inserted card is, and measured as if picked in the box.
  card.removed = true;
  presenter_->VolumesChanged();
  card.removed = false;
  presenter_->VolumesChanged();
  EXPECT_EQ(presenter_->State().drives.entries[view_.drive_index].Root, card.root);
  EXPECT_EQ(view_.status[1].rfind("CARD: ", 0), 0u) << view_.status[1];
  EXPECT_TRUE(view_.IsCommandEnabled(Command::kExecute1));
  // The capacity bar follows: the card's figures, the status texts as its tool-tip.
  EXPECT_TRUE(view_.capacity.known);
  EXPECT_TRUE(view_.capacity.fits);
  EXPECT_GT(view_.capacity.songs, 0);
  EXPECT_EQ(view_.capacity_tooltip.rfind(view_.status[1] + "\n" + view_.status[0], 0), 0u);

  // A fixed volume coming back is listed but not chosen over the card.
  disk.removed = false;
  presenter_->VolumesChanged();
  EXPECT_EQ(presenter_->State().drives.entries[view_.drive_index].Root, card.root);
}

}  // namespace
}  // namespace tarvello
