// The dialogs seam: filters in Qt's form, and a responder that answers and records
// every box and file dialog.

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "gui/dialogs.h"

namespace tarvello {

class DialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void ConvertsTheAddFilter() {
    const QStringList filters = QtFileFilters(
        "AAC ファイル (*.m4a)|*.m4a|XML ファイル (*.xml, *.rmp)|*.xml;*.rmp|"
        "すべてのファイル (*.*)|*.*");
    QCOMPARE(filters, QStringList({"AAC ファイル (*.m4a)", "XML ファイル (*.xml *.rmp)",
                                   "すべてのファイル (*)"}));
  }

  void ConvertsOddFilters() {
    // A name without patterns of its own gets them appended.
    QCOMPARE(QtFileFilters("Songs|*.m4a"), QStringList({"Songs (*.m4a)"}));
    // A trailing name without patterns, or empty patterns, is dropped.
    QCOMPARE(QtFileFilters("Songs|*.m4a|Other"), QStringList({"Songs (*.m4a)"}));
    QCOMPARE(QtFileFilters("Songs| ; |All|*"), QStringList({"All (*)"}));
    QCOMPARE(QtFileFilters("|*.xml"), QStringList({"*.xml (*.xml)"}));
    QVERIFY(QtFileFilters("").isEmpty());
  }

  void ResponderAnswersAndEveryRequestIsRecorded() {
    Dialogs dialogs(nullptr);
    std::vector<std::string> asked;
    dialogs.SetResponder([&](const DialogRequest& request) {
      asked.push_back(request.text);
      DialogAnswer answer;
      answer.ok = request.kind != DialogKind::kConfirm || request.text == "yes?";
      if (request.kind == DialogKind::kOpenFiles && request.files.title == "追加") {
        answer.files = {"/tmp/a.m4a", "/tmp/曲.m4a"};
      }
      return answer;
    });

    dialogs.ShowInformation("情報.");
    QVERIFY(dialogs.Confirm("yes?"));
    QVERIFY(!dialogs.Confirm("no?"));
    const auto chosen = dialogs.ChooseFiles({"追加", "All|*", true});
    QVERIFY(chosen.has_value());
    QCOMPARE(*chosen, (std::vector<std::string>{"/tmp/a.m4a", "/tmp/曲.m4a"}));

    dialogs.SetResponder([](const DialogRequest&) { return DialogAnswer{false, {}}; });
    QVERIFY(!dialogs.ChooseFiles({"other", "All|*", true}).has_value());

    QCOMPARE(asked, (std::vector<std::string>{"情報.", "yes?", "no?", ""}));
    const auto& history = dialogs.History();
    QCOMPARE(history.size(), size_t{5});
    QCOMPARE(history[0].kind, DialogKind::kInformation);
    QCOMPARE(history[1].kind, DialogKind::kConfirm);
    QCOMPARE(history[3].kind, DialogKind::kOpenFiles);
    QCOMPARE(history[3].files.title, std::string("追加"));
    QCOMPARE(history[4].files.title, std::string("other"));
  }

  void BoxesShowPlainTextWithLineBreaks() {
    const std::string text = "ファイルがオープンできません.\r\n/music/<b>loud</b>.m4a";
    const auto information = MakeMessageBox(DialogKind::kInformation, text, nullptr);
    QCOMPARE(information->textFormat(), Qt::PlainText);
    QCOMPARE(information->text(), QString("ファイルがオープンできません.\n/music/<b>loud</b>.m4a"));
    QCOMPARE(information->windowTitle(), QString("Tarvello"));
    QCOMPARE(information->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));

    const auto confirm = MakeMessageBox(DialogKind::kConfirm, "出力を実行しますか？", nullptr);
    QCOMPARE(confirm->standardButtons(), QMessageBox::Ok | QMessageBox::Cancel);
    QCOMPARE(static_cast<QAbstractButton*>(confirm->defaultButton()),
             confirm->button(QMessageBox::Ok));
  }
};

}  // namespace tarvello

QTEST_MAIN(tarvello::DialogsTest)
#include "dialogs_test.moc"
