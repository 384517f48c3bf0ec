// A song converted on a worker arrives while the user drags rows: the drag goes on, the
// rows end where they were dropped, and the converted row keeps showing the user's file.

#include <QFileInfo>
#include <QTest>
#include <filesystem>

#include "convert/made_sources.h"
#include "gui/track_list_model.h"
#include "gui/track_list_view.h"
#include "window_fixture.h"

namespace tarvello {

class ConversionDragTest : public QObject {
  Q_OBJECT

 private slots:
  void ConversionFinishesWhileRowsAreDragged() {
    if (!testing::HaveFfmpeg()) QSKIP("the ffmpeg command is not installed");
    TempDir songs;
    TempDir cache;
    const std::string mp3 = songs.Path("tone.mp3");
    QVERIFY(testing::RunFfmpeg(testing::Tone(4) + " -ac 2 -metadata title=Tone " + mp3));
    std::vector<std::string> paths;
    for (const char* name : {"1.m4a", "2.m4a", "3.m4a"}) {
      paths.push_back(songs.Path(name));
      std::filesystem::copy_file(TestSong("tagged.m4a"), paths.back());
    }
    paths.insert(paths.begin() + 1, mp3);
    WindowFixture f("card", [&](WindowFixture& fixture) {
      fixture.fake.environment.variables["XDG_CACHE_HOME"] = cache.path();
    });
    f.AddSongs(paths);
    f.answered.clear();  // the file dialog
    auto* view = f.Find<TrackListView>("lvTrackInfo");
    QCOMPARE(view->model()->rowCount(), 4);
    const auto file_shown = [&](int row) {
      return view->model()->index(row, 10).data().toString().toStdString();
    };
    const auto on_row = [&](int row) {
      const QRect rect = view->visualRect(view->model()->index(row, 0));
      return QPoint(view->LabelLeft(row) + 20, rect.center().y());
    };
    QCOMPARE(file_shown(1), mp3);
    const auto state_shown = [&](int row) {
      return view->model()
          ->index(row, TrackListModel::kConversionColumn)
          .data(Qt::ToolTipRole)
          .toString();
    };
    QVERIFY2(state_shown(1).startsWith("変換"), qPrintable(state_shown(1)));
    QVERIFY(!state_shown(0).startsWith("変換"));
    const TrackTable& table = f.form->Presenter().State().table;
    const auto record_file = [&] { return std::string(FieldText(table[1].FileName)); };
    QCOMPARE(record_file(), mp3);

    // Row 3 is pressed and dragged; the song arrives while the button is held.
    f.form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
    QWidget* port = view->viewport();
    const QPoint start = on_row(3);
    QTest::mousePress(port, Qt::LeftButton, {}, start);
    QTest::mouseMove(port, start + QPoint(0, QApplication::startDragDistance() + 2));
    QVERIFY(view->Dragging());
    QTRY_VERIFY_WITH_TIMEOUT(record_file() != mp3, 60000);
    QVERIFY(view->Dragging());
    const QPoint target = on_row(0);
    QTest::mouseMove(port, target);
    QTest::mouseRelease(port, Qt::LeftButton, {}, target);
    QVERIFY(!view->Dragging());

    // 3.m4a went first; the converted row is still the user's MP3 and now its song.
    QCOMPARE(QFileInfo(view->model()->index(0, 10).data().toString()).fileName(),
             QStringLiteral("3.m4a"));
    QCOMPARE(file_shown(2), mp3);
    QVERIFY2(state_shown(2).startsWith("変換済み"), qPrintable(state_shown(2)));
    QVERIFY(!view->model()->index(2, 3).data(Qt::FontRole).isValid());
    QVERIFY(record_file().rfind(cache.path(), 0) == 0);
    QVERIFY(f.answered.empty());
  }
};

}  // namespace tarvello

QTEST_MAIN(tarvello::ConversionDragTest)
#include "conversion_drag_test.moc"
