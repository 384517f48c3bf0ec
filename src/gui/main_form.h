#pragma once

// TMainForm: the main window. It shows what the presenter tells it and forwards every
// command, list, drive and drop event to the presenter; it decides nothing itself.

#include <QMainWindow>
#include <array>
#include <memory>
#include <optional>

#include "app/card_sync_view.h"
#include "app/main_presenter.h"
#include "app/main_view.h"
#include "gui/card_profile_dialog.h"
#include "gui/dialogs.h"
#include "gui/image_list.h"
#include "gui/option_form.h"

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QMenu;
class QTimer;
class QToolButton;
class QTreeView;

namespace tarvello {

class DesktopNotifier;
class DriveComboBox;
class PlaylistComboBox;
class StatusBar;
class TrackListModel;
class TrackListView;
class UpdateBar;

inline constexpr int kCommandCount = static_cast<int>(Command::kDelete2) + 1;

class TMainForm : public QMainWindow, public MainView, public CardSyncView {
  Q_OBJECT

 public:
  explicit TMainForm(Platform& platform, QWidget* parent = nullptr);
  ~TMainForm() override;

  // Runs the start-up steps (FormCreate); call once, before showing the window.
  void Start();

  // Test seam: answers the boxes and the file dialog instead of showing them.
  void SetDialogResponder(DialogResponder responder);
  // Every box and file dialog asked for so far.
  const std::vector<DialogRequest>& DialogHistory() const { return dialogs_.History(); }

  // Test seam: chooses the folder for the options dialog's "..." button instead of the
  // real folder chooser.
  void SetFolderChooser(FolderChooser chooser) { folder_chooser_ = std::move(chooser); }
  const MainPresenter& Presenter() const { return *presenter_; }
  // Test seam: how soon a folder's adding shows its progress dialog and how often its rows.
  void SetFolderAddingPace(FolderAddingPace pace) { presenter_->SetFolderAddingPace(pace); }
  // Test seam: the conversion helper, and how long an add waits for its answers.
  void SetConversionHelper(HelperOptions helper, std::chrono::milliseconds probe_wait) {
    presenter_->SetConversionHelper(std::move(helper));
    presenter_->SetProbeWait(probe_wait);
  }
  // The eject command's way to the system (not owned); without one the command stays
  // disabled.
  void SetVolumeEjector(VolumeEjector* ejector);
  // Follows mounts and unmounts through `watcher` (not owned) on the event loop.
  void WatchMounts(MountWatcher* watcher);
  // Where the update's notifications go (not owned); without one none are sent.
  void SetDesktopNotifier(DesktopNotifier* notifier) { notifier_ = notifier; }
  // Test seam: the card content dialog's playlist file and folder choices.
  void SetCardChoosers(CardProfileChoosers choosers) { card_choosers_ = std::move(choosers); }
  // Test seam: answers the card content dialog instead of showing it.
  using CardProfileResponder =
      std::function<std::optional<CardProfileForm>(const CardProfileRequest&)>;
  void SetCardProfileResponder(CardProfileResponder responder) {
    card_profile_responder_ = std::move(responder);
  }

  QAction* CommandAction(Command command) const;
  bool IsCommandEnabled(Command command) const;
  const ImageList& Images() const { return ImageList1_; }

