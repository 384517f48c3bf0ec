#pragma once

// The real main window over a fake platform with two card-like volumes, for the GUI tests.

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "fakes/fake_platform.h"
#include "gui/drive_combo_box.h"
#include "gui/main_form.h"
#include "gui/capacity_bar.h"
#include "gui/status_bar.h"

#include <QTreeView>

namespace tarvello {

using fakes::FakePlatform;
using fakes::TempDir;

inline constexpr int64_t kMiB = 1024 * 1024;

// A song of tests/data/m4a.
inline std::string TestSong(const std::string& name) {
  return std::string(TARVELLO_TEST_DATA) + "/m4a/" + name;
}

inline std::string Settings(const std::string& out_drive, bool auto_import = false) {
  return ";Initialize File for Tarvello\r\n\r\n[SIZE]\r\nHEIGHT = 420\r\nWIDTH = 700\r\n\r\n"
         "[POSITION]\r\nTOP = 10\r\nLEFT = 20\r\n\r\n[COLUMNWIDTH]\r\nCOL00 = 150\r\n"
         "COL03 = 55\r\nCOL10 = 240\r\n\r\n[OUTPUT]\r\nOUTDRV = " +
         out_drive + "\r\nAUTDST = " + (auto_import ? "1" : "0") + "\r\n";
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
  std::vector<DialogRequest> answered;  // every box and file dialog, in order
  DialogAnswer reply;                   // the answer each of them gets

  // `remembered`: "card", "stick", another text taken as a mount point, or "" for none.
  // `before_start` may add files and settings before the window reads them.
  explicit WindowFixture(const std::string& remembered,
                         const std::function<void(WindowFixture&)>& before_start = {}) {
    card_root =
        fake.volumes.AddTemp("CARD", DriveType::kRemovable, {64 * kMiB, 32 * kMiB, 512, 8}).root;
    stick_root =
        fake.volumes.AddTemp("STICK", DriveType::kFixed, {128 * kMiB, 100 * kMiB, 512, 32}).root;
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
    if (before_start) before_start(*this);

    form = std::make_unique<TMainForm>(fake.platform);
    form->SetDialogResponder([this](const DialogRequest& request) {
      answered.push_back(request);
      return reply;
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

  // Adds songs through the add command, answering its file dialog with `paths`.
  void AddSongs(const std::vector<std::string>& paths) {
    reply.files = paths;
    form->CommandAction(Command::kAdd1)->trigger();
  }
};

// The three songs of tests/data/m4a in the order they are added.
inline std::vector<std::string> ThreeSongs() {
  return {TestSong("tagged.m4a"), TestSong("japanese.m4a"), TestSong("faststart.m4a")};
}

// Runs `act` on the modal dialog that opens within five seconds. A dialog that `act`
// leaves open (a failed check returns early) is rejected, so the test cannot hang.
inline void OnModal(std::function<void(QDialog&)> act) {
  auto* watch = new QTimer;
  watch->setInterval(10);
  QObject::connect(watch, &QTimer::timeout, [watch, act = std::move(act)] {
    const QPointer<QDialog> dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return;
    watch->stop();
    watch->deleteLater();
    act(*dialog);
    if (dialog != nullptr && dialog->isVisible()) dialog->reject();
  });
  QTimer::singleShot(5000, watch, &QObject::deleteLater);
  watch->start();
}

inline void SaveScreenshot(QWidget& widget, const QString& name) {
  const QString folder = QStringLiteral(TARVELLO_BUILD_DIR "/screenshots");
  QVERIFY(QDir().mkpath(folder));
  QVERIFY(widget.grab().save(folder + QLatin1Char('/') + name));
}

}  // namespace tarvello
