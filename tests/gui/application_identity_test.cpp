// The program's identity on the desktop: the desktop entry's name, and an icon that is
// the installed artwork in every size the icon theme gets.

#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QTest>

#include "gui/application_identity.h"
#include "gui/program_icon.h"
#include "gui/window_fixture.h"
#include "version.h"

namespace tarvello {

class ApplicationIdentityTest : public QObject {
  Q_OBJECT

 private slots:
  void NamesTheDesktopEntryAndItsIcon() {
    SetUpApplicationIdentity();
    QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("io.github.tarvello.Tarvello"));
    QCOMPARE(QApplication::applicationName(), QStringLiteral("Tarvello"));
    QCOMPARE(QApplication::windowIcon().availableSizes(), ProgramIcon().availableSizes());
  }

  void IconHoldsTheRenderedArtworkInEachSize() {
    const QIcon icon = ProgramIcon();
    QCOMPARE(icon.availableSizes(), QList<QSize>({{48, 48}, {128, 128}, {256, 256}}));
    for (int size : {48, 128, 256}) {
      const QImage image = icon.pixmap(size, size).toImage();
      QCOMPARE(image.size(), QSize(size, size));
      // Transparent corners around an opaque card.
      QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
      QCOMPARE(qAlpha(image.pixel(size / 2, size / 2)), 255);
    }
  }

  void MainWindowShowsTheProgramIcon() {
    WindowFixture f("");
    QCOMPARE(f.form->windowIcon().availableSizes(), ProgramIcon().availableSizes());
    QCOMPARE(f.form->windowIcon().pixmap(48, 48).toImage(), ProgramIcon().pixmap(48, 48).toImage());
  }
};

}  // namespace tarvello

QTEST_MAIN(tarvello::ApplicationIdentityTest)
#include "application_identity_test.moc"
