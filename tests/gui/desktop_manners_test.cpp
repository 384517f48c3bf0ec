// What a desktop user expects of the main window beyond its menus: the usual keys, a word
// in the status bar when a command can do nothing, and one box for every refused file.

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTest>
#include <QToolButton>
#include <filesystem>
#include <string>
#include <vector>

#include "gui/main_form.h"
#include "gui/track_list_view.h"
#include "gui/window_fixture.h"

namespace tarvello {

namespace {

TrackListView* View(const WindowFixture& f) {
  return f.Find<TrackListView>("lvTrackInfo");
}

void SelectRows(const WindowFixture& f, const std::vector<int>& rows) {
  TrackListView* view = View(f);
  view->setFocus();
  view->clearSelection();
  for (const int row : rows) {
    view->selectionModel()->select(view->model()->index(row, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }
  view->selectionModel()->setCurrentIndex(view->model()->index(rows.front(), 0),
                                          QItemSelectionModel::NoUpdate);
}

// The information and confirmation boxes shown so far, without the file dialogs.
std::vector<DialogRequest> Boxes(const WindowFixture& f) {
  std::vector<DialogRequest> boxes;
  for (const DialogRequest& request : f.answered) {
    if (request.kind != DialogKind::kOpenFiles) boxes.push_back(request);
  }
  return boxes;
}

// Keys reach the window's shortcuts only while it is the active window.
bool Activate(const WindowFixture& f) {
  f.form->activateWindow();
  return QTest::qWaitForWindowActive(f.form.get());
}

void ClickToolButton(const WindowFixture& f, const char* name) {
  auto* button = f.Find<QToolButton>(name);
  QVERIFY(button != nullptr);
  button->click();
}

}  // namespace

class DesktopMannersTest : public QObject {
  Q_OBJECT

 private slots:
  void SpaceTogglesTheMarksOfTheSelectedRows() {
    WindowFixture f("card");
    QVERIFY(Activate(f));
    f.AddSongs(ThreeSongs());
    QTRY_COMPARE(View(f)->model()->rowCount(), 3);
    const auto marked = [&](int count) {
      return f.Status()->PanelText(0).startsWith(QStringLiteral("出力対象 %1 / 3,").arg(count));
    };
    QTRY_VERIFY(marked(3));

    SelectRows(f, {0, 1});
    QTest::keyClick(View(f), Qt::Key_Space);
    QTRY_VERIFY(marked(1));
    QCOMPARE(View(f)->SelectedRows(), (std::vector<int>{0, 1}));  // the selection stays

    // One unmarked row among them: all are marked.
    SelectRows(f, {1, 2});
    QTest::keyClick(View(f), Qt::Key_Space);
    QTRY_VERIFY(marked(2));
    QTest::keyClick(View(f), Qt::Key_Space);
    QTRY_VERIFY(marked(0));
  }

  void DeleteEnterDoubleClickAndTheMenuKeyDoWhatTheirCommandsDo() {
    WindowFixture f("card");
    QVERIFY(Activate(f));
    f.AddSongs(ThreeSongs());
    QTRY_COMPARE(View(f)->model()->rowCount(), 3);

    // Delete asks as Ctrl+Del does; Cancel keeps the rows.
    SelectRows(f, {0});
    f.answered.clear();
    f.reply.ok = false;
    QTest::keyClick(View(f), Qt::Key_Delete);
    QCOMPARE(Boxes(f).size(), size_t{1});
    QCOMPARE(Boxes(f)[0].kind, DialogKind::kConfirm);
    QCOMPARE(View(f)->model()->rowCount(), 3);
    f.reply.ok = true;
    QTest::keyClick(View(f), Qt::Key_Delete);
    QTRY_COMPARE(View(f)->model()->rowCount(), 2);
    SelectRows(f, {0});
    QTest::keyClick(View(f), Qt::Key_Delete, Qt::ControlModifier);
    QTRY_COMPARE(View(f)->model()->rowCount(), 1);

    f.AddSongs(ThreeSongs());
    QTRY_COMPARE(View(f)->model()->rowCount(), 4);

    // Enter and a double click on a row open its properties.
    const auto opens_properties = [&](const std::function<void()>& act) {
      QString opened;
      OnModal([&](QDialog& dialog) {
        opened = dialog.objectName();
        dialog.reject();
      });
      act();
      QTRY_COMPARE(opened, QStringLiteral("TPropertyForm"));
    };
    SelectRows(f, {2});
    opens_properties([&] { QTest::keyClick(View(f), Qt::Key_Return); });
    const QRect row = View(f)->visualRect(View(f)->model()->index(1, 0));
    const QPoint on_text(View(f)->LabelLeft(1) + 20, row.center().y());
    opens_properties([&] {
      QTest::mouseDClick(View(f)->viewport(), Qt::LeftButton, Qt::NoModifier, on_text);
    });
    QCOMPARE(View(f)->SelectedRows(), std::vector<int>{1});

    // The context-menu key opens the list's menu beside the focused row.
    auto* menu = f.Find<QMenu>("PopupMenu1");
    QVERIFY(menu != nullptr);
    QVERIFY(!menu->isVisible());
    QTest::keyClick(View(f), Qt::Key_Menu);
    QTRY_VERIFY(menu->isVisible());
    menu->hide();
    QTest::keyClick(View(f), Qt::Key_F10, Qt::ShiftModifier);
    QTRY_VERIFY(menu->isVisible());
    menu->hide();
  }

  void CommandsThatCanDoNothingSayWhyInTheStatusBar() {
    {
      WindowFixture f("");  // no drive chosen
      ClickToolButton(f, "ToolButtonExecute");
      QCOMPARE(f.Status()->PanelText(1), QStringLiteral("出力先のドライブが選ばれていません."));
      f.Status()->SetPanelText(1, {});
      ClickToolButton(f, "ToolButtonDest");
      QCOMPARE(f.Status()->PanelText(1), QStringLiteral("出力先のドライブが選ばれていません."));
      ClickToolButton(f, "ToolButtonImport");
      QCOMPARE(f.Status()->PanelText(0), QStringLiteral("iTunesプレイリストが選ばれていません."));
      QVERIFY(Boxes(f).empty());
    }

    WindowFixture f("card");
    ClickToolButton(f, "ToolButtonExecute");
    QCOMPARE(f.Status()->PanelText(0), QStringLiteral("出力する曲がありません. 曲を追加してください."));

    // A copy of a song that goes away after it was added.
    const std::string copy = f.temp_folder.Path("copy.m4a");
    std::filesystem::copy_file(TestSong("tagged.m4a"), copy);
    f.AddSongs({TestSong("japanese.m4a"), copy});
    QTRY_COMPARE(View(f)->model()->rowCount(), 2);
    SelectRows(f, {0, 1});
    QTest::keyClick(View(f), Qt::Key_Space);
    QTRY_VERIFY(f.Status()->PanelText(0).startsWith(QStringLiteral("出力対象 0 / 2,")));
    ClickToolButton(f, "ToolButtonExecute");
    QCOMPARE(f.Status()->PanelText(0), QStringLiteral("出力対象の曲がありません."));

    SelectRows(f, {1});
    QTest::keyClick(View(f), Qt::Key_Space);
    std::filesystem::remove(copy);
    ClickToolButton(f, "ToolButtonExecute");
    QCOMPARE(f.Status()->PanelText(0), QStringLiteral("出力対象の曲のファイルが見つかりません."));
    QVERIFY(Boxes(f).empty());
  }

  void EveryRefusedFileOfOneAddingIsNamedInOneBox() {
    WindowFixture f("card");
    // Without conversion, which would remux the song whose movie box comes last.
    fakes::WriteFile(f.program_folder.Path("conversion.ini"), "[Conversion]\nEnabled=0\n");
    const std::string text_file = f.temp_folder.Path("notes.txt");
    fakes::WriteFile(text_file, "just text\n");
    const std::string late_movie = TestSong("movie_after_media.m4a");

    // A song whose movie box comes last and a text file, in either order, with a song.
    for (const auto& chosen : {std::vector<std::string>{late_movie, text_file, TestSong("tagged.m4a")},
                               std::vector<std::string>{text_file, late_movie}}) {
      f.answered.clear();
      f.AddSongs(chosen);
      QTRY_COMPARE(Boxes(f).size(), size_t{1});
      const std::string text = Boxes(f)[0].text;
      QVERIFY2(text.rfind("2 個のファイルを追加できませんでした.", 0) == 0, text.c_str());
      for (const std::string& named :
           {late_movie + "\r\n追加できる曲情報ではありません. (ムービーボックスがメディアデータの後ろにあります)",
            text_file + "\r\n追加できる曲情報ではありません. (AAC ファイルでも XML / RMP の曲リストでもありません)"}) {
        QVERIFY2(text.find(named) != std::string::npos, text.c_str());
      }
    }
    QCOMPARE(View(f)->model()->rowCount(), 1);

    // Many refusals: still one box, the first twenty named, the rest counted.
    std::vector<std::string> many(25, text_file);
    f.answered.clear();
    f.AddSongs(many);
    QTRY_COMPARE(Boxes(f).size(), size_t{1});
    const std::string text = Boxes(f)[0].text;
    QVERIFY2(text.find("ほかに 5 個のファイルを追加できませんでした.") != std::string::npos, text.c_str());
  }
};

}  // namespace tarvello

QTEST_MAIN(tarvello::DesktopMannersTest)
#include "desktop_manners_test.moc"
