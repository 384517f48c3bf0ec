// What users meet first in the main window: the sort image beside its caption, rows
// that keep selection and focus through a sort, status texts that fit their panel, the
// hint of an empty list, the file name column, the drive drop-down, the cursor over
// boxes, the file dialog's folder and filter, and Qt's own texts in Japanese.

#include <QAbstractItemView>
#include <QApplication>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <memory>
#include <string>
#include <vector>

#include "gui/dialogs.h"
#include "gui/qt_translations.h"
#include "gui/track_list_header.h"
#include "gui/track_list_view.h"
#include "gui/wait_cursor.h"
#include "gui/window_fixture.h"

namespace tarvello {
namespace {

QStringList Titles(const QAbstractItemModel& model) {
  QStringList titles;
  for (int row = 0; row < model.rowCount(); ++row) titles << model.index(row, 0).data().toString();
  return titles;
}

QStringList SelectedTitles(QTreeView& list) {
  QStringList titles;
  for (const QModelIndex& index : list.selectionModel()->selectedRows()) {
    titles << index.data().toString();
  }
  titles.sort();
  return titles;
}

}  // namespace

class WindowDetailsTest : public QObject {
  Q_OBJECT

 private slots:
  void SortImageAndCaptionNeverOverlap() {
    const QSize image(16, 16);
    for (int width : {20, 40, 80, 200}) {
      for (bool right : {false, true}) {
        const QRect section(100, 0, width, 20);
        const HeaderSectionPlaces places = PlaceHeaderSection(section, 72, image, right, 4);
        QVERIFY(!places.image.intersects(places.text));
        QVERIFY(places.text.width() >= 0);
        if (width < 24) continue;  // no room even for the image
        QVERIFY(places.image.left() >= section.left());
        QVERIFY(places.text.right() <= section.right());
        if (width >= 80) {
          // Right-aligned captions keep their image right beside them.
          QCOMPARE(places.text.left() - places.image.right() - 1, 4);
        }
      }
    }
    // A caption too long for an 80-pixel section is cut, not covered.
    const HeaderSectionPlaces cut = PlaceHeaderSection(QRect(0, 0, 80, 20), 72, image, true, 4);
    QCOMPARE(cut.text.width(), 80 - 8 - 16 - 4);
    // Without an image the caption has the whole section inside the margins.
    QCOMPARE(PlaceHeaderSection(QRect(0, 0, 80, 20), 72, QSize(), true, 4).text,
             QRect(4, 0, 72, 20));
  }

