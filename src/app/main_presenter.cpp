#include "app/main_presenter.h"

#include "app/program_paths.h"
#include "app/settings.h"
#include "app/window_layout.h"
#include "common/common_routine.h"
#include "common/cp932.h"
#include "output/drives.h"

namespace tarvello {

namespace {

constexpr Command kDisabledAtStart[] = {
    Command::kImport1,   Command::kDest1,  Command::kExecute1, Command::kEject1,
    Command::kProperty1, Command::kCheck1, Command::kUncheck1, Command::kDelete1,
    Command::kProperty2, Command::kCheck2, Command::kUncheck2, Command::kDelete2,
};

constexpr const char* kSettingsUnreadable = "設定ファイルを読み込めませんでした.";
constexpr const char* kSettingsUnwritable = "設定ファイルを保存できませんでした.";

}  // namespace

MainPresenter::MainPresenter(Platform& platform, MainView& view, const NumberSymbols& symbols,
                             std::unique_ptr<TextCollator> collator)
    : platform_(platform), view_(view), state_(symbols, std::move(collator)) {}

MainPresenter::~MainPresenter() = default;

void MainPresenter::FormCreate(const ScreenSize& screen) {
  const auto cursor = view_.ShowWaitCursor();
  state_.table.ClearTable();
  state_.rows.Clear();
  state_.ListedCount = 0;
  state_.totals = OutputTotals{};
  state_.LibraryCopyName.clear();
  state_.CurrentDrive = -1;

  const ProgramPaths paths = MakeProgramPaths(platform_.environment, platform_.files);
  state_.TempFolder = paths.TempFolder;
  state_.LibraryFileName = paths.LibraryFileName;
  view_.SetCaption(kApplicationTitle);
  for (Command command : kDisabledAtStart) view_.SetCommandEnabled(command, false);
  state_.PlaylistNames.clear();
  state_.PlaylistTrackIds.clear();
  state_.TrackIdList.clear();

  SetStartupDefaults(screen);
  state_.BackupFolder = paths.BackupFolder;
  state_.IniFileName = paths.IniFileName;
  if (platform_.files.FileExists(state_.IniFileName)) ReadSettingsFile();
  card_options_.Load(platform_.files, state_.IniFileName);

  const Settings& settings = state_.settings;
  view_.PlaceWindow(PlaceWindow(settings, {screen.left, screen.top, screen.width, screen.height}));
  for (int column = 0; column < kListColumnCount; ++column) {
    view_.SetColumnWidth(column, settings.column_widths[column]);
  }
  view_.SetOutDirLabel(Cp932ToUtf8(settings.options.OutDir));

  LoadDriveList();
  if (!settings.out_drive.empty()) SelectStartupDrive(settings.out_drive);
  ShowOutputSummary(true);
  // Nothing the library holds may keep the window from coming up.
  RunCommand([&] { LoadPlaylists(); });
  view_.AcceptDroppedFiles();
  view_.ArmStartupTimer(kStartupTimerMilliseconds);
}

void MainPresenter::SetStartupDefaults(const ScreenSize& screen) {
  state_.settings = Settings();
  SetDefaultWindowSize(screen.width, screen.height, state_.settings);
}

void MainPresenter::ReadSettingsFile() {
  std::optional<std::string> bytes;
  try {
    bytes = platform_.files.ReadWholeFile(state_.IniFileName);
  } catch (const FileError&) {
    // Unreadable past its opening: the defaults stand and the start-up goes on.
  }
  if (!bytes) {
    view_.ShowInformation(std::string(kSettingsUnreadable) + "\r\n" + state_.IniFileName);
    return;
  }
  ReadSettings(*bytes, state_.settings);
}

void MainPresenter::SelectStartupDrive(const std::string& root) {
  const int index = FindDrive(state_.drives, root);
  if (index < 0) return;
  view_.SetDriveIndex(index);
  state_.CurrentDrive = index;
  ShowDriveStatus();
  UpdateDestEnabling();
  UpdateEjectEnabling();
}

void MainPresenter::Timer1Timer() {
  // The players' playlists join the box once the window is up, so they never delay it.
  ShowPlayerPlaylists();
  if (state_.settings.options.AutoImport) ImportOutputFolder(true);
  // The card chosen at start is offered its update once the window is up.
  RunCommand([&] { FollowChosenCard(); });
}

void MainPresenter::FormDestroy(const ExitGeometry& geometry) {
  const auto cursor = view_.ShowWaitCursor();
  state_.PlaylistNames.clear();
  state_.PlaylistTrackIds.clear();
  state_.TrackIdList.clear();
  if (state_.table.HasStorage()) state_.table.ClearTable();
  WriteSettingsFile(geometry);
  card_options_.Save(platform_.files);
  if (!state_.LibraryCopyName.empty() && state_.LibraryCopyName != state_.LibraryFileName) {
    platform_.files.DeleteFile(state_.LibraryCopyName);
  }
}

void MainPresenter::WriteSettingsFile(const ExitGeometry& geometry) {
  Settings& settings = state_.settings;
  settings.height = geometry.window.height;
  settings.width = geometry.window.width;
  settings.top = geometry.window.top;
  settings.left = geometry.window.left;
  settings.column_widths = geometry.column_widths;
  settings.out_drive = ChosenDriveRoot();
  const bool written = EnsureIniFolder(platform_.files, state_.IniFileName) &&
                       platform_.files.WriteWholeFile(state_.IniFileName, WriteSettings(settings));
  if (!written) {
    view_.ShowInformation(std::string(kSettingsUnwritable) + "\r\n" + state_.IniFileName);
  }
}

}  // namespace tarvello
