#pragma once

// Everything the main window does, without the window: start-up, exit, the commands,
// the drive box and dropped files. The window forwards its events here and shows what
// the presenter tells it through MainView.

#include <array>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "app/app_state.h"
#include "app/backup_commands.h"
#include "app/card_options.h"
#include "app/card_sync.h"
#include "app/held_events.h"
#include "convert/conversion_queue.h"
#include "app/main_view.h"
#include "app/player_playlist_box.h"
#include "catalogue/tag_texts.h"
#include "catalogue/track_list.h"
#include "convert/conversion_queue.h"
#include "platform/platform.h"
#include "sources/add_files.h"
#include "sources/folder_adding.h"

namespace tarvello {

// The screen's available area: its size, then its origin (a top panel moves it down).
struct ScreenSize {
  int width = 0;
  int height = 0;
  int left = 0;
  int top = 0;
};

// What the window hands over at exit.
struct ExitGeometry {
  WindowGeometry window;
  std::array<int, kListColumnCount> column_widths{};
};

inline constexpr const char* kApplicationTitle = "Tarvello";
inline constexpr int kStartupTimerMilliseconds = 100;
// Short enough that an add of a file that keeps the helper busy does not hold the window.
inline constexpr int kProbeWaitMilliseconds = 300;

class MainPresenter {
 public:
  MainPresenter(Platform& platform, MainView& view, const NumberSymbols& symbols,
                std::unique_ptr<TextCollator> collator);
  ~MainPresenter();

  // Life cycle.
  void FormCreate(const ScreenSize& screen);
  void Timer1Timer();
  void FormDestroy(const ExitGeometry& geometry);

  // Commands.
  void Add1Click() { AddFilesDialog(); }
  void AddFolder1Click();
  void Import1Click();
  void Dest1Click();
  void Execute1Click();
  void Eject1Click();
  // The backup dialog: put a backup back onto the card, delete backups.
  void Restore1Click();
  void Property1Click();
  void Check1Click();
  void Uncheck1Click();
  void Delete1Click();
  // The toggle key of the list: marks the selected rows, or unmarks them when all are marked.
  void ToggleSelectedMarks();
  void Option1Click();
  void UnOrder1Click();
  void Refresh1Click();
  void About1Click();

  // List, drives, playlists and drops.
  void lvTrackInfoColumnClick(int column);
  // The selection changed: the edit commands follow it.
  void lvTrackInfoSelectItem();
  // A left click on a row's icon.
  void lvTrackInfoIconClick(int row);
  // Dragged rows dropped onto row `target_row`, or below the last row (-1). The view
  // selects and focuses what the result names.
  DropResult lvTrackInfoDragDrop(const std::vector<int>& selected, int target_row);
  void cbPlayListsDropDown();
  void cbPlayListsChange(int index);
  void cbxDrivesChange(int index);
  // Rebuilds the drive box; the chosen volume stays chosen while it is listed.
  void LoadDriveList();
  // A volume was mounted or unmounted: the drive box follows, a chosen card that went
  // away shows as without medium, and a newly inserted card is chosen when none was.
  void VolumesChanged();
  void FilesDropped(const std::vector<std::string>& paths);

  // Cards that keep themselves up to date (presenter_cards.cpp): ファイル → カードの内容…,
  // and the update bar's buttons.
  void CardContent1Click();
  void UpdateCardClick();
  void NotNowClick();
  // The card dialog, the update bar and notifications go through `view` (not owned);
  // without one cards are not followed.
  void SetCardSyncView(CardSyncView* view);
  // Test seam: waits until a card's plan under way has been handed to the window.
  void WaitForCardPlan();

  // The eject command works through `ejector` (not owned); without one it stays disabled.
  void SetVolumeEjector(VolumeEjector* ejector);
  // A folder's adding finishes within `pace.quiet` without its progress dialog and shows
  // its new rows after each `pace.slice` of work.
  void SetFolderAddingPace(FolderAddingPace pace) { folder_pace_ = pace; }

  // Worker threads of the conversion queue, taken when the queue is first needed; 0 means
  // one per core.
  void SetConversionThreads(int threads) { conversion_threads_ = threads; }
  // The helper program the queue uses (by default the one found beside the program).
  void SetConversionHelper(HelperOptions helper) { conversion_helper_ = std::move(helper); }
  // How long an add waits for the helper to say what its files are before their rows stay
  // as they are and take their tags later.
  void SetProbeWait(std::chrono::milliseconds wait) { probe_wait_ = wait; }

  const TrackList& Rows() const { return state_.rows; }
  const AppState& State() const { return state_; }

 private:
  // Start-up and exit.
  void SetStartupDefaults(const ScreenSize& screen);
  void ReadSettingsFile();
  void SelectStartupDrive(const std::string& root);
  void WriteSettingsFile(const ExitGeometry& geometry);

  // Drives.
  void FollowVolumes();
  void ShowDriveStatus();
  bool OutputFolderPresent() const;
  void UpdateDestEnabling();
  // The drive chosen in the drive box: its index (-1 for none) and entry (or nullptr).
  int SelectedDriveIndex() const;
  const TDriveInfo* SelectedDrive() const;
  int64_t ClusterSize() const;
  // The mount point of the volume chosen in the drive box; empty when none is.
  std::string ChosenDriveRoot() const;