  void SortingKeepsTheHeaderHeightTheSelectionAndTheFocus() {
    WindowFixture f("card");
    f.form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
    f.AddSongs(ThreeSongs());
    QAbstractItemModel* model = f.List()->model();
    QCOMPARE(Titles(*model), QStringList({"Sine in A", "春の海", "Faststart Tone"}));
    QHeaderView* header = f.List()->header();
    const int header_height = header->height();
    const QRect first_row = f.List()->visualRect(model->index(0, 0));

    // The user selects two songs and focuses the last one.
    QItemSelectionModel* selection = f.List()->selectionModel();
    QSignalSpy changes(selection, &QItemSelectionModel::selectionChanged);
    selection->select(model->index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    selection->setCurrentIndex(model->index(2, 0),
                               QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QCOMPARE(changes.count(), 2);
    QCOMPARE(f.form->SelectedRows(), (std::vector<int>{0, 2}));

    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(0) + 10, header->height() / 2));
    // Sorted by title, ascending.
    QCOMPARE(Titles(*model), QStringList({"Faststart Tone", "Sine in A", "春の海"}));
    QCOMPARE(SelectedTitles(*f.List()), QStringList({"Faststart Tone", "Sine in A"}));
    QCOMPARE(f.form->SelectedRows(), (std::vector<int>{0, 1}));
    QCOMPARE(f.List()->currentIndex().data().toString(), QString("Faststart Tone"));
    QCOMPARE(header->height(), header_height);  // the image did not make it grow
    QCOMPARE(f.List()->visualRect(model->index(0, 0)).top(), first_row.top());

    QTest::keyClick(f.form.get(), Qt::Key_U, Qt::ControlModifier);  // order of addition
    QCOMPARE(Titles(*model), QStringList({"Sine in A", "春の海", "Faststart Tone"}));
    QCOMPARE(f.form->SelectedRows(), (std::vector<int>{0, 2}));
    QCOMPARE(f.List()->currentIndex().row(), 2);
    QCOMPARE(header->height(), header_height);

    // The user's next selection is still heard.
    changes.clear();
    selection->select(model->index(1, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QCOMPARE(changes.count(), 1);
  }

  void AnEmptyListShowsHowToAddSongsAndPathsAreCutInTheMiddle() {
    WindowFixture f("");
    auto* list = qobject_cast<TrackListView*>(f.List());
    QVERIFY(list != nullptr);
    QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
    QVERIFY(list->ShowsEmptyHint());
    const QImage empty = list->viewport()->grab().toImage();
    const QColor base = list->palette().color(QPalette::Base);
    int painted = 0;
    for (int y = 0; y < empty.height(); ++y) {
      for (int x = 0; x < empty.width(); ++x) painted += empty.pixelColor(x, y) != base;
    }
    QVERIFY(painted > 50);
    f.AddSongs({ThreeSongs()[0]});
    QVERIFY(!list->ShowsEmptyHint());

    // Only the file name column cuts its text in the middle.
    auto* delegate =
        dynamic_cast<MiddleElideDelegate*>(list->itemDelegateForColumn(kColumnCount - 1));
    QVERIFY(delegate != nullptr);
    QStyleOptionViewItem option;
    delegate->initStyleOption(&option, list->model()->index(0, kColumnCount - 1));
    QCOMPARE(option.textElideMode, Qt::ElideMiddle);
    QVERIFY(list->itemDelegateForColumn(0) == nullptr);
  }

  void StatusTextsThatDoNotFitEndInAnEllipsisWithATip() {
    WindowFixture f("card");
    QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
    StatusBar* status = f.Status();
    const QString full = status->PanelText(1);
    QVERIFY(full.startsWith("CARD: "));
    f.form->resize(400, f.form->height());
    QTRY_COMPARE(status->width(), 400);
    QVERIFY(status->ShownText(1).endsWith(QStringLiteral("…")));
    QCOMPARE(status->PanelText(1), full);
    QCOMPARE(status->Panel(1)->toolTip(), full);
    const QFontMetrics metrics(status->Panel(1)->font());
    QVERIFY(metrics.horizontalAdvance(status->ShownText(1)) <=
            status->Panel(1)->contentsRect().width());

    f.form->resize(1000, f.form->height());
    QTRY_COMPARE(status->ShownText(1), full);
    QCOMPARE(status->Panel(1)->toolTip(), QString());
  }

  void TheDropDownShowsEightItemsWithAScrollBar() {
    DriveComboBox box;
    std::vector<DriveItem> items;
    for (int i = 0; i < 12; ++i) items.push_back({"vol" + std::to_string(i), DriveIcon::kFixed});
    box.SetDriveItems(items);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    box.showPopup();
    QAbstractItemView* view = box.view();
    QTRY_VERIFY(view->isVisible());
    const int row = view->visualRect(view->model()->index(0, 0)).height();
    QVERIFY(row > 0);
    QVERIFY2(view->viewport()->height() <= 8 * row + 2,
             qPrintable(QString("%1 rows of %2").arg(view->viewport()->height()).arg(row)));
    QVERIFY(view->verticalScrollBar()->isVisible());
    box.hidePopup();
  }

  void BoxesShowTheArrowWhileTheCommandWaits() {
    Dialogs dialogs(nullptr);
    const WaitCursor busy;
    Qt::CursorShape seen = Qt::WaitCursor;
    OnModal([&](QDialog& box) {
      seen = QApplication::overrideCursor()->shape();
      box.accept();
    });
    dialogs.ShowInformation("情報.");
    QCOMPARE(seen, Qt::ArrowCursor);
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  }

  void TheFileDialogReturnsToItsFolderAndShowsFilesWithoutExtension() {
    QCOMPARE(QtFileFilters("すべてのファイル (*.*)|*.*"), QStringList({"すべてのファイル (*)"}));

    fakes::TempDir folder;
    fakes::WriteFile(folder.Path("README"), "no extension");
    Dialogs dialogs(nullptr);
    const WaitCursor busy;
    const OpenFileRequest request{"追加", "すべてのファイル (*.*)|*.*", true};
    Qt::CursorShape seen = Qt::WaitCursor;
    OnModal([&](QDialog& modal) {
      auto* dialog = qobject_cast<QFileDialog*>(&modal);
      QVERIFY(dialog != nullptr);
      seen = QApplication::overrideCursor()->shape();
      // The dialog lists a folder in the background; a file can be chosen only once its
      // folder is listed, however long that takes and whatever folder the dialog opened in.
      const QString path = QString::fromStdString(folder.path());
      auto* files = dialog->findChild<QFileSystemModel*>();
      QVERIFY(files != nullptr);
      dialog->setDirectory(path);
      QTRY_VERIFY(files->rowCount(files->index(path)) == 1);
      // Typed as a user would: selectFile leaves a focused name field as it is, and
      // whether the field has the focus yet is a matter of timing.
      auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      QVERIFY(name != nullptr);
      name->setText(QStringLiteral("README"));
      QTRY_COMPARE(dialog->selectedFiles(), QStringList({path + QStringLiteral("/README")}));
      QMetaObject::invokeMethod(dialog, "accept");
    });
    const auto chosen = dialogs.ChooseFiles(request);
    QCOMPARE(seen, Qt::ArrowCursor);
    QVERIFY(chosen.has_value());
    QCOMPARE(*chosen, std::vector<std::string>{folder.Path("README")});

    // The next dialog of the run opens in that folder.
    QString opened_in;
    OnModal([&](QDialog& dialog) {
      opened_in = static_cast<QFileDialog&>(dialog).directory().absolutePath();
      dialog.reject();
    });
    QVERIFY(!dialogs.ChooseFiles(request).has_value());
    QCOMPARE(opened_in, QString::fromStdString(folder.path()));
  }

  void NamesTypedTogetherAreAllChosenWhateverTheFilterShows() {
    fakes::TempDir folder;
    fakes::WriteFile(folder.Path("late.m4a"), "not really a song");
    fakes::WriteFile(folder.Path("notes.txt"), "just text");
    Dialogs dialogs(nullptr);
    // The add command's filter, AAC files first: the text file is not listed.
    const OpenFileRequest request{"追加", "AAC ファイル (*.m4a)|*.m4a|すべてのファイル (*.*)|*.*", true};
    OnModal([&](QDialog& modal) {
      auto* dialog = qobject_cast<QFileDialog*>(&modal);
      QVERIFY(dialog != nullptr);
      const QString path = QString::fromStdString(folder.path());
      auto* files = dialog->findChild<QFileSystemModel*>();
      QVERIFY(files != nullptr);
      dialog->setDirectory(path);
      QTRY_VERIFY(files->rowCount(files->index(path)) >= 1);  // the song is listed
      auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      QVERIFY(name != nullptr);
      name->setText(QStringLiteral("\"notes.txt\" \"late.m4a\""));
      QTRY_VERIFY(!dialog->selectedFiles().isEmpty());
      QMetaObject::invokeMethod(dialog, "accept");
    });
    const auto chosen = dialogs.ChooseFiles(request);
    QVERIFY(chosen.has_value());
    QCOMPARE(*chosen, (std::vector<std::string>{folder.Path("notes.txt"), folder.Path("late.m4a")}));
  }

  void QtsOwnTextsAreJapanese() {
    QVERIFY2(LoadQtTranslations(*QCoreApplication::instance()),
             "Qt's translations are missing: install qt6-translations-l10n");
    QCOMPARE(QCoreApplication::translate("QFileDialog", "Look in:") == "Look in:", false);
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString("キャンセル"));
  }
};

}  // namespace tarvello

QTEST_MAIN(tarvello::WindowDetailsTest)
#include "window_details_test.moc"
