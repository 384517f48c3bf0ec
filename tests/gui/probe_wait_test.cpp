// A file that hangs the conversion helper's probe: the add returns at once with the file's
// row waiting for the helper, the window answers input meanwhile, and the row gives way to
// the usual refusal when the helper gives up.

#include <QTest>
#include <QTreeView>
#include <chrono>

#include "gui/track_list_model.h"
#include "gui/window_fixture.h"

namespace tarvello {

class ProbeWaitTest : public QObject {
  Q_OBJECT

 private slots:
  void AHangingProbeLeavesTheWindowFree() {
    using namespace std::chrono_literals;
    TempDir songs;
    const std::string hang = songs.Path("slow probe-hang.mp3");
    fakes::WriteFile(hang, std::string(4096, 'x'));
    WindowFixture f("card");
    f.form->SetConversionHelper({TARVELLO_SCRIPTED_HELPER_PATH, 3s, 30s}, 0ms);

    f.AddSongs({hang});
    f.answered.clear();  // the file dialog

    QTreeView* list = f.List();
    QCOMPARE(list->model()->rowCount(), 1);
    const QModelIndex state = list->model()->index(0, TrackListModel::kConversionColumn);
    QVERIFY2(state.data(Qt::ToolTipRole).toString().startsWith("変換前の確認中"),
             qPrintable(state.data(Qt::ToolTipRole).toString()));
    QCOMPARE(list->model()->index(0, 0).data().toString(), QStringLiteral("slow probe-hang"));
    SaveScreenshot(*f.form, QStringLiteral("probe_pending.png"));

    // The helper still hangs, and the list takes the keyboard.
    list->setFocus();
    QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
    QTRY_COMPARE(list->selectionModel()->selectedRows().size(), 1);
    QCOMPARE(f.form->Presenter().Rows().Row(0).conversion.state, ConversionState::kProbing);

    // Once the helper gives up, the row goes and the add's refusal names the file.
    QTRY_COMPARE_WITH_TIMEOUT(list->model()->rowCount(), 0, 30000);
    QTRY_COMPARE(f.answered.size(), size_t{1});
    QVERIFY(f.answered[0].text.find("追加できる曲情報ではありません.") != std::string::npos);
    QVERIFY(f.answered[0].text.find(hang) != std::string::npos);
  }
};

}  // namespace tarvello

QTEST_MAIN(tarvello::ProbeWaitTest)
#include "probe_wait_test.moc"
