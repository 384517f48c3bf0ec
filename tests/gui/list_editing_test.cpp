// The song list in the real window: the selection's commands, the icon click at its x
// limits, the context menu, deletion, and the row drag through real mouse events.

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <QTreeView>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "gui/main_form.h"
#include "gui/track_list_view.h"
#include "gui/window_fixture.h"

namespace tarvello {
namespace {

namespace fs = std::filesystem;

// The window with `count` songs, copies of a fixture named 1.m4a, 2.m4a, ...
struct ListFixture : WindowFixture {
  TempDir songs;

  explicit ListFixture(int count) : WindowFixture("card") {
    std::vector<std::string> paths;
    for (int i = 1; i <= count; ++i) {
      paths.push_back(songs.Path(std::to_string(i) + ".m4a"));
      fs::copy_file(TestSong("tagged.m4a"), paths.back());
    }
    AddSongs(paths);
    answered.clear();
    form->activateWindow();
    if (!QTest::qWaitForWindowActive(form.get())) qWarning("the window did not become active");
  }

  TrackListView* View() const { return Find<TrackListView>("lvTrackInfo"); }
  QWidget* Port() const { return View()->viewport(); }
  QRect RowRect(int row) const { return View()->visualRect(View()->model()->index(row, 0)); }
  // A point on a row, right of its icon.
  QPoint OnRow(int row) const {
    return QPoint(View()->LabelLeft(row) + 20, RowRect(row).center().y());
  }
  // The song names of the rows, in list order.
  QStringList Names() const {
    QStringList names;
    for (int row = 0; row < View()->model()->rowCount(); ++row) {
      names << QFileInfo(View()->model()->index(row, 10).data().toString()).completeBaseName();
    }
    return names;
  }
  void Click(int row, Qt::KeyboardModifiers modifiers = {}) {
    QTest::mouseClick(Port(), Qt::LeftButton, modifiers, OnRow(row));
  }
  void SelectRows(const std::vector<int>& rows) {
    View()->clearSelection();
    for (const int row : rows) Click(row, Qt::ControlModifier);
  }
  // Presses on row `from`, moves past the drag threshold and to `to`, and releases there.
  void Drag(int from, const QPoint& to) {
    const QPoint start = OnRow(from);
    QTest::mousePress(Port(), Qt::LeftButton, {}, start);
    QTest::mouseMove(Port(), start + QPoint(0, QApplication::startDragDistance() + 2));
    QTest::mouseMove(Port(), to);
    QTest::mouseRelease(Port(), Qt::LeftButton, {}, to);
  }
  std::vector<int> Selected() const { return View()->SelectedRows(); }
};

}  // namespace

class ListEditingTest : public QObject {
  Q_OBJECT

 private slots:
  void CommandsFollowTheSelection() {
    ListFixture f(3);
    f.Click(1);
    for (Command command :
         {Command::kCheck1, Command::kUncheck1, Command::kDelete1, Command::kCheck2,
          Command::kUncheck2, Command::kDelete2, Command::kProperty1, Command::kProperty2}) {
      QVERIFY(f.form->IsCommandEnabled(command));
    }
    f.Click(2, Qt::ShiftModifier);
    QVERIFY(!f.form->IsCommandEnabled(Command::kProperty1));
    QVERIFY(!f.form->IsCommandEnabled(Command::kProperty2));
    QVERIFY(f.form->IsCommandEnabled(Command::kDelete2));
    f.form->CommandAction(Command::kSelectNon1)->trigger();
    QVERIFY(!f.form->IsCommandEnabled(Command::kCheck1));
    QVERIFY(!f.form->IsCommandEnabled(Command::kDelete2));
  }

