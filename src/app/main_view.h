#pragma once

// What the presenter asks of the main window. The Qt window implements it; tests use a
// recording fake. Texts are UTF-8.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/option_form_values.h"
#include "app/version_info.h"
#include "catalogue/track_properties.h"
#include "output/card_capacity.h"
#include "output/drive_list.h"
#include "output/output_progress.h"

namespace tarvello {

// Every menu command whose enabling the presenter maintains. Tool buttons are never
// disabled and have no entry here.
enum class Command {
  kAdd1,
  kImport1,
  kDest1,
  kExecute1,
  kEject1,
  kRestore1,
  kProperty1,
  kExit1,
  kCheck1,
  kUncheck1,
  kDelete1,
  kSelectAll1,
  kSelectNon1,
  kOption1,
  kUnOrder1,
  kRefresh1,
  kAbout1,
  kProperty2,
  kCheck2,
  kUncheck2,
  kDelete2,
};

// The window's outer rectangle.
struct WindowGeometry {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// Restores the previous cursor when it goes out of scope.
class CursorGuard {
 public:
  virtual ~CursorGuard() = default;
};

// The answer of a Yes / No / Cancel box; closing the box or Escape is kCancel.
// One row of the backup dialog.
struct BackupRow {
  std::string name;  // the folder's name: "20231114_2"
  std::string date;  // "2023/11/14"
  int songs = 0;
  std::string size;   // the total size as a text
  bool fits = false;  // fits on the chosen card in place of its output folder
};

struct BackupDialogRequest {
  std::vector<BackupRow> rows;  // newest first
  std::string location;         // the folder that holds them
  // The space all backups take on the disk (files they share count once), formatted.
  std::string disk_size;
};

// What the user chose in the backup dialog: a row to put back or to delete.
struct BackupChoice {
  enum class Action { kRestore, kDelete };
  Action action = Action::kRestore;
  int row = -1;
};

enum class YesNoCancel { kYes, kNo, kCancel };

// The file dialog's settings.
struct OpenFileRequest {
  std::string title;
  std::string filter;  // "name|patterns|name|patterns|..."
  bool multiple = true;
};

class MainView {
 public:
  virtual ~MainView() = default;

  // Window and controls.
  virtual void SetCaption(const std::string& caption) = 0;
  virtual void PlaceWindow(const WindowGeometry& geometry) = 0;
  virtual void SetColumnWidth(int column, int width) = 0;
  virtual void SetOutDirLabel(const std::string& text) = 0;
  virtual void SetStatusText(int panel, const std::string& text) = 0;
  virtual void SetCommandEnabled(Command command, bool enabled) = 0;
  virtual void ArmStartupTimer(int milliseconds) = 0;
  virtual void AcceptDroppedFiles() = 0;

  // Drive combo box.
  virtual void SetDriveItems(const std::vector<DriveItem>& items) = 0;
  virtual void SetDriveIndex(int index) = 0;  // -1: nothing selected
  virtual int DriveIndex() const = 0;

  // Playlist combo box.
  virtual bool PlaylistBoxEnabled() const = 0;
  virtual int PlaylistIndex() const = 0;
  virtual void SetPlaylistIndex(int index) = 0;
  // Replaces the items; nothing is selected afterwards.
  virtual void SetPlaylistItems(const std::vector<std::string>& names) = 0;
  // Enables or greys the box and its label (with the box's colour).
  virtual void SetPlaylistBoxEnabled(bool enabled) = 0;
  // Each item's text width in pixels in the box's font, in item order.
  virtual std::vector<int> PlaylistItemWidths() const = 0;
  virtual int VerticalScrollBarWidth() const = 0;
  virtual void SetPlaylistDropDownWidth(int width) = 0;

  // Song list: the presenter tells the view what changed in its rows.
  virtual void RowsAppended(int first, int last) = 0;
  virtual void RowsChanged(int first, int last) = 0;
  virtual void RowsReset() = 0;
  // The rows are about to change places (a sort), and have done so; the count stays.
  // Selection and focus stay with the rows that move.
  virtual void RowsAboutToMove() = 0;
  virtual void RowsMoved() = 0;
  virtual void HeaderImagesChanged() = 0;
  // Gives the list the input focus if it lacks it, makes `row` the focused row without
  // changing the selection, and scrolls it into view.
  virtual void FocusRow(int row) = 0;
  virtual std::vector<int> SelectedRows() const = 0;

  // Boxes and dialogs.
  virtual void ShowInformation(const std::string& text) = 0;
  virtual bool Confirm(const std::string& text) = 0;  // OK / Cancel; true for OK
  // A confirmation box with Yes (the default), No and Cancel.
  virtual YesNoCancel AskYesNoCancel(const std::string& text) = 0;
  virtual std::optional<std::vector<std::string>> ChooseFiles(const OpenFileRequest& request) = 0;
  // A folder chosen in the folder dialog; nullopt when the user cancelled.
  virtual std::optional<std::string> ChooseFolder(const std::string& title) = 0;
  // The modal dialogs of the properties, options and About commands, made afresh each time.
  virtual void ShowPropertyDialog(const TrackProperties& properties) = 0;
  // The values confirmed with OK; nullopt for anything else.
  virtual std::optional<OptionFormValues> ShowOptionDialog(const OptionDialogRequest& request) = 0;
  // The capacity bar: its figures and its tool-tip (the status panels' texts).
  virtual void SetCapacity(const CardCapacity& capacity, const std::string& tooltip) = 0;
  // The backup dialog: returns what the user chose, or nullopt when it was closed.
  virtual std::optional<BackupChoice> ShowBackupDialog(const BackupDialogRequest& request) = 0;
  virtual void ShowAboutDialog(const std::optional<VersionInfo>& version) = 0;

  // Long work.
  virtual std::unique_ptr<CursorGuard> ShowWaitCursor() = 0;
  // Shows a new progress dialog modally; `work` runs once the dialog is visible, and the
  // dialog closes when `work` returns.
  virtual void RunWithProgress(const std::function<void(OutputProgress&)>& work) = 0;
  virtual void ProcessEvents() = 0;
  // Runs `work` on the window's thread once the current event is handled. May be called
  // from any thread; work for a window that is gone is dropped.
  virtual void CallSoon(std::function<void()> work) = 0;
};

}  // namespace tarvello
