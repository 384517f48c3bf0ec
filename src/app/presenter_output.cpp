// The output command: the checks before the run, the confirmation, the run inside the
// progress dialog, and the refresh afterwards.

#include <exception>

#include "app/main_presenter.h"
#include "output/drives.h"
#include "output/known_contents.h"
#include "output/output_folder_rule.h"
#include "output/output_messages.h"
#include "output/output_run.h"
#include "output/output_start_check.h"

namespace tarvello {

void MainPresenter::Execute1Click() {
  ExecuteOutput();
}

void MainPresenter::ExecuteOutput() {
  RunCommand([&] {
    const auto cursor = view_.ShowWaitCursor();
    if (SelectedDriveIndex() >= 0) {
      ShowDriveStatus();
      ShowOutputSummary(true);
    }
    const TDriveInfo* drive = SelectedDrive();
    const OutputStartBlock block = CheckOutputStart(drive, state_.totals, state_.rows);
    if (block != OutputStartBlock::kNone) {
      const StatusNotice notice = OutputStartNotice(block);
      if (!notice.text.empty()) view_.SetStatusText(notice.panel, notice.text);
      return;
    }
    const std::string& out_dir = state_.settings.options.OutDir;
    const OutputFolderBlock folder_block = CheckOutputFolder(drive, platform_.volumes, out_dir);
    if (folder_block != OutputFolderBlock::kNone) {
      view_.ShowInformation(
          OutputFolderRefusalText(folder_block, OutputFolderPath(drive->Root, out_dir)));
      return;
    }
    if (!state_.OutputAllowed && !FitMarkedSongs(*drive)) return;
    if (!view_.Confirm(kConfirmOutput)) return;

    const TOutputOptions& options = state_.settings.options;
    const OutputRunSettings settings{OutputFolderPath(drive->Root, options.OutDir), options,
                                     state_.BackupFolder, card_options_.verify(),
                                     DefaultHashCacheFolder(platform_.environment)};
    // An error inside the dialog's event handler must not cross the event loop; it is
    // reported once the dialog has closed and the window is refreshed.
    std::exception_ptr error;
    OutputRunResult result;
    {
      // The dialog lets events through for Cancel and repainting; those that would change
      // the list or the drives under the run wait until it has ended.
      const HeldEvents::Hold hold(held_events_);
      view_.RunWithProgress([&](OutputProgress& progress) {
        try {
          if (!WaitForMarkedConversions(progress)) return;
          result = RunOutput(settings, state_.rows, state_.table, platform_, state_.temp_names,
                             progress);
        } catch (...) {
          error = std::current_exception();
        }
      });
    }
    // The run renames the songs it parks and moves; the rows list their new names.
    if (state_.rows.RowCount() > 0) view_.RowsChanged(0, state_.rows.RowCount() - 1);
    if (result.incomplete && result.end == OutputRunEnd::kCancelled) {
      view_.ShowInformation(kIncompleteFolder);
    }
    ReleaseFittedSongs();
    if (!error) backups_.KeepNewest();
    ShowDriveStatus();
    FollowOutputFolder();
    if (error) std::rethrow_exception(error);
  });
}

void MainPresenter::Restore1Click() {
  RunCommand([&] {
    // Measured afresh: the dialog tells which backups fit.
    if (SelectedDriveIndex() >= 0) ShowDriveStatus();
    if (!backups_.ShowBackups(SelectedDrive())) return;
    ShowDriveStatus();
    ImportOutputFolder(true);
  });
}

}  // namespace tarvello