  void IconClicksToggleBetweenTheLimits() {
    ListFixture f(2);
    const int y = f.RowRect(0).center().y();
    const int label_left = f.View()->LabelLeft(0);
    QVERIFY(label_left > 8);
    const auto image = [](const QIcon& icon) { return icon.pixmap(16).toImage(); };
    const QPersistentModelIndex first = f.View()->model()->index(0, 0);
    const auto shown = [&] { return image(first.data(Qt::DecorationRole).value<QIcon>()); };
    QCOMPARE(shown(), image(f.form->Images().Icon(kIconMarked)));
    // x = 2 and x = label left - 2 lie outside the icon; 3 and label left - 3 inside.
    QTest::mouseClick(f.Port(), Qt::LeftButton, {}, QPoint(2, y));
    QTest::mouseClick(f.Port(), Qt::LeftButton, {}, QPoint(label_left - 2, y));
    QVERIFY(f.Status()->PanelText(0).startsWith("出力対象 2 / 2"));
    QTest::mouseClick(f.Port(), Qt::LeftButton, {}, QPoint(3, y));
    QVERIFY(f.Status()->PanelText(0).startsWith("出力対象 1 / 2"));
    QCOMPARE(shown(), image(f.form->Images().Icon(kIconUnmarked)));
    QTest::mouseClick(f.Port(), Qt::LeftButton, {}, QPoint(label_left - 3, y), 600);
    QVERIFY(f.Status()->PanelText(0).startsWith("出力対象 2 / 2"));
    // The right button over the icon does nothing.
    QTest::mouseClick(f.Port(), Qt::RightButton, {}, QPoint(5, y), 600);
    QVERIFY(f.Status()->PanelText(0).startsWith("出力対象 2 / 2"));
    QVERIFY(!f.Find<QMenu>("PopupMenu1")->isVisible());
  }

  void RightClickOpensTheMenuOnRowsOnly() {
    ListFixture f(2);
    QMenu* menu = f.Find<QMenu>("PopupMenu1");
    QTest::mouseClick(f.Port(), Qt::RightButton, {}, f.OnRow(1));
    QTRY_VERIFY(menu->isVisible());
    QCOMPARE(f.Selected(), std::vector<int>{1});
    QVERIFY(f.form->IsCommandEnabled(Command::kProperty2));
    SaveScreenshot(*f.form, "main_window_context_menu.png");
    menu->hide();
    QTest::mouseClick(f.Port(), Qt::RightButton, {}, QPoint(40, f.RowRect(1).bottom() + 40));
    QTest::qWait(50);
    QVERIFY(!menu->isVisible());
  }

  void DeletingRowsTwoAndFourKeepsTheOrderOfAddition() {
    ListFixture f(5);
    f.SelectRows({1, 3});
    f.reply.ok = false;
    QTest::keyClick(f.form.get(), Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(f.answered.size(), size_t{1});
    QCOMPARE(f.answered[0].kind, DialogKind::kConfirm);
    QCOMPARE(f.Names(), QStringList({"1", "2", "3", "4", "5"}));

    f.reply.ok = true;
    f.form->CommandAction(Command::kDelete1)->trigger();
    QCOMPARE(f.Names(), QStringList({"1", "3", "5"}));
    QCOMPARE(f.View()->model()->index(2, 10).data().toString(),
             QString::fromStdString(f.songs.Path("5.m4a")));
    QVERIFY(fs::exists(f.songs.Path("2.m4a")));
    QVERIFY(f.Status()->PanelText(0).startsWith("出力対象 3 / 3"));
    QVERIFY(!f.form->IsCommandEnabled(Command::kDelete1));  // nothing is selected now

    f.Drag(2, f.OnRow(0));  // the press selects the row it drags
    QCOMPARE(f.Names(), QStringList({"5", "1", "3"}));
    QTest::keyClick(f.form.get(), Qt::Key_U, Qt::ControlModifier);
    QCOMPARE(f.Names(), QStringList({"1", "3", "5"}));
  }

  void DraggedRowsGoWhereTheyAreDropped() {
    ListFixture f(5);
    // Rows 4 and 5 onto row 2.
    f.Click(3);
    f.Click(4, Qt::ShiftModifier);
    f.Drag(3, f.OnRow(1));
    QCOMPARE(f.Names(), QStringList({"1", "4", "5", "2", "3"}));
    QCOMPARE(f.Selected(), (std::vector<int>{1, 2}));
    QCOMPARE(f.View()->currentIndex().row(), 1);
    QCOMPARE(f.View()->CurrentDragCursor(), DragCursor::kNone);

    // Rows 1 and 3 onto row 5.
    QTest::keyClick(f.form.get(), Qt::Key_U, Qt::ControlModifier);
    f.SelectRows({0, 2});
    f.Drag(2, f.OnRow(4));
    QCOMPARE(f.Names(), QStringList({"2", "4", "1", "3", "5"}));

    // Rows 2 and 4 below the last row.
    QTest::keyClick(f.form.get(), Qt::Key_U, Qt::ControlModifier);
    f.SelectRows({1, 3});
    f.Drag(1, QPoint(40, f.RowRect(4).bottom() + 30));
    QCOMPARE(f.Names(), QStringList({"1", "3", "5", "2", "4"}));
    QCOMPARE(f.Selected(), (std::vector<int>{3, 4}));

    // Onto a selected row: nothing moves. After a drop a header click sorts ascending.
    f.Drag(3, f.OnRow(4));
    QCOMPARE(f.Names(), QStringList({"1", "3", "5", "2", "4"}));
    QHeaderView* header = f.View()->header();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(10) + 10, header->height() / 2));
    QCOMPARE(f.Names(), QStringList({"1", "2", "3", "4", "5"}));
    QVERIFY(!f.View()->Dragging());
  }

