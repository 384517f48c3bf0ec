// The output command in the real window: songs added through the add command, the menu
// command, the confirmation, the progress dialog, and what the card holds afterwards.

#include <sys/stat.h>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QTest>

#include <string>
#include <vector>

#include "gui/progress_form.h"
#include "gui/window_fixture.h"

namespace tarvello {
namespace {

std::time_t WriteTime(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 ? info.st_mtime : 0;
}

// What the progress dialog showed when the completion message came up.
struct DialogSeen {
  QString caption;
  QString label;
  int value = -1;
  int maximum = -1;
};

class OutputCommandTest : public QObject {
  Q_OBJECT

 private slots:
  void WritesTheMarkedSongsToTheCard() {
    WindowFixture f("card");
    QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
    const std::string folder = f.card_root + "/PRIVATE/AU/DF/D_SD";
    f.fake.environment.now = 1700000000;
    std::vector<DialogRequest> requests;
    DialogSeen seen;
    f.form->SetDialogResponder([&](const DialogRequest& request) {
      requests.push_back(request);
      if (request.kind == DialogKind::kOpenFiles) {
        return DialogAnswer{true, {TestSong("tagged.m4a"), TestSong("japanese.m4a")}};
      }
      if (auto* dialog = qobject_cast<TProgressForm*>(QApplication::activeModalWidget())) {
        seen = {dialog->windowTitle(), dialog->findChild<QLabel*>("lbMessage")->text(),
                dialog->findChild<QProgressBar*>("ProgressBar1")->value(),
                dialog->findChild<QProgressBar*>("ProgressBar1")->maximum()};
        SaveScreenshot(*dialog, "progress_dialog.png");
      }
      return DialogAnswer{};
    });

    QTest::keyClick(f.form.get(), Qt::Key_O, Qt::ControlModifier);
    f.form->CommandAction(Command::kExecute1)->trigger();

    QCOMPARE(requests.size(), size_t{3});
    QCOMPARE(requests[1].kind, DialogKind::kConfirm);
    QCOMPARE(requests[1].text, std::string("出力先フォルダが存在しない場合フォルダを作成します.\r\n"
                                           "出力先フォルダ内のファイルは置き換えられます.\r\n\r\n"
                                           "出力を実行しますか？"));
    QCOMPARE(requests[2].text, std::string("出力先フォルダへ 2 曲を出力しました."));
    QCOMPARE(seen.caption, QStringLiteral("In Progress..."));
    // The last phase reads back the management file and the 2 songs.
    QCOMPARE(seen.label, QStringLiteral("照合中... 3 / 3"));
    // 1 old file backed up, 1 management file, 2 songs, 3 files read back: the bar is full.
    QCOMPARE(seen.maximum, 2 / 100 + 2 + 1 + 1 + 3);
    QCOMPARE(seen.value, seen.maximum);
    QVERIFY(QApplication::activeModalWidget() == nullptr);

    QCOMPARE(fakes::ReadFile(folder + "/SDS_0000.3G2"), fakes::ReadFile(TestSong("tagged.m4a")));
    QCOMPARE(fakes::ReadFile(folder + "/SDS_0001.3G2"), fakes::ReadFile(TestSong("japanese.m4a")));
    QCOMPARE(WriteTime(folder + "/SDS_0000.3G2"), std::time_t{1700000000});
    QCOMPARE(WriteTime(folder + "/SDS_0001.3G2"), std::time_t{1700000000 - 2});
    const std::string mgr = fakes::ReadFile(folder + "/SD_F_000.MGR");
    QCOMPARE(mgr.size(), size_t{9632});
    QCOMPARE(mgr.substr(0, 16),
             std::string("CNTM\x00\x10\x00\x00\x00\x00\x25\xA0\x00\x60\x00\x64", 16));
    // Entry 1: number 1, title "春の海" in CP932 with its length.
    const std::string entry1 = mgr.substr(32 + 96, 96);
    QCOMPARE(entry1.substr(0, 24),
             std::string("\0\0\0\x01\0\0\0\x01\0\0\0\x11ja-JP\0\0\0\0\0\0\x06", 24));
    QCOMPARE(entry1.substr(24, 7), std::string("\x8F\x74\x82\xCC\x8A\x43\0", 7));
    // Entry 2 is a filler holding only its number.
    QCOMPARE(mgr.substr(32 + 2 * 96, 96), std::string("\0\0\0\x02", 4) + std::string(92, '\0'));
    // The old song went to the day's backup, and the window shows the card's new usage.
    QCOMPARE(fakes::ReadFile(f.program_folder.Path("Backup/20231114/SDS_0000.3G2")),
             std::string(5000, 'x'));
    QVERIFY(f.form->CommandAction(Command::kDest1)->isEnabled());
    QVERIFY(QApplication::overrideCursor() == nullptr);
  }
};

}  // namespace
}  // namespace tarvello

QTEST_MAIN(tarvello::OutputCommandTest)
#include "output_command_test.moc"
