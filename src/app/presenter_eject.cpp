// Ejecting the chosen card: offered for removable volumes only; a refusal changes nothing
// but a box, a success takes the card off the drive box.

#include "app/main_presenter.h"

namespace tarvello {
namespace {

constexpr const char* kEjectRefused = "カードを取り出せませんでした.";
constexpr const char* kPowerOffRefused =
    "カードのマウントは解除しましたが, 電源を切れませんでした.";

bool IsRemovable(const TDriveInfo& drive) {
  const auto icon = static_cast<DriveIcon>(drive.IconIndex);
  return icon == DriveIcon::kRemovable || icon == DriveIcon::kFloppy;
}

}  // namespace

void MainPresenter::SetVolumeEjector(VolumeEjector* ejector) {
  ejector_ = ejector;
  UpdateEjectEnabling();
}

void MainPresenter::UpdateEjectEnabling() {
  const TDriveInfo* drive = SelectedDrive();
  view_.SetCommandEnabled(Command::kEject1,
                          ejector_ != nullptr && drive != nullptr && IsRemovable(*drive));
  // The commands that act on the chosen card follow the choice together.
  UpdateCardCommands();
}

void MainPresenter::Eject1Click() {
  RunCommand([&] {
    const TDriveInfo* drive = SelectedDrive();
    if (ejector_ == nullptr || drive == nullptr || !IsRemovable(*drive)) return;
    EjectResult result;
    {
      const auto cursor = view_.ShowWaitCursor();
      result = ejector_->Eject(drive->Root);
    }
    if (!result.unmounted) {
      view_.ShowInformation(std::string(kEjectRefused) + "\r\n" + result.refusal);
      return;
    }
    RefreshAfterEject();
    if (!result.refusal.empty()) {
      view_.ShowInformation(std::string(kPowerOffRefused) + "\r\n" + result.refusal);
    }
  });
}

void MainPresenter::RefreshAfterEject() {
  const auto cursor = view_.ShowWaitCursor();
  LoadDriveList();
  // The card has left the list; nothing is chosen unless another volume took its place.
  state_.CurrentDrive = SelectedDriveIndex();
  ShowDriveStatus();
  UpdateDestEnabling();
  ShowOutputSummary(true);
}

}  // namespace tarvello