  void DragShowsItsCursorAndStartsOnlyForPartOfTheList() {
    ListFixture f(3);
    f.Click(0);
    const QPoint start = f.OnRow(0);
    QTest::mousePress(f.Port(), Qt::LeftButton, {}, start);
    QTest::mouseMove(f.Port(), start + QPoint(0, QApplication::startDragDistance() + 2));
    QVERIFY(f.View()->Dragging());
    QCOMPARE(f.View()->CurrentDragCursor(), DragCursor::kSingle);
    QTest::mouseMove(f.Port(), QPoint(start.x(), f.Port()->height() + 200));
    QCOMPARE(f.View()->CurrentDragCursor(), DragCursor::kNoDrop);
    // Released outside the list: no drop.
    QTest::mouseRelease(f.Port(), Qt::LeftButton, {}, QPoint(start.x(), f.Port()->height() + 200));
    QVERIFY(!f.View()->Dragging());
    QCOMPARE(f.Names(), QStringList({"1", "2", "3"}));

    f.Click(1, Qt::ControlModifier);
    QTest::mousePress(f.Port(), Qt::LeftButton, {}, f.OnRow(1), 600);
    QTest::mouseMove(f.Port(), f.OnRow(2));
    QCOMPARE(f.View()->CurrentDragCursor(), DragCursor::kMultiple);
    QTest::keyClick(f.View(), Qt::Key_Escape);  // Escape ends the drag without a drop
    QVERIFY(!f.View()->Dragging());
    QTest::mouseRelease(f.Port(), Qt::LeftButton, {}, f.OnRow(2));
    QCOMPARE(f.Names(), QStringList({"1", "2", "3"}));

    // Every row selected: no drag.
    f.form->CommandAction(Command::kSelectAll1)->trigger();
    f.Drag(0, f.OnRow(2));
    QCOMPARE(f.Names(), QStringList({"1", "2", "3"}));

    ListFixture single(1);
    single.Click(0);
    single.Drag(0, QPoint(30, single.RowRect(0).bottom() + 30));
    QVERIFY(!single.View()->Dragging());
    QCOMPARE(single.Names(), QStringList({"1"}));
  }

  void DragOverTheHeaderScrollsUpLineByLine() {
    ListFixture f(40);
    QScrollBar* bar = f.View()->verticalScrollBar();
    QVERIFY(bar->maximum() > 3);
    bar->setValue(bar->maximum());
    const int top = bar->value();
    const int row = f.View()->RowAt(5);
    f.Click(row);
    const QPoint start = f.OnRow(row);
    QTest::mousePress(f.Port(), Qt::LeftButton, {}, start, 600);
    QTest::mouseMove(f.Port(), start + QPoint(0, QApplication::startDragDistance() + 2));
    QTest::mouseMove(f.Port(), QPoint(start.x(), -5));
    QCOMPARE(bar->value(), top - 1);
    QCOMPARE(f.View()->CurrentDragCursor(), DragCursor::kSingle);  // the header is the list's
    QTest::mouseMove(f.Port(), QPoint(start.x(), -6));
    QCOMPARE(bar->value(), top - 2);
    QTest::mouseMove(f.Port(), QPoint(start.x(), f.Port()->height() + 3));
    QCOMPARE(bar->value(), top - 1);
    QTest::mouseRelease(f.Port(), Qt::LeftButton, {}, QPoint(start.x(), -5));
    QVERIFY(!f.View()->Dragging());
    QCOMPARE(f.Names().first(), QString("1"));
    QCOMPARE(f.Names().last(), QString("40"));
  }
};

}  // namespace tarvello

QTEST_MAIN(tarvello::ListEditingTest)
#include "list_editing_test.moc"
