#pragma once

// The backup commands of the main window: the backup dialog (put a backup back onto the
// card, delete backups) and keeping only the newest backup folders after a run.

#include <string>

#include "app/app_state.h"
#include "app/card_options.h"
#include "app/main_view.h"
#include "platform/platform.h"

namespace tarvello {

class BackupCommands {
 public:
  BackupCommands(Platform& platform, MainView& view, AppState& state, const CardOptions& options)
      : platform_(platform), view_(view), state_(state), options_(options) {}

  // Shows the backup dialog until the user closes it or puts a backup back onto `drive`
  // (nullptr: no card chosen, nothing fits). True when the card's folder was changed, so
  // the caller reads it in.
  bool ShowBackups(const TDriveInfo* drive);

  // After an output run: deletes all but the newest backup folders, as the option says.
  void KeepNewest();

 private:
  std::string Location() const;
  BackupDialogRequest Request(const TDriveInfo* drive) const;
  void Delete(const std::string& name);
  bool Restore(const TDriveInfo& drive, const std::string& name);

  Platform& platform_;
  MainView& view_;
  AppState& state_;
  const CardOptions& options_;
};

}  // namespace tarvello
