// The drive box: listing the volumes, measuring the chosen one, and what a change of
// drive sets off.

#include "app/main_presenter.h"
#include "output/drives.h"

namespace tarvello {

void MainPresenter::LoadDriveList() {
  const int previous = view_.DriveIndex();
  const std::string remembered = previous >= 0 && previous < state_.drives.DriveCount
                                     ? state_.drives.entries[previous].Root
                                     : std::string();
  view_.SetDriveIndex(-1);
  view_.SetDriveItems(tarvello::LoadDriveList(platform_.volumes, state_.drives));
  // The choice follows the volume: when it is gone, the old index would name another one.
  const int index = remembered.empty() ? -1 : FindDrive(state_.drives, remembered);
  state_.CurrentDrive = index;
  if (index >= 0) view_.SetDriveIndex(index);
  UpdateEjectEnabling();
  if (cards_) cards_->updates.DrivesChanged(state_.drives);
}

void MainPresenter::VolumesChanged() {
  held_events_.Handle(HeldEvent::kVolumesChanged, [this] { FollowVolumes(); });
}

void MainPresenter::FollowVolumes() {
  RunCommand([&] {
    const DriveList before = state_.drives;
    const int chosen = SelectedDriveIndex();
    const std::string chosen_root = chosen >= 0 ? before.entries[chosen].Root : std::string();
    view_.SetDriveIndex(-1);
    view_.SetDriveItems(tarvello::LoadDriveList(platform_.volumes, state_.drives));
    const DriveFollow follow = FollowDrives(before, chosen_root, state_.drives);
    state_.CurrentDrive = follow.index;
    if (follow.index >= 0) view_.SetDriveIndex(follow.index);
    UpdateEjectEnabling();
    FollowInsertedCards(before);
    if (follow.chosen_gone) {
      state_.DriveStatusText = NoMediumText(before.entries[chosen].Name);
      state_.DriveStatusNoMedium = true;
      view_.SetStatusText(1, state_.DriveStatusText);
      AllowOutput(false);
      view_.SetCommandEnabled(Command::kDest1, false);
      ShowOutputSummary(false);
      return;
    }
    if (follow.index < 0 || !chosen_root.empty()) return;
    // A card came and was chosen: as when the user picks it in the box.
    ShowDriveStatus();
    FollowOutputFolder();
    ShowOutputSummary(true);
  });
}

std::string MainPresenter::ChosenDriveRoot() const {
  const int index = SelectedDriveIndex();
  return index >= 0 && index == state_.CurrentDrive ? state_.drives.entries[index].Root
                                                    : std::string();
}

void MainPresenter::ShowDriveStatus() {
  state_.DriveStatusText.clear();
  state_.DriveStatusNoMedium = false;
  view_.SetStatusText(1, "");
  const int index = SelectedDriveIndex();
  if (index < 0) return;
  TDriveInfo& drive = state_.drives.entries[index];
  state_.DriveStatusText = MeasureDrive(drive, platform_.volumes, platform_.files,
                                        state_.settings.options.OutDir, state_.symbols);
  state_.DriveStatusNoMedium = !drive.HasMedium;
  view_.SetStatusText(1, state_.DriveStatusText);
}

bool MainPresenter::OutputFolderPresent() const {
  if (state_.CurrentDrive < 0 || state_.CurrentDrive >= state_.drives.DriveCount) return false;
  const TDriveInfo& drive = state_.drives.entries[state_.CurrentDrive];
  return drive.HasMedium && platform_.files.DirectoryExists(
                                OutputFolderPath(drive.Root, state_.settings.options.OutDir));
}

void MainPresenter::UpdateDestEnabling() {
  view_.SetCommandEnabled(Command::kDest1, OutputFolderPresent());
}

void MainPresenter::FollowOutputFolder() {
  const bool present = OutputFolderPresent();
  view_.SetCommandEnabled(Command::kDest1, present);
  if (present && state_.settings.options.AutoImport) ImportOutputFolder(true);
}

int MainPresenter::SelectedDriveIndex() const {
  const int index = view_.DriveIndex();
  return index >= 0 && index < state_.drives.DriveCount ? index : -1;
}

const TDriveInfo* MainPresenter::SelectedDrive() const {
  const int index = SelectedDriveIndex();
  return index >= 0 ? &state_.drives.entries[index] : nullptr;
}

int64_t MainPresenter::ClusterSize() const {
  const TDriveInfo* drive = SelectedDrive();
  return drive != nullptr ? drive->ClusterSize() : 0;
}

void MainPresenter::cbxDrivesChange(int index) {
  RunCommand([&] {
    const auto cursor = view_.ShowWaitCursor();
    state_.CurrentDrive = index;
    ShowDriveStatus();
    UpdateEjectEnabling();
    FollowOutputFolder();
    ShowOutputSummary(true);
    FollowChosenCard();
  });
}

}  // namespace tarvello
