// The eject command in the real window over a fake card: its place in the ファイル menu,
// its enabling, the drive box after an eject, and the box that gives a refusal's reason.

#include <QAction>
#include <QMenu>
#include <QTest>

#include "fakes/fake_ejector.h"
#include "gui/window_fixture.h"

namespace tarvello {

class EjectCommandTest : public QObject {
  Q_OBJECT

 private slots:
  void EjectingTheCardTakesItOffTheDriveBox() {
    WindowFixture f("card");
    QAction* eject = f.form->CommandAction(Command::kEject1);
    QVERIFY(!eject->isEnabled());  // nothing to eject with yet
    fakes::FakeEjector ejector(f.fake.volumes);
    f.form->SetVolumeEjector(&ejector);
    QVERIFY(eject->isEnabled());

    const QList<QAction*> file = f.form->findChild<QMenu*>(QStringLiteral("File1"))->actions();
    const auto execute = file.indexOf(f.form->CommandAction(Command::kExecute1));
    QCOMPARE(file.indexOf(eject), execute + 1);
    QCOMPARE(eject->text(), QStringLiteral("カードを取り出す(&J)"));

    eject->trigger();
    QCOMPARE(ejector.asked, std::vector<std::string>{f.card_root});
    QCOMPARE(f.Drives()->count(), 1);
    QCOMPARE(f.Drives()->currentIndex(), -1);
    QCOMPARE(f.Status()->PanelText(1), QString());
    QVERIFY(!eject->isEnabled());
    QVERIFY(f.answered.empty());
  }

  void ARefusalGivesTheSystemsReasonAndKeepsTheCard() {
    WindowFixture f("card");
    fakes::FakeEjector ejector(f.fake.volumes);
    ejector.unmount_refusal = "Error unmounting /dev/sdb1: target is busy";
    f.form->SetVolumeEjector(&ejector);
    const QString status = f.Status()->PanelText(1);

    f.form->CommandAction(Command::kEject1)->trigger();
    QCOMPARE(f.answered.size(), size_t{1});
    QCOMPARE(f.answered[0].kind, DialogKind::kInformation);
    QCOMPARE(QString::fromStdString(f.answered[0].text),
             QStringLiteral("カードを取り出せませんでした.\r\n"
                            "Error unmounting /dev/sdb1: target is busy"));
    QCOMPARE(f.Drives()->count(), 2);
    QCOMPARE(f.Drives()->currentText().startsWith(QStringLiteral("CARD")), true);
    QCOMPARE(f.Status()->PanelText(1), status);
    QVERIFY(f.form->CommandAction(Command::kEject1)->isEnabled());
  }
};

}  // namespace tarvello

QTEST_MAIN(tarvello::EjectCommandTest)
#include "eject_command_test.moc"