  // MainView.
  void SetCaption(const std::string& caption) override;
  void PlaceWindow(const WindowGeometry& geometry) override;
  void SetColumnWidth(int column, int width) override;
  void SetOutDirLabel(const std::string& text) override;
  void SetStatusText(int panel, const std::string& text) override;
  void SetCommandEnabled(Command command, bool enabled) override;
  void ArmStartupTimer(int milliseconds) override;
  void AcceptDroppedFiles() override;
  void SetDriveItems(const std::vector<DriveItem>& items) override;
  void SetDriveIndex(int index) override;
  int DriveIndex() const override;
  bool PlaylistBoxEnabled() const override;
  int PlaylistIndex() const override;
  void SetPlaylistIndex(int index) override;
  void SetPlaylistItems(const std::vector<std::string>& names) override;
  void SetPlaylistBoxEnabled(bool enabled) override;
  std::vector<int> PlaylistItemWidths() const override;
  int VerticalScrollBarWidth() const override;
  void SetPlaylistDropDownWidth(int width) override;
  void RowsAppended(int first, int last) override;
  void RowsChanged(int first, int last) override;
  void RowsReset() override;
  void RowsAboutToMove() override;
  void RowsMoved() override;
  void HeaderImagesChanged() override;
  void FocusRow(int row) override;
  std::vector<int> SelectedRows() const override;
  void ShowInformation(const std::string& text) override;
  bool Confirm(const std::string& text) override;
  YesNoCancel AskYesNoCancel(const std::string& text) override;
  std::optional<std::vector<std::string>> ChooseFiles(const OpenFileRequest& request) override;
  void ShowPropertyDialog(const TrackProperties& properties) override;
  std::optional<OptionFormValues> ShowOptionDialog(const OptionDialogRequest& request) override;
  void SetCapacity(const CardCapacity& capacity, const std::string& tooltip) override;
  std::optional<BackupChoice> ShowBackupDialog(const BackupDialogRequest& request) override;
  void ShowAboutDialog(const std::optional<VersionInfo>& version) override;
  std::unique_ptr<CursorGuard> ShowWaitCursor() override;
  void ProcessEvents() override;
  std::optional<std::string> ChooseFolder(const std::string& title) override;
  void CallSoon(std::function<void()> work) override;
  void RunWithProgress(const std::function<void(OutputProgress&)>& work) override;

  // CardSyncView.
  void SetCardContentEnabled(bool enabled) override;
  std::optional<CardProfileForm> ShowCardProfileDialog(const CardProfileRequest& request) override;
  void ShowUpdateBar(const std::string& text, const std::string& details) override;
  void HideUpdateBar() override;
  bool AskChoice(const std::string& text, const std::string& accept) override;
  bool WindowActive() const override;
  bool Notify(const std::string& summary, const std::string& body) override;

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  QAction* MakeAction(Command command, const char* name, const char* caption,
                      const QKeySequence& shortcut, void (MainPresenter::*handler)());
  void CreateActions();
  void CreateMenus();
  void CreatePopupMenu();
  void CreateToolBar(QWidget* client);
  void CreateUpdateBar(QWidget* client);
  CardProfileChoosers CardChoosers();
  void CreateControls(QWidget* client);
  void WireListEvents();
  void ApplyPlacement();
  void FollowFrame();
  void FormResize();
  void FormDestroy();

  ImageList ImageList1_;
  Dialogs dialogs_;
  std::unique_ptr<MainPresenter> presenter_;
  std::array<QAction*, kCommandCount> actions_{};

  QWidget* client_ = nullptr;
  QFrame* Panel1_ = nullptr;
  QLabel* Label1_ = nullptr;
  QLabel* Label2_ = nullptr;
  PlaylistComboBox* cbPlayLists_ = nullptr;
  QWidget* ToolBar1_ = nullptr;
  TrackListView* lvTrackInfo_ = nullptr;
  TrackListModel* model_ = nullptr;
  DriveComboBox* cbxDrives_ = nullptr;
  QLabel* lbOutDir_ = nullptr;
  StatusBar* StatusBar1_ = nullptr;
  QMenu* PopupMenu1_ = nullptr;
  QTimer* Timer1_ = nullptr;
  FolderChooser folder_chooser_;
  QAction* CardContent1_ = nullptr;
  UpdateBar* UpdateBar1_ = nullptr;
  DesktopNotifier* notifier_ = nullptr;
  CardProfileChoosers card_choosers_;
  CardProfileResponder card_profile_responder_;

  std::optional<WindowGeometry> placement_;
  bool started_ = false;
  bool shown_ = false;
  bool frame_known_ = false;  // the placement was applied with the window manager's frame
  bool closing_ = false;
  bool destroyed_ = false;
};

}  // namespace tarvello
