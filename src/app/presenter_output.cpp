// The output command: the checks before the run, the confirmation, the run inside the
// progress dialog, and the refresh afterwards.

#include <exception>

#include "app/main_presenter.h"
#include "output/drives.h"
#include "output/output_folder_rule.h"
#include "output/output_messages.h"
#include "output/output_run.h"

namespace tarvello {

void MainPresenter::Execute1Click() {
  ExecuteOutput();
}

void MainPresenter::ExecuteOutput() {
  RunCommand([&] {
    const auto cursor = view_.ShowWaitCursor();
    if (SelectedDriveIndex() < 0) return;
    ShowDriveStatus();
    ShowOutputSummary(true);
    const TDriveInfo* drive = SelectedDrive();
    if (state_.totals.Count == 0 || drive == nullptr || !drive->HasMedium) return;
    // A link inside the card must not carry the cleanup and the songs to another place.
    const std::string refusal =
        OutputFolderRefusal(platform_.volumes, drive->Root, state_.settings.options.OutDir);
    if (!refusal.empty()) {
      view_.ShowInformation(refusal);
      return;
    }
    if (!view_.IsCommandEnabled(Command::kExecute1)) {
      view_.ShowInformation(kNotEnoughRoom);
      return;
    }
    if (!view_.Confirm(kConfirmOutput)) return;

    const TOutputOptions& options = state_.settings.options;
    const OutputRunSettings settings{OutputFolderPath(drive->Root, options.OutDir), options,
                                     state_.BackupFolder};
    // An error inside the dialog's event handler must not cross the event loop; it is
    // reported once the dialog has closed and the window is refreshed.
    std::exception_ptr error;
    view_.RunWithProgress([&](OutputProgress& progress) {
      try {
        if (!WaitForMarkedConversions(progress)) return;
        RunOutput(settings, state_.rows, state_.table, platform_, state_.temp_names, progress);
      } catch (...) {
        error = std::current_exception();
      }
    });
    ShowDriveStatus();
    FollowOutputFolder();
    if (error) std::rethrow_exception(error);
  });
}

}  // namespace tarvello
