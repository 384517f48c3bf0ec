// The end of a session closes the windows through the event loop, and the signal's
// handler hands the next signal back to whoever handled it before.

#include <signal.h>

#include <QApplication>
#include <QTest>
#include <QWidget>

#include "gui/termination_signals.h"

namespace tarvello {
namespace {

volatile sig_atomic_t earlier_handler_calls = 0;

void EarlierHandler(int) {
  earlier_handler_calls = earlier_handler_calls + 1;
}

}  // namespace

class TerminationSignalsTest : public QObject {
  Q_OBJECT

 private slots:
  void FirstSignalClosesTheWindowsTheNextGoesToTheEarlierHandler() {
    struct sigaction earlier {};
    earlier.sa_handler = EarlierHandler;
    sigemptyset(&earlier.sa_mask);
    QCOMPARE(::sigaction(SIGHUP, &earlier, nullptr), 0);
    CloseWindowsOnTerminationSignals();
    QWidget window;
    window.show();

    QCOMPARE(::raise(SIGHUP), 0);
    QTRY_VERIFY(!window.isVisible());
    QCOMPARE(int(earlier_handler_calls), 0);

    struct sigaction now {};
    QCOMPARE(::sigaction(SIGHUP, nullptr, &now), 0);
    QVERIFY(now.sa_handler == EarlierHandler);
    QCOMPARE(::raise(SIGHUP), 0);
    QCOMPARE(int(earlier_handler_calls), 1);
  }
};

}  // namespace tarvello

QTEST_MAIN(tarvello::TerminationSignalsTest)
#include "termination_signals_test.moc"