  // Song sources: the library's playlists, the card's output folder, the refresh.
  void LoadPlaylists();
  void ImportPlaylist();
  void ImportOutputFolder(bool silent);
  void RefreshAll();
  // The output folder of the selected drive when the drive has a medium and the folder
  // exists; empty otherwise.
  std::string PresentOutputFolder() const;
  // Empties the table, the rows and the totals.
  void ClearSongList();
  // Shows the rows of records added since the last row, the summary and the readers'
  // messages.
  void ShowImportedRows(const std::vector<std::string>& messages);
  // The players' playlists after the library's: listed first after the start, appended to
  // the box's items at each refresh, the label of a box index among them, and the import.
  void ShowPlayerPlaylists();
  void AppendPlayerPlaylists(std::vector<std::string>& items);
  std::optional<std::string> PlayerLabelAt(int index) const;
  void ImportPlayerPlaylist(size_t index);
  // Clears the playlist selection when the list stops matching the playlist.
  void ForgetPlaylistSelection();
  // After a drive change or an output run: the import command follows the output
  // folder, and with automatic import on the folder is read in silently.
  void FollowOutputFolder();

  // Songs.
  void AddFilesDialog();
  void AddPaths(const std::vector<std::string>& paths, bool trim);
  // The adding of files into the table, its messages shown in boxes.
  AddContext NewAddContext();
  void ShowAddedRows();
  void FocusFirstNewRow();
  void SortRows(int code);
  void ShowOutputSummary(bool recount);
  // Enables the output command and remembers it, for the command's own check.
  void AllowOutput(bool allowed);

  // Conversion of songs the walk refuses, and whole folders (presenter_conversions.cpp).
  ConversionQueue& Conversions();
  std::string AddDialogFilter();
  // The options dialog's conversion page: the queue and the conversion settings' file.
  void StoreConversionSettings(const ConvertSettings& settings);
  bool AdmitForConversion(const std::string& path);
  // Files the helper looks at in the background (presenter_probes.cpp). An add waits up to
  // the probe wait for their answers; refused files leave the list and are added again
  // without conversion, in `context`.
  void SettleProbes(AddContext& context);
  void TakeRefusedProbes();
  void AddRefusedProbes(AddContext& context);
  // One box for an add whose files needed the missing helper program.
  void TellMissingHelper();
  // Adds a folder's songs; false when the adding was stopped.
  bool AddFolder(AddContext& context, const std::string& folder);
  // The rest of a folder's adding inside the progress dialog, until it ends or is cancelled.
  // `held` takes the adding's messages, shown in the dialog once their rows are.
  void AddFolderWithProgress(FolderAdding& adding, std::vector<std::string>& held,
                             OutputProgress& progress);
  // Results of the workers wait: they are taken now, or after a run that holds events.
  void ConversionsWaiting();
  void ConversionsArrived();
  void PrioritizeConversions();
  // The rows whose song's conversion moved on take its state, and only they are redrawn.
  void ShowConversionStates();
  // New rows first..last take their song's state, whenever its last change was heard.
  void TakeConversionStates(int first, int last);
  void ShowRowRuns(const std::vector<std::pair<int, int>>& runs);
  // A converted song's row shows the user's file, not the song in the cache.
  void ShowSourceName(int row);
  std::string ConversionStatusText() const;
  // Inside the output's progress dialog: waits for the marked rows' songs. False when the
  // user cancelled or a marked song failed (then nothing is output).
  bool WaitForMarkedConversions(OutputProgress& progress);

  // Marking, deletion and the commands that follow the selection.
  void CheckSelected();
  void UncheckSelected();
  void DeleteSelectedSongs();
  void EnableSelectionCommands(size_t selected_count);
  void ShowChangedRows(const std::vector<int>& rows);

  // The properties command: the song's file read again, then the dialog.
  void ShowTrackProperties();
  std::optional<TagTexts> RereadTrack(int row);
  // The mount points a folder chosen in the options dialog is taken relative to.
  std::vector<std::string> MountPoints() const;

  // The output command: checks, confirmation, the run in the progress dialog, the refresh.
  void ExecuteOutput();

  // The eject command: offered for a chosen removable volume; after an eject the drive
  // box is read afresh.
  void UpdateEjectEnabling();
  void RefreshAfterEject();

  // Cards: the content command's enabling, the plan of a chosen or inserted card, the
  // window after an update, and the fit offered when the marked songs do not fit.
  void UpdateCardCommands();
  CardProfileOffers CardOffers();
  SyncContext CardSyncContext();
  void FollowChosenCard();
  void FollowInsertedCards(const DriveList& before);
  void AfterCardUpdate();
  // False when the output must not run; the user was told why or declined.
  bool FitMarkedSongs(const TDriveInfo& drive);
  void ReleaseFittedSongs();

  // Runs a command; an unexpected error ends it with a box that names the system's message.
  template <typename Body>
  void RunCommand(Body&& body);

  Platform& platform_;
  MainView& view_;
  AppState state_;
  VolumeEjector* ejector_ = nullptr;
  PlayerPlaylistBox players_{platform_};
  bool players_listed_ = false;  // the players are read after the start, then at each refresh
  CardOptions card_options_;
  BackupCommands backups_{platform_, view_, state_, card_options_};
  HeldEvents held_events_;
  std::unique_ptr<ConversionQueue> conversions_;
  int conversion_threads_ = 0;
  HelperOptions conversion_helper_;
  std::chrono::milliseconds probe_wait_{kProbeWaitMilliseconds};
  bool adding_ = false;  // an add runs: it takes the files the helper refused itself
  std::vector<RefusedSource> refused_probes_;      // rows gone, to be added another way
  std::unordered_set<std::string> unconvertible_;  // the add's files that needed the helper
  std::vector<std::string> missing_helper_places_;
  FolderAddingPace folder_pace_;
  std::unique_ptr<CardSync> cards_;  // last: a card's plan under way ends first
};

}  // namespace tarvello

#include <exception>

namespace tarvello {

template <typename Body>
void MainPresenter::RunCommand(Body&& body) {
  try {
    body();
  } catch (const std::exception& error) {
    view_.ShowInformation(error.what());
  }
}

}  // namespace tarvello
