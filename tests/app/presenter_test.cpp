// The main window's start-up, exit, drive box and adding of songs, driven through the
// presenter with a recording view over a fake platform.

#include <filesystem>
#include <string>

#include "app/presenter_fixture.h"

namespace tarvello {
namespace {

TEST_F(PresenterTest, FirstStartUsesTheDefaults) {
  Start();
  EXPECT_EQ(view_.caption, "Tarvello");
  EXPECT_EQ(view_.geometry.width, 682);
  EXPECT_EQ(view_.geometry.height, 512);
  EXPECT_EQ(view_.geometry.left, 171);
  EXPECT_EQ(view_.geometry.top, 128);
  ASSERT_EQ(view_.column_widths.size(), 11u);
  for (const auto& [column, width] : view_.column_widths) EXPECT_EQ(width, 80) << column;
  EXPECT_EQ(view_.out_dir_label, "\\PRIVATE\\AU\\DF\\D_SD");
  for (Command command :
       {Command::kImport1, Command::kDest1, Command::kExecute1, Command::kProperty1,
        Command::kCheck1, Command::kUncheck1, Command::kDelete1}) {
    EXPECT_FALSE(view_.IsCommandEnabled(command));
  }
  EXPECT_TRUE(view_.IsCommandEnabled(Command::kAdd1));
  EXPECT_EQ(view_.status[0], "出力対象 0 / 0, 0:00, 0 バイト 必要領域 0 バイト");
  EXPECT_EQ(view_.status[1], "");
  EXPECT_EQ(view_.startup_timer, 100);
  EXPECT_TRUE(view_.accepts_drops);
  EXPECT_EQ(view_.drive_index, -1);
  EXPECT_EQ(view_.cursor_depth, 0);
  EXPECT_GE(view_.max_cursor_depth, 1);
}

TEST_F(PresenterTest, ASettingsFileThatCannotBeReadIsReportedAndTheStartGoesOn) {
  // One that the file seam fails, and a link to a device attribute that opens but refuses
  // every read.
  WriteIni("[Window]\r\nHEIGHT = 300\r\n");
  fake_.files.unreadable.insert(IniPath());
  Start();
  fake_.files.unreadable.clear();
  std::filesystem::remove(IniPath());
  const char* device = "/sys/class/net/lo/speed";
  if (std::filesystem::exists(device)) {
    std::filesystem::create_symlink(device, IniPath());
    Start();
  }
  for (const std::string& box : view_.boxes) {
    EXPECT_EQ(box, "設定ファイルを読み込めませんでした.\r\n" + IniPath());
  }
  EXPECT_EQ(view_.boxes.size(), std::filesystem::exists(device) ? 2u : 1u);
  EXPECT_EQ(view_.geometry.height, 512);  // the defaults stand
  EXPECT_EQ(view_.status[0], "出力対象 0 / 0, 0:00, 0 バイト 必要領域 0 バイト");
  EXPECT_TRUE(view_.accepts_drops);
  EXPECT_EQ(view_.startup_timer, 100);
  EXPECT_EQ(view_.cursor_depth, 0);
}

TEST_F(PresenterTest, SettingsChooseTheStartupDriveAndItsStatus) {
  auto& card = fake_.volumes.AddTemp("CARD", DriveType::kRemovable,
                                     {64 * 1024 * 1024, 16 * 1024 * 1024, 512, 64});
  fake_.volumes.AddTemp("DISK", DriveType::kFixed);
  fakes::WriteFile(card.root + "/PRIVATE/AU/DF/D_SD/SDS_0000.3G2", std::string(1, 'x'));
  WriteIni("HEIGHT = 400\r\nTOP = 5000\r\nCOL03 = 120\r\nOUTDRV = " + card.root + "\r\n");
  Start();

  EXPECT_EQ(view_.geometry.height, 400);
  EXPECT_EQ(view_.geometry.top, 5000);
  EXPECT_EQ(view_.column_widths[3], 120);
  ASSERT_EQ(view_.drive_items.size(), 2u);
  EXPECT_EQ(view_.drive_items[0].icon == DriveIcon::kRemovable ||
                view_.drive_items[1].icon == DriveIcon::kRemovable,
            true);
  ASSERT_GE(view_.drive_index, 0);
  EXPECT_EQ(presenter_->State().drives.entries[view_.drive_index].Root, card.root);
  EXPECT_EQ(presenter_->State().CurrentDrive, view_.drive_index);
  // One byte in the output folder takes a whole 32 KB cluster.
  EXPECT_EQ(view_.status[1],
            "CARD: 出力可能領域 16.03 MB （空き 16.00 MB＋使用 32.0 KB）/ 容量 64.00 MB");
  EXPECT_TRUE(view_.IsCommandEnabled(Command::kDest1));
}

TEST_F(PresenterTest, AStartupDriveWithoutMediumOrMissingSelectsNothingUseful) {
  auto& reader = fake_.volumes.AddTemp("READER");
  reader.no_medium = true;
  WriteIni("OUTDRV = " + reader.root + "\r\n");
  Start();
  EXPECT_EQ(view_.status[1], "READER: メディアが挿入されていません.");
  EXPECT_FALSE(view_.IsCommandEnabled(Command::kDest1));

  RecordingView other_view;
  WriteIni("OUTDRV = /no/such/mount\r\n");
  MainPresenter other(fake_.platform, other_view, NumberSymbols{},
                      std::make_unique<ByteOrderCollator>());
  other.FormCreate({800, 600});
  EXPECT_EQ(other_view.drive_index, -1);
  EXPECT_EQ(other.State().CurrentDrive, -1);
  EXPECT_FALSE(other_view.IsCommandEnabled(Command::kDest1));
}

TEST_F(PresenterTest, ExitWritesTheSettingsThatTheNextStartRestores) {
  auto& card = fake_.volumes.AddTemp("CARD");
  Start();
  presenter_->cbxDrivesChange(0);
  view_.drive_index = 0;
  presenter_->cbxDrivesChange(0);
  presenter_->FormDestroy(Geometry());

  const std::string written = fakes::ReadFile(IniPath());
  EXPECT_NE(written.find("\r\nHEIGHT = 500\r\nWIDTH = 700\r\n"), std::string::npos);
  EXPECT_NE(written.find("\r\nOUTDRV = " + card.root + "\r\n"), std::string::npos);
  EXPECT_TRUE(view_.boxes.empty());

  RecordingView next_view;
  MainPresenter next(fake_.platform, next_view, NumberSymbols{},
                     std::make_unique<ByteOrderCollator>());
  next.FormCreate({1024, 768});
  EXPECT_EQ(next_view.geometry.left, 10);
  EXPECT_EQ(next_view.geometry.top, 20);
  EXPECT_EQ(next_view.column_widths[10], 90);
  EXPECT_EQ(next_view.drive_index, 0);
}

TEST_F(PresenterTest, ASettingsFileThatCannotBeWrittenIsReportedOnce) {
  Start();
  fakes::WriteFile(IniPath() + "/blocker", "");  // the settings path is now a folder
  presenter_->FormDestroy(Geometry());
  ASSERT_EQ(view_.boxes.size(), 1u);
  EXPECT_EQ(view_.boxes[0], "設定ファイルを保存できませんでした.\r\n" + IniPath());
}

TEST_F(PresenterTest, DrivesChangeMeasuresAndEnablesTheImportOnlyWithAnOutputFolder) {
  auto& empty = fake_.volumes.AddTemp("A-EMPTY");
  auto& card = fake_.volumes.AddTemp("B-CARD");
  fakes::WriteFile(card.root + "/PRIVATE/AU/DF/D_SD/keep", "");
  Start();
  const int card_index = empty.root < card.root ? 1 : 0;
  view_.drive_index = card_index;
  presenter_->cbxDrivesChange(card_index);
  EXPECT_TRUE(view_.IsCommandEnabled(Command::kDest1));
  EXPECT_EQ(view_.status[1].rfind("B-CARD: 出力可能領域 ", 0), 0u);

  view_.drive_index = 1 - card_index;
  presenter_->cbxDrivesChange(1 - card_index);
  EXPECT_FALSE(view_.IsCommandEnabled(Command::kDest1));
  EXPECT_EQ(presenter_->State().CurrentDrive, 1 - card_index);
}

}  // namespace
}  // namespace tarvello
