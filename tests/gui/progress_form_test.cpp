// The progress dialog: its look, when the work starts, what the work shows in it, the
// ways to ask for a cancel, boxes above it, and an exception from the work.

#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "gui/dialogs.h"
#include "gui/progress_form.h"

namespace tarvello {

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
    QCOMPARE(form.minimumSize(), QSize(337, 108));
    QCOMPARE(form.maximumSize(), QSize(337, 108));
    QVERIFY(form.windowFlags().testFlag(Qt::CustomizeWindowHint));
    QVERIFY(!(form.windowFlags() & (Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint |
                                    Qt::WindowMinMaxButtonsHint)));
    QCOMPARE(form.font().families().value(0), QString("ＭＳ Ｐゴシック"));
    auto* label = form.findChild<QLabel*>("lbMessage");
    auto* bar = form.findChild<QProgressBar*>("ProgressBar1");
    auto* button = form.findChild<QPushButton*>("btCancel");
    QCOMPARE(label->size(), QSize(273, 17));
    QCOMPARE(std::make_pair(bar->value(), bar->maximum()), std::make_pair(0, 100));
    QCOMPARE(button->text(), QString("キャンセル"));
    for (QWidget* control : {static_cast<QWidget*>(label), static_cast<QWidget*>(bar),
                             static_cast<QWidget*>(button)}) {
      QVERIFY(form.rect().contains(control->geometry()));
      QVERIFY(qAbs(control->geometry().center().x() - form.rect().center().x()) <= 1);
    }
    QVERIFY(label->y() < bar->y() && bar->geometry().bottom() < button->y());
  }

  void ALongLabelKeepsItsStartAndEndWithinTheLabel() {
    TProgressForm form(&owner_, {}, {});
    auto* label = form.findChild<QLabel*>("lbMessage");
    form.SetLabel("追加しています... 12 / 340 曲");
    QCOMPARE(label->text(), QString("追加しています... 12 / 340 曲"));
    const std::string folder = "/home/user/" + std::string(200, 'x') + "/Disc 2";
    form.SetLabel("追加しています... 12 / 340 曲  " + folder);
    const QString shown = label->text();
    QVERIFY(shown.startsWith("追加しています..."));
    QVERIFY(shown.endsWith("Disc 2"));
    QVERIFY(shown.contains(QChar(0x2026)));
    QVERIFY(label->fontMetrics().horizontalAdvance(shown) <= label->width());
  }

  void WorkRunsOnceShownAfterTheTimerAndTheDialogCloses() {
    int runs = 0;
    qint64 started_after = -1;
    QElapsedTimer clock;
    TProgressForm form(&owner_,
                       [&](OutputProgress&) {
                         ++runs;
                         if (form.isVisible()) started_after = clock.elapsed();
                       },
                       {});
    QTest::qWait(200);
    QCOMPARE(runs, 0);  // not before it is shown
    clock.start();
    QCOMPARE(form.exec(), int(QDialog::Accepted));
    QCOMPARE(runs, 1);
    QVERIFY2(started_after >= 90, qPrintable(QString::number(started_after)));
    QVERIFY(!form.isVisible());
  }

  void WorkShowsLabelMaximumAndSteps() {
    QString text;
    std::vector<int> positions;
    TProgressForm form(
        &owner_,
        [&](OutputProgress& progress) {
          auto* bar = form.findChild<QProgressBar*>("ProgressBar1");
          progress.SetMaximum(4);
          progress.SetLabel("ファイルの出力中... 0 / 3");
          text = form.findChild<QLabel*>("lbMessage")->text();
          progress.Step();
          progress.Step();
          progress.SetMaximum(progress.Maximum() + 3);  // grown after counting the old files
          positions = {bar->value(), bar->maximum()};
          for (int i = 0; i < 10; ++i) progress.Step();
          positions.push_back(bar->value());
          progress.SetMaximum(5);  // keeps the bar full instead of resetting it
          positions.push_back(bar->value());
        },
        {});
    form.exec();
    QCOMPARE(text, QString("ファイルの出力中... 0 / 3"));
    QCOMPARE(positions, (std::vector<int>{2, 7, 7, 5}));
  }

  void ButtonEscapeAndCloseOnlyAskTheWorkToStop() {
    const std::vector<std::function<void(TProgressForm&)>> requests = {
        [](TProgressForm& form) {
          QTest::mouseClick(form.findChild<QPushButton*>("btCancel"), Qt::LeftButton);
        },
        [](TProgressForm& form) { QTest::keyClick(form.focusWidget(), Qt::Key_Escape); },
        [](TProgressForm& form) { form.close(); }};
    for (const auto& request : requests) {
      bool cleared = false;
      bool open_after_cancel = false;
      TProgressForm form(&owner_,
                         [&](OutputProgress& progress) {
                           cleared = !progress.CancelRequested();
                           QTimer::singleShot(50, &form, [&] { request(form); });
                           const QDeadlineTimer deadline(3000);
                           while (!progress.CancelRequested() && !deadline.hasExpired())
                             progress.ProcessEvents();
                           const QDeadlineTimer more_work(50);
                           while (!more_work.hasExpired()) progress.ProcessEvents();
                           open_after_cancel = form.isVisible();
                         },
                         {});
      QCOMPARE(form.exec(), int(QDialog::Accepted));
      QVERIFY(cleared && form.CancelRequested() && open_after_cancel);
    }
  }

  void MessagesOpenAboveTheDialog() {
    Dialogs dialogs(&owner_);  // the window's boxes, with no responder: the real box
    QWidget* box_parent = nullptr;
    TProgressForm form(
        &owner_,
        [&](OutputProgress& progress) {
          QTimer::singleShot(50, &form, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
              box_parent = box->parentWidget();
              box->button(QMessageBox::Ok)->click();
            }
          });
          progress.ShowMessage("出力先フォルダへ 1 曲を出力しました.");
        },
        [&](const std::string& text) { dialogs.ShowInformation(text); });
    form.exec();
    QCOMPARE(box_parent, &form);
    QCOMPARE(dialogs.History().at(0).text, std::string("出力先フォルダへ 1 曲を出力しました."));
  }

  void HelperRunsAModalCentredDialogAndPassesFailuresOn() {
    QPoint centre_offset(-1, -1);
    RunWithProgressDialog(&owner_,
                          [&](OutputProgress& progress) {
                            auto& form = dynamic_cast<TProgressForm&>(progress);
                            if (QApplication::activeModalWidget() == &form) {
                              centre_offset = form.geometry().center() - owner_.geometry().center();
                            }
                          },
                          {});
    QVERIFY(centre_offset.manhattanLength() <= 2);

    // An I/O error closes the dialog first, then reaches the caller's error box.
    QVERIFY_THROWS_EXCEPTION(
        std::runtime_error,
        RunWithProgressDialog(
            &owner_, [](OutputProgress&) { throw std::runtime_error("write error"); }, {}));
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
  }

 private:
  QWidget owner_;
};

}  // namespace tarvello

QTEST_MAIN(tarvello::ProgressFormTest)
#include "progress_form_test.moc"
