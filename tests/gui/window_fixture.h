#pragma once

// The real main window over a fake platform with two card-like volumes, for the GUI tests.

#include <QDir>
#include <QTest>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "fakes/fake_platform.h"
#include "gui/drive_combo_box.h"
#include "gui/main_form.h"
#include "gui/status_bar.h"

#include <QTreeView>

namespace tarvello {

using fakes::FakePlatform;
using fakes::TempDir;

inline constexpr int64_t kMiB = 1024 * 1024;

inline std::string Settings(const std::string& out_drive) {
  return ";Initialize File for Tarvello\r\n\r\n[SIZE]\r\nHEIGHT = 420\r\nWIDTH = 700\r\n\r\n"
         "[POSITION]\r\nTOP = 10\r\nLEFT = 20\r\n\r\n[COLUMNWIDTH]\r\nCOL00 = 150\r\n"
         "COL03 = 55\r\nCOL10 = 240\r\n\r\n[OUTPUT]\r\nOUTDRV = " +
         out_drive + "\r\nAUTDST = 0\r\n";
}

// The window over two card-like volumes, with an executable path inside a temporary
// folder so the settings file lands there.
struct WindowFixture {
  TempDir program_folder;
  TempDir temp_folder;
  FakePlatform fake;
  std::string card_root;   // CARD: 64 MB, 32 MB free, 4 KB clusters, an output folder
  std::string stick_root;  // STICK: 128 MB, 100 MB free, 16 KB clusters, no output folder
  std::string ini_path;
  std::unique_ptr<TMainForm> form;
  std::vector<DialogRequest> answered;

  // `remembered`: "card", "stick", another text taken as a mount point, or "" for none.
  explicit WindowFixture(const std::string& remembered) {
    auto& card = fake.volumes.AddTemp("", DriveType::kRemovable, {64 * kMiB, 32 * kMiB, 512, 8});
    card.display_name = "CARD (" + card.root + ")";
    card_root = card.root;
    auto& stick = fake.volumes.AddTemp("", DriveType::kFixed, {128 * kMiB, 100 * kMiB, 512, 32});
    stick.display_name = "STICK (" + stick.root + ")";
    stick_root = stick.root;
    // 5000 bytes in 4 KB clusters occupy 8 KB.
    fakes::WriteFile(card_root + "/PRIVATE/AU/DF/D_SD/SDS_0000.3G2", std::string(5000, 'x'));

    fake.environment.executable_path = program_folder.Path("tarvello");
    fake.environment.current_directory = program_folder.path();
    fake.environment.home = program_folder.path();
    fake.environment.variables["TEMP"] = temp_folder.path();
    ini_path = program_folder.Path("tarvello.INI");
    const std::string out_drive = remembered == "card"    ? card_root
                                  : remembered == "stick" ? stick_root
                                                          : remembered;
    fakes::WriteFile(ini_path, Settings(out_drive));

    form = std::make_unique<TMainForm>(fake.platform);
    form->SetDialogResponder([this](const DialogRequest& request) {
      answered.push_back(request);
      return DialogAnswer{};
    });
    form->Start();
    form->show();
  }

  template <typename T>
  T* Find(const char* name) const {
    return form->findChild<T*>(QString::fromLatin1(name));
  }
  StatusBar* Status() const { return Find<StatusBar>("StatusBar1"); }
  QTreeView* List() const { return Find<QTreeView>("lvTrackInfo"); }
  DriveComboBox* Drives() const { return Find<DriveComboBox>("cbxDrives"); }
};

inline void SaveScreenshot(QWidget& widget, const QString& name) {
  const QString folder = QStringLiteral(TARVELLO_BUILD_DIR "/screenshots");
  QVERIFY(QDir().mkpath(folder));
  QVERIFY(widget.grab().save(folder + QLatin1Char('/') + name));
}

}  // namespace tarvello
