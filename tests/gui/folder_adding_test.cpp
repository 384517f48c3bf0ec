// A big folder added in the real window: the progress dialog opens over the list, the
// rows grow while it is up, and its cancel button keeps what was added so far.

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <filesystem>
#include <string>
#include <vector>

#include "gui/main_form.h"
#include "gui/progress_form.h"
#include "gui/window_fixture.h"

namespace tarvello {
namespace {

constexpr int kSongs = 1500;

// "Album/1 song.m4a".. in natural order, hard links to a test song where possible.
std::vector<std::string> MakeAlbum(const std::string& folder) {
  std::vector<std::string> songs;
  std::filesystem::create_directories(folder + "/Album");
  for (int song = 1; song <= kSongs; ++song) {
    const std::string path = folder + "/Album/" + std::to_string(song) + " song.m4a";
    fakes::LinkOrCopy(TestSong("faststart.m4a"), path);
    songs.push_back(path);
  }
  return songs;
}

}  // namespace

class FolderAddingTest : public QObject {
  Q_OBJECT

 private slots:
  void TheProgressDialogsCancelKeepsTheRowsAddedSoFar() {
    TempDir music;
    const std::vector<std::string> songs = MakeAlbum(music.path());
    WindowFixture f("card");
    f.form->SetFolderChooser([&](std::string& chosen) {
      chosen = music.path();
      return true;
    });
    // The dialog at once, the rows after every song.
    f.form->SetFolderAddingPace({std::chrono::milliseconds(0), std::chrono::milliseconds(0)});

    int rows_when_seen = -1;
    QString label_when_seen;
    int bar_when_seen = -1;
    QTimer watch;
    watch.setInterval(0);
    QObject::connect(&watch, &QTimer::timeout, [&] {
      auto* dialog = qobject_cast<TProgressForm*>(QApplication::activeModalWidget());
      if (dialog == nullptr || f.List()->model()->rowCount() < 100) return;
      watch.stop();
      rows_when_seen = f.List()->model()->rowCount();
      label_when_seen = dialog->findChild<QLabel*>("lbMessage")->text();
      bar_when_seen = dialog->findChild<QProgressBar*>("ProgressBar1")->value();
      dialog->findChild<QPushButton*>("btCancel")->click();
    });
    watch.start();
    f.form->findChild<QAction*>("AddFolder1")->trigger();
    watch.stop();

    // The dialog was up while the list grew, and the cancel ended the adding soon after.
    QVERIFY(rows_when_seen >= 100);
    QVERIFY(label_when_seen.startsWith("追加しています... "));
    QVERIFY(bar_when_seen > 0);
    const int rows = f.List()->model()->rowCount();
    QVERIFY(rows >= rows_when_seen && rows <= rows_when_seen + 1);
    QVERIFY(rows < kSongs);
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    const MainPresenter& presenter = f.form->Presenter();
    QCOMPARE(presenter.State().table.TrackCount(), rows);
    for (int row = 0; row < rows; ++row) {
      const int32_t index = presenter.Rows().TableIndex(row);
      QCOMPARE(std::string(FieldText(presenter.State().table[index].FileName)), songs[row]);
    }
    QCOMPARE(f.Status()->PanelText(1),
             QString::fromStdString("キャンセルしました. " + std::to_string(rows) +
                                    " 曲を追加しました."));
    QVERIFY(f.answered.empty());
  }
};

}  // namespace tarvello

QTEST_MAIN(tarvello::FolderAddingTest)
#include "folder_adding_test.moc"
