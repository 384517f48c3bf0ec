// The real main window over a fake platform: menus, tool bar, drive box, status panels,
// layout, column widths, the settings file written at exit, and songs added through the
// add command and a drop.

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>
#include <QToolButton>
#include <QTreeView>
#include <QUrl>
#include <memory>
#include <string>
#include <vector>

#include "gui/drive_combo_box.h"
#include "gui/main_form.h"
#include "gui/status_bar.h"
#include "gui/window_fixture.h"

namespace tarvello {
namespace {

// A menu's entries: captions with "-" for separators.
QStringList Entries(const QMenu* menu) {
  QStringList entries;
  for (const QAction* action : menu->actions()) {
    entries << (action->isSeparator() ? QStringLiteral("-") : action->text());
  }
  return entries;
}

QMenu* MenuNamed(const TMainForm& form, const char* name) {
  return form.findChild<QMenu*>(QString::fromLatin1(name));
}

std::vector<std::string> SplitCrLf(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  lines.push_back(text.substr(start));  // what follows the last CR LF
  return lines;
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void MenusHoldEveryCommandInOrder() {
    WindowFixture f("");
    QStringList menus;
    for (const QAction* action : f.form->menuBar()->actions()) menus << action->text();
    QCOMPARE(menus, QStringList({"ファイル(&F)", "編集(&E)", "表示(&V)", "ヘルプ(&H)"}));

    QCOMPARE(Entries(MenuNamed(*f.form, "File1")),
             QStringList({"追加(&A)...", "フォルダを追加(&F)...",
                          "iTunesプレイリストを読み込む(&I)", "出力先から取り込む(&D)", "-",
                          "出力実行(&E)", "カードを取り出す(&J)", "バックアップから戻す(&R)...",
                          "カードの内容(&C)...", "-", "プロパティ(&G)", "-", "終了(&X)"}));
    QCOMPARE(Entries(MenuNamed(*f.form, "Edit1")),
             QStringList({"選択行を出力対象にする(&S)", "選択行を出力対象から外す(&U)", "削除(&D)",
                          "-", "すべて選択(&A)", "何も選択しない(&N)", "-", "オプション(&O)..."}));
    QCOMPARE(Entries(MenuNamed(*f.form, "Show1")),
             QStringList({"追加順に表示(&U)", "-", "最新の情報に更新(&R)"}));
    QCOMPARE(Entries(MenuNamed(*f.form, "Help1")), QStringList({"バージョン情報(&A)"}));
    QCOMPARE(Entries(MenuNamed(*f.form, "PopupMenu1")),
             QStringList({"プロパティ(&G)", "-", "出力対象にする(&S)", "出力対象から外す(&U)",
                          "削除(&D)"}));

    const std::vector<std::pair<Command, QKeySequence>> shortcuts = {
        {Command::kAdd1, QKeySequence(Qt::CTRL | Qt::Key_O)},
        {Command::kProperty1, QKeySequence(Qt::CTRL | Qt::Key_I)},
        {Command::kDelete1, QKeySequence(Qt::CTRL | Qt::Key_Delete)},
        {Command::kSelectAll1, QKeySequence(Qt::CTRL | Qt::Key_A)},
        {Command::kUnOrder1, QKeySequence(Qt::CTRL | Qt::Key_U)},
        {Command::kRefresh1, QKeySequence(Qt::Key_F5)},
        {Command::kImport1, QKeySequence()},
        {Command::kExit1, QKeySequence()},
        {Command::kProperty2, QKeySequence()},
    };
    for (const auto& [command, keys] : shortcuts) {
      QCOMPARE(f.form->CommandAction(command)->shortcut(), keys);
    }
  }

  void StartsWithTheRightCommandsEnabled() {
    WindowFixture f("");
    QCOMPARE(f.form->windowTitle(), QString("Tarvello"));
    for (Command command :
         {Command::kImport1, Command::kDest1, Command::kExecute1, Command::kProperty1,
          Command::kCheck1, Command::kUncheck1, Command::kDelete1, Command::kProperty2,
          Command::kCheck2, Command::kUncheck2, Command::kDelete2}) {
      QVERIFY2(!f.form->CommandAction(command)->isEnabled(),
               qPrintable(f.form->CommandAction(command)->objectName()));
      QVERIFY(!f.form->IsCommandEnabled(command));
    }
    for (Command command :
         {Command::kAdd1, Command::kExit1, Command::kSelectAll1, Command::kSelectNon1,
          Command::kOption1, Command::kUnOrder1, Command::kRefresh1, Command::kAbout1}) {
      QVERIFY2(f.form->CommandAction(command)->isEnabled(),
               qPrintable(f.form->CommandAction(command)->objectName()));
      QVERIFY(f.form->IsCommandEnabled(command));
    }
    // The view's switch and its answer go together.
    f.form->SetCommandEnabled(Command::kCheck1, true);
    QVERIFY(f.form->CommandAction(Command::kCheck1)->isEnabled());
    QVERIFY(!f.form->CommandAction(Command::kCheck2)->isEnabled());
  }

  void ToolBarShowsItsHintsAndIsNeverDisabled() {
    WindowFixture f("");
    QWidget* bar = f.Find<QWidget>("ToolBar1");
    QVERIFY(bar != nullptr);
    QCOMPARE(bar->geometry().topLeft(), QPoint(313, 0));
    QCOMPARE(bar->width(), 170);
    const std::vector<std::pair<const char*, QString>> buttons = {
        {"ToolButtonAdd", "追加"},
        {"ToolButtonAddFolder", "フォルダを追加"},
        {"ToolButtonImport", "ｉＴｕｎｅsプレイリストを読み込む"},
        {"ToolButtonRefresh", "最新の情報に更新"},
        {"ToolButtonDest", "出力先から取り込む"},
        {"ToolButtonExecute", "出力実行"},
    };
    const std::vector<int> lefts = {0, 25, 50, 83, 116, 141};  // 8-pixel separators
    for (size_t i = 0; i < buttons.size(); ++i) {
      auto* button = f.Find<QToolButton>(buttons[i].first);
      QVERIFY2(button != nullptr, buttons[i].first);
      QCOMPARE(button->toolTip(), buttons[i].second);
      QCOMPARE(button->size(), QSize(25, 23));
      QCOMPARE(button->x(), lefts[i]);
      QVERIFY(!button->icon().isNull());
      QVERIFY(button->isEnabled());
    }
    // The menu items behind Import, Dest and Execute are disabled; the buttons are not.
    QVERIFY(!f.form->CommandAction(Command::kExecute1)->isEnabled());
    QVERIFY(f.Find<QToolButton>("ToolButtonExecute")->isEnabled());
    // Pressing one reaches the presenter, which checks for itself: nothing happens here.
    QTest::mouseClick(f.Find<QToolButton>("ToolButtonExecute"), Qt::LeftButton);
    QVERIFY(f.answered.empty());
  }

  void ShowsTheRememberedVolumeAndItsStatus() {
    WindowFixture f("stick");
    const auto volumes = f.fake.volumes.List();
    QCOMPARE(f.Drives()->count(), 2);
    int stick = -1;
    for (int i = 0; i < 2; ++i) {
      QCOMPARE(f.Drives()->itemText(i), QString::fromStdString(volumes[i].display_name));
      QVERIFY(!f.Drives()->itemIcon(i).isNull());
      if (volumes[i].root == f.stick_root) stick = i;
    }
    QCOMPARE(f.Drives()->currentIndex(), stick);
    QCOMPARE(
        f.Status()->PanelText(1),
        QString::fromStdString("STICK: 出力可能領域 100.00 MB （空き 100.00 MB＋使用 0 バイト）/ "
                               "容量 128.00 MB"));
    QVERIFY(f.Status()->Panel(1)->alignment() & Qt::AlignLeft);
    QCOMPARE(f.Status()->PanelText(0), QString("出力対象 0 / 0, 0:00, 0 バイト 必要領域 0 バイト"));
    QVERIFY(!f.form->IsCommandEnabled(Command::kDest1));  // the stick has no output folder

    // The user picks the card: its output folder counts as available room.
    f.form->activateWindow();
    f.Drives()->setFocus();
    QTest::keyClick(f.Drives(), stick == 0 ? Qt::Key_Down : Qt::Key_Up);
    QCOMPARE(f.Drives()->currentIndex(), 1 - stick);
    QCOMPARE(f.Status()->PanelText(1),
             QString::fromStdString("CARD: 出力可能領域 32.01 MB （空き 32.00 MB＋使用 8.0 KB）/ "
                                    "容量 64.00 MB"));
    QVERIFY(f.form->IsCommandEnabled(Command::kDest1));
    QVERIFY(f.answered.empty());
  }

  void LeavesAnUnknownVolumeUnselected() {
    WindowFixture f("/no/such/volume");
    QCOMPARE(f.Drives()->count(), 2);
    QCOMPARE(f.Drives()->currentIndex(), -1);
    QCOMPARE(f.Status()->PanelText(1), QString());
    QVERIFY(!f.form->IsCommandEnabled(Command::kDest1));
  }

  void PlacesControlsByTheWindowSize() {
    WindowFixture f("card");
    QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
    QCOMPARE(f.form->frameGeometry(), QRect(20, 10, 700, 420));
    const std::vector<int> widths = {150, 80, 80, 55, 80, 80, 80, 80, 80, 80, 240};
    for (int column = 0; column < 11; ++column) {
      QCOMPARE(f.List()->header()->sectionSize(column), widths[column]);
    }
    QCOMPARE(f.Find<QLabel>("Label2")->pos(), QPoint(8, 9));
    QCOMPARE(f.Find<QComboBox>("cbPlayLists")->geometry().topLeft(), QPoint(108, 5));
    QCOMPARE(f.Find<QComboBox>("cbPlayLists")->width(), 197);
    QCOMPARE(f.Drives()->width(), 253);

    // A client area 649 wide and 300 high, as the window system gives it.
    QWidget* client = f.form->centralWidget();
    const int menu_height = f.form->height() - client->height();
    f.form->resize(649, 300 + menu_height);
    QTRY_COMPARE(client->size(), QSize(649, 300));
    QCOMPARE(f.List()->geometry(), QRect(0, 29, 649, 221));
    QCOMPARE(f.Find<QLabel>("Label1")->pos(), QPoint(8, 258));
    QCOMPARE(f.Drives()->pos(), QPoint(52, 253));
    QCOMPARE(f.Find<QLabel>("lbOutDir")->pos(), QPoint(310, 258));
    QCOMPARE(f.Find<QLabel>("lbOutDir")->text(), QString("\\PRIVATE\\AU\\DF\\D_SD"));
    QCOMPARE(f.Status()->geometry(), QRect(0, 277, 649, 23));
    QCOMPARE(f.Status()->PanelWidth(0), 286);
    QCOMPARE(f.Status()->PanelWidth(1) + f.Status()->Capacity()->width(), 363);
    QCOMPARE(f.Find<QToolButton>("ToolButtonAdd")->mapTo(client, QPoint(0, 0)).x(), 313);

    // The Japanese font reaches the controls.
    QCOMPARE(f.List()->font().pixelSize(), 12);
    QVERIFY(f.List()->font().families().contains("IPAPGothic"));
    QCOMPARE(MenuNamed(*f.form, "File1")->font().pixelSize(), 12);

    f.form->resize(700, 420);
    QTRY_COMPARE(f.Status()->width(), 700);
    SaveScreenshot(*f.form, "main_window.png");
  }

  void WritesTheSettingsOnceAtExit() {
    WindowFixture f("stick");
    QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
    f.List()->header()->resizeSection(2, 99);
    f.form->CommandAction(Command::kExit1)->trigger();
    QVERIFY(!f.form->isVisible());

    const QRect outer = f.form->frameGeometry();
    const auto number = [](int value) { return std::to_string(value); };
    const std::vector<std::string> expected = {";Initialize File for Tarvello",
                                               "",
                                               "[SIZE]",
                                               "HEIGHT = " + number(outer.height()),
                                               "WIDTH = " + number(outer.width()),
                                               "",
                                               "[POSITION]",
                                               "TOP = " + number(outer.top()),
                                               "LEFT = " + number(outer.left()),
                                               "",
                                               "[COLUMNWIDTH]",
                                               "COL00 = 150",
                                               "COL01 = 80",
                                               "COL02 = 99",
                                               "COL03 = 55",
                                               "COL04 = 80",
                                               "COL05 = 80",
                                               "COL06 = 80",
                                               "COL07 = 80",
                                               "COL08 = 80",
                                               "COL09 = 80",
                                               "COL10 = 240",
                                               "",
                                               "[OUTPUT]",
                                               "OUTDRV = " + f.stick_root,
                                               "OUTDIR = \\PRIVATE\\AU\\DF\\D_SD",
                                               "PREFIX = SDS",
                                               "EXT = 3G2",
                                               "TITLE = 0",
                                               "SEP = 0",
                                               "AUTDST = 0",
                                               "BACKUP = 1",
                                               "",
                                               ""};
    const std::string written = fakes::ReadFile(f.ini_path);
    const auto lines = SplitCrLf(written);
    QCOMPARE(lines.size(), expected.size());
    for (size_t i = 0; i < lines.size(); ++i) {
      QCOMPARE(QString::fromStdString(lines[i]), QString::fromStdString(expected[i]));
    }
    QCOMPARE(outer, QRect(20, 10, 700, 420));

    // Closing again or destroying the window hands nothing over a second time.
    QVERIFY(QFile::remove(QString::fromStdString(f.ini_path)));
    f.form->close();
    f.form.reset();
    QVERIFY(!QFile::exists(QString::fromStdString(f.ini_path)));
  }

  void AddsSongsByCommandAndByDrop() {
    WindowFixture f("card");
    const std::string data = TARVELLO_TEST_DATA "/m4a/";
    const std::string tagged = data + "tagged.m4a";        // "Sine in A", 12823 bytes
    const std::string japanese = data + "japanese.m4a";    // "春の海", 6441 bytes
    const std::string faststart = data + "faststart.m4a";  // "Faststart Tone", 7598 bytes
    const std::string not_a_song = f.temp_folder.Path("notes.txt");
    fakes::WriteFile(not_a_song, "just text\n");
    f.form->SetDialogResponder([&](const DialogRequest& request) {
      f.answered.push_back(request);
      DialogAnswer answer;
      if (request.kind == DialogKind::kOpenFiles) answer.files = {tagged, japanese};
      return answer;
    });
    f.form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
    QAbstractItemModel* model = f.List()->model();

    // The add command through its shortcut.
    QTest::keyClick(f.form.get(), Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(f.answered.size(), size_t{1});
    QCOMPARE(f.answered[0].kind, DialogKind::kOpenFiles);
    QCOMPARE(QString::fromStdString(f.answered[0].files.title), QString("追加"));
    QVERIFY(QString::fromStdString(f.answered[0].files.filter)
                .endsWith(QString("|AAC ファイル (*.m4a)|*.m4a|XML ファイル (*.xml, *.rmp)|*.xml;*.rmp|"
                                  "すべてのファイル (*.*)|*.*")));
    QCOMPARE(model->rowCount(), 2);
    QCOMPARE(model->index(0, 0).data().toString(), QString("Sine in A"));
    QCOMPARE(model->index(1, 0).data().toString(), QString("春の海"));
    QCOMPARE(model->index(1, 10).data().toString(), QString::fromStdString(japanese));
    QCOMPARE(f.List()->currentIndex().row(), 0);  // the first new row
    QVERIFY(f.List()->hasFocus());
    QVERIFY(QApplication::overrideCursor() == nullptr);  // the wait cursor is gone again
    QVERIFY(f.List()->selectionModel()->selectedRows().isEmpty());

    // Only drags that carry local files are welcome.
    auto mime_with = [](const QList<QUrl>& urls) {
      auto* mime = new QMimeData;
      mime->setUrls(urls);
      return mime;
    };
    const QPoint inside = f.List()->mapTo(f.form.get(), QPoint(20, 40));
    std::unique_ptr<QMimeData> web(mime_with({QUrl("https://example.com/a.m4a")}));
    QDragEnterEvent web_enter(inside, Qt::CopyAction, web.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(f.form.get(), &web_enter);
    QVERIFY(!web_enter.isAccepted());

    std::unique_ptr<QMimeData> files(
        mime_with({QUrl::fromLocalFile(QString::fromStdString(faststart)),
                   QUrl::fromLocalFile(QString::fromStdString(not_a_song))}));
    QDragEnterEvent enter(inside, Qt::CopyAction, files.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(f.form.get(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(inside), Qt::CopyAction, files.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(f.form.get(), &drop);
    QVERIFY(drop.isAccepted());
    QTRY_COMPARE(model->rowCount(), 3);
    QCOMPARE(model->index(2, 0).data().toString(), QString("Faststart Tone"));
    QCOMPARE(f.List()->currentIndex().row(), 2);
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QTRY_COMPARE(f.answered.size(), size_t{2});
    QCOMPARE(f.answered[1].kind, DialogKind::kInformation);
    QCOMPARE(QString::fromStdString(f.answered[1].text),
             QString::fromStdString("追加できる曲情報ではありません.\r\n" + not_a_song +
                                    "\r\nAAC ファイルでも XML / RMP の曲リストでもありません"));

    // Sizes 26,862 bytes; on 4 KB clusters 32 KB plus one 12 KB management file.
    QVERIFY2(QRegularExpression("^出力対象 3 / 3, \\d+:\\d\\d, 26\\.2 KB 必要領域 44\\.0 KB$")
                 .match(f.Status()->PanelText(0))
                 .hasMatch(),
             qPrintable(f.Status()->PanelText(0)));
    QVERIFY(f.form->IsCommandEnabled(Command::kExecute1));
    SaveScreenshot(*f.form, "main_window_songs.png");

    // A header click sorts by that column; a second reverses; the arrow follows.
    QHeaderView* header = f.List()->header();
    const auto click_header = [&](int column) {
      QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                        QPoint(header->sectionViewportPosition(column) + 10, header->height() / 2));
    };
    const auto titles = [&] {
      QStringList list;
      for (int row = 0; row < model->rowCount(); ++row)
        list << model->index(row, 0).data().toString();
      return list;
    };
    click_header(0);
    QCOMPARE(titles(), QStringList({"Faststart Tone", "Sine in A", "春の海"}));
    QVERIFY(!model->headerData(0, Qt::Horizontal, Qt::DecorationRole).value<QIcon>().isNull());
    click_header(0);
    QCOMPARE(titles(), QStringList({"春の海", "Sine in A", "Faststart Tone"}));
    QCOMPARE(model->headerData(0, Qt::Horizontal, Qt::DecorationRole)
                 .value<QIcon>()
                 .pixmap(16)
                 .toImage(),
             f.form->Images().Icon(kHeaderDescending).pixmap(16).toImage());
    QTest::keyClick(f.form.get(), Qt::Key_U, Qt::ControlModifier);
    QCOMPARE(titles(), QStringList({"Sine in A", "春の海", "Faststart Tone"}));
    QVERIFY(!model->headerData(0, Qt::Horizontal, Qt::DecorationRole).isValid());

    // Select all and select none act on the list alone.
    f.form->CommandAction(Command::kSelectAll1)->trigger();
    QCOMPARE(f.form->SelectedRows(), (std::vector<int>{0, 1, 2}));
    f.form->CommandAction(Command::kSelectNon1)->trigger();
    QVERIFY(f.form->SelectedRows().empty());
  }
};

}  // namespace tarvello

QTEST_MAIN(tarvello::MainWindowTest)
#include "main_window_test.moc"
