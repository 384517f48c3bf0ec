// The progress dialog: its look, when the work starts, what the work shows in it, the
// three ways to ask for a cancel, message boxes above it, and an exception from the work.

#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <stdexcept>
#include <string>
#include <vector>

#include "gui/dialogs.h"
#include "gui/progress_form.h"

namespace tarvello {
namespace {

// Lets events run until the work is asked to stop; false when nobody asked within 5 s.
bool WaitForCancel(OutputProgress& progress) {
  const QDeadlineTimer deadline(5000);
  while (!progress.CancelRequested() && !deadline.hasExpired()) progress.ProcessEvents();
  return progress.CancelRequested();
}

// Lets events run for a while, as the run does between its steps.
void KeepWorking(OutputProgress& progress, int milliseconds) {
  const QDeadlineTimer deadline(milliseconds);
  while (!deadline.hasExpired()) progress.ProcessEvents();
}

QPushButton* CancelButton(QWidget& form) {
  return form.findChild<QPushButton*>(QStringLiteral("btCancel"));
}

}  // namespace

class ProgressFormTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    owner_.setGeometry(120, 90, 640, 420);
    owner_.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner_));
  }

  void LooksLikeTheClassicDialog() {
    TProgressForm form(&owner_, {}, {});
    QCOMPARE(form.windowTitle(), QString("In Progress..."));
    QCOMPARE(form.size(), QSize(337, 108));
    QCOMPARE(form.minimumSize(), form.maximumSize());
    const Qt::WindowFlags flags = form.windowFlags();
    QVERIFY(flags.testFlag(Qt::CustomizeWindowHint));
    QVERIFY(flags.testFlag(Qt::WindowTitleHint));
    QVERIFY(!flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowSystemMenuHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinMaxButtonsHint));
    QCOMPARE(form.font().families().value(0), QString("ＭＳ Ｐゴシック"));
    QCOMPARE(form.font().pixelSize(), 12);

    auto* label = form.findChild<QLabel*>(QStringLiteral("lbMessage"));
    auto* bar = form.findChild<QProgressBar*>(QStringLiteral("ProgressBar1"));
    QPushButton* button = CancelButton(form);
    QVERIFY(label && bar && button);
    QCOMPARE(label->size(), QSize(273, 17));
    QCOMPARE(label->alignment(), Qt::AlignCenter);
    QCOMPARE(bar->minimum(), 0);
    QCOMPARE(bar->maximum(), 100);
    QCOMPARE(bar->value(), 0);
    QCOMPARE(button->text(), QString("キャンセル"));
    // Top to bottom, centred, nothing outside the client area.
    for (QWidget* control : std::vector<QWidget*>{label, bar, button}) {
      QVERIFY2(form.rect().contains(control->geometry()), qPrintable(control->objectName()));
      QVERIFY(qAbs(control->geometry().center().x() - form.rect().center().x()) <= 1);
    }
    QVERIFY(label->geometry().bottom() < bar->geometry().top());
    QVERIFY(bar->geometry().bottom() < button->geometry().top());
    QVERIFY(button->width() >= button->sizeHint().width());

    auto* timer = form.findChild<QTimer*>(QStringLiteral("Timer1"));
    QVERIFY(timer);
    QCOMPARE(timer->interval(), 100);
    QVERIFY(timer->isSingleShot());
    QVERIFY(!timer->isActive());
  }

  void WorkRunsOnceAfterTheDialogIsShownAndTheDialogCloses() {
    int runs = 0;
    bool visible_during_work = false;
    qint64 started_after = -1;
    QElapsedTimer clock;
    TProgressForm form(&owner_,
                       [&](OutputProgress&) {
                         ++runs;
                         started_after = clock.elapsed();
                         visible_during_work =
                             form.isVisible() && QApplication::activeModalWidget() == &form;
                       },
                       {});
    QTest::qWait(200);
    QCOMPARE(runs, 0);  // not before it is shown

    clock.start();
    QCOMPARE(form.exec(), int(QDialog::Accepted));
    QCOMPARE(runs, 1);
    QVERIFY(visible_during_work);
    QVERIFY2(started_after >= 90, qPrintable(QString::number(started_after)));
    QVERIFY(!form.isVisible());
    QVERIFY(form.WorkFinished());
    QVERIFY(!form.Failure());
  }

  void WorkShowsLabelMaximumAndSteps() {
    QString label_text;
    std::vector<int> positions;
    int maximum_after_growth = 0;
    TProgressForm form(&owner_,
                       [&](OutputProgress& progress) {
                         auto* label = form.findChild<QLabel*>(QStringLiteral("lbMessage"));
                         auto* bar = form.findChild<QProgressBar*>(QStringLiteral("ProgressBar1"));
                         progress.SetMaximum(4);
                         progress.SetLabel("ファイルの出力中... 0 / 3");
                         label_text = label->text();
                         progress.Step();
                         progress.Step();
                         positions.push_back(bar->value());
                         // The run raises the maximum once it has counted the old files.
                         progress.SetMaximum(progress.Maximum() + 3);
                         maximum_after_growth = bar->maximum();
                         positions.push_back(bar->value());
                         for (int i = 0; i < 10; ++i) progress.Step();
                         positions.push_back(bar->value());
                         // A smaller maximum keeps the bar full instead of resetting it.
                         progress.SetMaximum(5);
                         positions.push_back(bar->value());
                       },
                       {});
    form.exec();
    QCOMPARE(label_text, QString("ファイルの出力中... 0 / 3"));
    QCOMPARE(maximum_after_growth, 7);
    QCOMPARE(positions, (std::vector<int>{2, 2, 7, 5}));
    QCOMPARE(form.Maximum(), 5);
  }

  void CancelButtonOnlyAsksTheWorkToStop() {
    bool cleared_at_start = false;
    bool cancelled = false;
    bool open_after_cancel = false;
    TProgressForm form(&owner_,
                       [&](OutputProgress& progress) {
                         cleared_at_start = !progress.CancelRequested();
                         QTimer::singleShot(50, &form, [&] {
                           QTest::mouseClick(CancelButton(form), Qt::LeftButton);
                         });
                         cancelled = WaitForCancel(progress);
                         KeepWorking(progress, 50);
                         open_after_cancel = form.isVisible();
                       },
                       {});
    form.exec();
    QVERIFY(cleared_at_start);
    QVERIFY(cancelled);
    QVERIFY(open_after_cancel);
    QVERIFY(form.CancelRequested());
  }

  void EscapeAndCloseRequestsCancelWithoutClosing() {
    // Escape reaches the dialog from the focused button, as it does on screen.
    auto press_escape = [](TProgressForm& form) {
      QTest::keyClick(form.focusWidget() ? form.focusWidget() : &form, Qt::Key_Escape);
    };
    auto request_close = [](TProgressForm& form) { QVERIFY(!form.close()); };
    for (const auto& ask : {std::function<void(TProgressForm&)>(press_escape),
                            std::function<void(TProgressForm&)>(request_close)}) {
      bool cancelled = false;
      bool open_after_cancel = false;
      TProgressForm form(&owner_,
                         [&](OutputProgress& progress) {
                           QTimer::singleShot(50, &form, [&] { ask(form); });
                           cancelled = WaitForCancel(progress);
                           KeepWorking(progress, 50);
                           open_after_cancel = form.isVisible();
                         },
                         {});
      QCOMPARE(form.exec(), int(QDialog::Accepted));
      QVERIFY(cancelled);
      QVERIFY(open_after_cancel);
    }
  }

  void MessagesGoToTheGivenFunction() {
    std::vector<std::string> shown;
    TProgressForm form(
        &owner_,
        [](OutputProgress& progress) {
          progress.ShowMessage("ファイルのリネームに失敗しました.\r\n/card/a.m4a");
          progress.Beep();
          progress.ShowMessage("出力先フォルダへ 2 曲を出力しました.");
        },
        [&](const std::string& text) { shown.push_back(text); });
    form.exec();
    QCOMPARE(shown, (std::vector<std::string>{"ファイルのリネームに失敗しました.\r\n/card/a.m4a",
                                              "出力先フォルダへ 2 曲を出力しました."}));
  }

  void WindowBoxesOpenAboveTheDialog() {
    // The main window's own boxes, with no responder, show the real message box.
    Dialogs dialogs(&owner_);
    QWidget* box_parent = nullptr;
    QString box_text;
    TProgressForm form(
        &owner_,
        [&](OutputProgress& progress) {
          QTimer::singleShot(50, &form, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            box_parent = box->parentWidget();
            box_text = box->text();
            QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
          });
          progress.ShowMessage("出力先フォルダへ 1 曲を出力しました.");
        },
        [&](const std::string& text) { dialogs.ShowInformation(text); });
    form.exec();
    QCOMPARE(box_parent, &form);
    QCOMPARE(box_text, QString("出力先フォルダへ 1 曲を出力しました."));
    QCOMPARE(dialogs.History().size(), size_t{1});
  }

  void HelperRunsAModalCentredDialogAndPassesFailuresOn() {
    bool modal = false;
    QPoint centre_offset;
    int runs = 0;
    RunWithProgressDialog(&owner_,
                          [&](OutputProgress& progress) {
                            ++runs;
                            auto* form = dynamic_cast<TProgressForm*>(&progress);
                            QVERIFY(form);
                            modal = form->isModal() && QApplication::activeModalWidget() == form;
                            centre_offset = form->geometry().center() - owner_.geometry().center();
                          },
                          {});
    QCOMPARE(runs, 1);
    QVERIFY(modal);
    QVERIFY2(centre_offset.manhattanLength() <= 2,
             qPrintable(QString("%1,%2").arg(centre_offset.x()).arg(centre_offset.y())));

    // An I/O error in the work closes the dialog and reaches the caller's error box.
    std::string error;
    try {
      RunWithProgressDialog(
          &owner_,
          [](OutputProgress&) { throw std::runtime_error("write error: No space left on device"); },
          {});
    } catch (const std::runtime_error& failure) {
      error = failure.what();
    }
    QCOMPARE(error, std::string("write error: No space left on device"));
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    for (QWidget* window : QApplication::topLevelWidgets()) {
      QVERIFY(!qobject_cast<TProgressForm*>(window));
    }
  }

 private:
  QWidget owner_;
};

}  // namespace tarvello

QTEST_MAIN(tarvello::ProgressFormTest)
#include "progress_form_test.moc"
