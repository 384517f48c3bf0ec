// The properties, options and About dialogs, opened from the real window and on their
// own: their fields, Enter and Escape, the folder chooser's seam, the options' follow-up
// steps, and a screenshot of each.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <filesystem>
#include <string>
#include <utility>

#include "common/number_format.h"
#include "convert/made_sources.h"
#include "gui/about_dialog.h"
#include "gui/main_form.h"
#include "gui/option_form.h"
#include "gui/window_fixture.h"

namespace tarvello {
namespace {

template <typename T>
T* Child(QWidget& parent, const char* name) {
  return parent.findChild<T*>(QString::fromLatin1(name));
}

QString LabelText(QWidget& dialog, const char* name) {
  return Child<QLabel>(dialog, name)->text();
}

}  // namespace

class EditingDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void OptionsCancelOnEnterAndEscapeAndConfirmOnTheOkButton() {
    WindowFixture f("card");
    QLabel* out_dir = f.Find<QLabel>("lbOutDir");
    QAction* options = f.form->CommandAction(Command::kOption1);

    QString typed_prefix;
    OnModal([&](QDialog& dialog) {
      QCOMPARE(dialog.windowTitle(), QString("Options"));
      QCOMPARE(dialog.size(), QSize(394, 250));
      auto* prefix = Child<QLineEdit>(dialog, "edPrefix");
      QCOMPARE(prefix->text(), QString("SDS"));
      prefix->clear();
      QTest::keyClicks(prefix, "ab1d");
      typed_prefix = prefix->text();
      QCOMPARE(Child<QLineEdit>(dialog, "edOutDir")->maxLength(), 240);
      QCOMPARE(Child<QComboBox>(dialog, "cbSeparater")->count(), 8);
      QCOMPARE(Child<QComboBox>(dialog, "cbTitleFormat")->itemText(2),
               QString("アーティスト/曲名"));
      QVERIFY(!Child<QCheckBox>(dialog, "chAutoGetDest")->isChecked());
      SaveScreenshot(dialog, "options_dialog.png");
      Child<QLineEdit>(dialog, "edOutDir")->setText("MUSIC\\");
      QTest::keyClick(Child<QLineEdit>(dialog, "edOutDir"), Qt::Key_Return);
    });
    options->trigger();
    QCOMPARE(typed_prefix, QString("AB1"));
    QCOMPARE(out_dir->text(), QString("\\PRIVATE\\AU\\DF\\D_SD"));

    // Enter in other fields and Escape anywhere cancel too (nullptr: the dialog itself).
    for (const auto& [field, key] :
         {std::pair{"cbTitleFormat", Qt::Key_Return}, std::pair{"chBackup", Qt::Key_Return},
          std::pair<const char*, Qt::Key>{nullptr, Qt::Key_Escape}}) {
      OnModal([&](QDialog& dialog) {
        Child<QLineEdit>(dialog, "edOutDir")->setText("MUSIC");
        QTest::keyClick(field ? Child<QWidget>(dialog, field) : &dialog, key);
      });
      options->trigger();
      QCOMPARE(out_dir->text(), QString("\\PRIVATE\\AU\\DF\\D_SD"));
    }
    QVERIFY(f.form->IsCommandEnabled(Command::kDest1));

    // Enter on the OK button confirms: the folder takes its rule and Dest1 follows it.
    OnModal([&](QDialog& dialog) {
      Child<QLineEdit>(dialog, "edOutDir")->setText("MUSIC\\");
      QTest::keyClick(Child<QPushButton>(dialog, "btOK"), Qt::Key_Return);
    });
    options->trigger();
    QCOMPARE(out_dir->text(), QString("\\MUSIC"));
    QVERIFY(!f.form->IsCommandEnabled(Command::kDest1));
    QVERIFY(f.answered.empty());
  }

  void TheFolderButtonAndTheFollowUpSteps() {
    WindowFixture f("card");
    // The start-up timer imports the card once automatic import is on; it must have run
    // before the options change, or it would switch the output command on in between.
    QTRY_VERIFY(!f.Find<QTimer>("Timer1")->isActive());
    f.AddSongs({TestSong("tagged.m4a")});
    std::string chooser_start = "unset";
    f.form->SetFolderChooser([&](std::string& folder) {
      chooser_start = folder;
      folder = f.card_root + "/PRIVATE/AU/DF/D_SD";
      return true;
    });
    // The card's folder holds a song, which the follow-up import lists in place of the
    // added one; the output command is switched off to see the follow-up switch it on again.
    const std::string card_song = f.card_root + "/PRIVATE/AU/DF/D_SD/SDS_0000.3G2";
    fakes::WriteFile(card_song, fakes::ReadFile(TestSong("japanese.m4a")));
    f.form->SetCommandEnabled(Command::kExecute1, false);
    QString chosen;
    OnModal([&](QDialog& dialog) {
      Child<QLineEdit>(dialog, "edOutDir")->setText("\\ELSEWHERE");
      QTest::keyClick(Child<QPushButton>(dialog, "btDirDialog"), Qt::Key_Return);
      chosen = Child<QLineEdit>(dialog, "edOutDir")->text();
      Child<QCheckBox>(dialog, "chAutoGetDest")->setChecked(true);
      QTest::mouseClick(Child<QPushButton>(dialog, "btOK"), Qt::LeftButton);
    });
    f.form->CommandAction(Command::kOption1)->trigger();
    QCOMPARE(QString::fromStdString(chooser_start), QString());
    QCOMPARE(chosen, QString("\\PRIVATE\\AU\\DF\\D_SD"));
    QVERIFY(f.form->IsCommandEnabled(Command::kDest1));
    QVERIFY(f.form->IsCommandEnabled(Command::kExecute1));
    QCOMPARE(f.List()->model()->rowCount(), 1);
    QCOMPARE(f.List()->model()->index(0, 0).data().toString(), QStringLiteral("春の海"));

    // Nothing of the folder or the import switch changed: the output command stays off.
    f.form->SetCommandEnabled(Command::kExecute1, false);
    OnModal([&](QDialog& dialog) {
      Child<QLineEdit>(dialog, "edExt")->setText("M4A");
      Child<QPushButton>(dialog, "btOK")->click();
    });
    f.form->CommandAction(Command::kOption1)->trigger();
    QVERIFY(!f.form->IsCommandEnabled(Command::kExecute1));
  }

  void OptionsFormLoadsAndHandsBackItsValues() {
    const auto choose_card = [](std::string& folder) {
      folder = "/media/card";
      return true;
    };
    OptionDialogRequest request;
    request.values = {"\\A", "X", "Y", kNoItem, kNoItem, true, false};
    TOptionForm form(request, choose_card);
    QCOMPARE(Child<QComboBox>(form, "cbSeparater")->currentIndex(), -1);
    QCOMPARE(Child<QComboBox>(form, "cbTitleFormat")->currentIndex(), -1);
    QCOMPARE(form.Values(), request.values);
    QVERIFY(!Child<QLineEdit>(form, "edPrefix")->testAttribute(Qt::WA_InputMethodEnabled));
    request.mount_points = {"/media/card"};
    TOptionForm root(request, choose_card);
    Child<QPushButton>(root, "btDirDialog")->click();
    QCOMPARE(root.Values().out_dir, std::string("\\"));
  }

  void OptionsOkRefusesAFolderWithDotPartsAndKeepsTheDialogOpen() {
    OptionDialogRequest request;
    request.values = LoadOptionForm(TOutputOptions{});
    TOptionForm form(request);
    form.show();
    auto* out_dir = Child<QLineEdit>(form, "edOutDir");
    out_dir->setText("\\..\\victim");
    QString shown;
    OnModal([&](QDialog& box) {
      auto* message = qobject_cast<QMessageBox*>(&box);
      if (message == nullptr) return;
      shown = message->text();
      SaveScreenshot(box, "options_dot_refusal.png");
    });
    Child<QPushButton>(form, "btOK")->click();
    QCOMPARE(shown, QString("出力先フォルダに「.」や「..」は指定できません."));
    QVERIFY(form.isVisible());
    QCOMPARE(form.result(), int(QDialog::Rejected));
    QVERIFY(out_dir->hasSelectedText());

    out_dir->setText("\\...\\MUSIC");
    Child<QPushButton>(form, "btOK")->click();
    QCOMPARE(form.result(), int(QDialog::Accepted));
    QCOMPARE(form.Values().out_dir, std::string("\\...\\MUSIC"));
  }

  // The conversion page measures the cache when it opens, and its button empties the cache
  // after a confirmation, keeping the song that the list's row uses.
  void OptionsConversionPageEmptiesTheCacheButForTheListsSongs() {
    if (!testing::HaveFfmpeg()) QSKIP("the ffmpeg command is not installed");
    TempDir music;
    TempDir cache;
    const std::string wav = music.Path("tone.wav");
    QVERIFY(testing::RunFfmpeg(testing::Tone(1) + " -ac 2 " + wav));
    WindowFixture f("card", [&](WindowFixture& fixture) {
      fixture.fake.environment.variables["XDG_CACHE_HOME"] = cache.path();
    });
    f.AddSongs({wav});
    const TrackTable& table = f.form->Presenter().State().table;
    const auto record_file = [&] { return std::string(FieldText(table[0].FileName)); };
    QTRY_VERIFY_WITH_TIMEOUT(record_file() != wav, 60000);
    const std::string song = record_file();
    const std::string folder = cache.Path("tarvello/converted");
    fakes::WriteFile(folder + "/0123-copy-v1.m4a", std::string(300000, 's'));
    const NumberSymbols symbols = NumberSymbols::FromLocale();
    const auto size_text = [&](int64_t bytes) {
      return QString::fromStdString(FormatFileSize(bytes, symbols) + " / " +
                                    FormatFileSize(kDefaultCacheBytes, symbols));
    };
    const int64_t song_bytes = std::filesystem::file_size(song);

    bool checked = false;
    OnModal([&](QDialog& dialog) {
      auto* pages = Child<QTabWidget>(dialog, "PageControl1");
      auto* size = Child<QLabel>(dialog, "lbCacheSize");
      QVERIFY(size->text().isEmpty());  // not measured before the page opens
      pages->setCurrentIndex(pages->indexOf(Child<QWidget>(dialog, "TabSheet3")));
      QCOMPARE(pages->tabText(pages->currentIndex()), QString("変換"));
      QCOMPARE(size->text(), size_text(song_bytes + 300000));
      QCOMPARE(Child<QLabel>(dialog, "lbCacheFolder")->toolTip(), QString::fromStdString(folder));
      SaveScreenshot(dialog, "options_cache_page.png");

      // Cancelled first: nothing goes.
      QString question;
      OnModal([&](QDialog& box) {
        question = qobject_cast<QMessageBox*>(&box)->text();
        box.reject();
      });
      Child<QPushButton>(dialog, "btEmptyCache")->click();
      QCOMPARE(question,
               QString("変換した曲のキャッシュを空にしますか?\n一覧で使用中の曲は残ります."));
      QCOMPARE(size->text(), size_text(song_bytes + 300000));

      OnModal(
          [](QDialog& box) { qobject_cast<QMessageBox*>(&box)->button(QMessageBox::Ok)->click(); });
      Child<QPushButton>(dialog, "btEmptyCache")->click();
      QCOMPARE(size->text(), size_text(song_bytes));
      QCOMPARE(Child<QLabel>(dialog, "lbCacheResult")->text(),
               QString("使用中の 1 曲を残して空にしました."));
      SaveScreenshot(dialog, "options_cache_emptied.png");
      checked = true;
      Child<QPushButton>(dialog, "btCancel")->click();
    });
    f.form->CommandAction(Command::kOption1)->trigger();
    QVERIFY(checked);
    QVERIFY(std::filesystem::exists(song));
    QVERIFY(!std::filesystem::exists(folder + "/0123-copy-v1.m4a"));
    QCOMPARE(record_file(), song);
  }

  void PropertiesShowTheSongReadAgain() {
    WindowFixture f("card");
    f.AddSongs({TestSong("tagged.m4a"), TestSong("japanese.m4a")});
    SaveScreenshot(*f.form, "main_window_two_songs.png");
    f.List()->selectionModel()->select(
        f.List()->model()->index(1, 0),
        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    QVERIFY(f.form->IsCommandEnabled(Command::kProperty1));
    f.form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
    bool checked = false;
    OnModal([&](QDialog& dialog) {
      QCOMPARE(dialog.windowTitle(), QString("Property"));
      QCOMPARE(dialog.size(), QSize(480, 462));
      auto* title = Child<QLineEdit>(dialog, "edTitle");
      QCOMPARE(title->text(), QString("春の海"));
      QVERIFY(title->isReadOnly());
      QCOMPARE(Child<QLineEdit>(dialog, "edFileSize")->text(), QString("6.2 KB"));
      QCOMPARE(Child<QPlainTextEdit>(dialog, "memFileName")->toPlainText(),
               QString::fromStdString(TestSong("japanese.m4a")));
      QVERIFY(Child<QLineEdit>(dialog, "edBitRate")->text().endsWith(" kbps"));
      QVERIFY(!Child<QCheckBox>(dialog, "chkCompilation")->isEnabled());
      QVERIFY(!Child<QGroupBox>(dialog, "GroupBox1")->isEnabled());
      SaveScreenshot(dialog, "properties_dialog.png");
      checked = true;
      QTest::keyClick(&dialog, Qt::Key_Return);
    });
    QTest::keyClick(f.form.get(), Qt::Key_I, Qt::ControlModifier);
    QVERIFY(checked);
    QVERIFY(QApplication::overrideCursor() == nullptr);
  }

  void AboutShowsTheVersionOrItsDesignTexts() {
    WindowFixture f("");
    bool checked = false;
    OnModal([&](QDialog& dialog) {
      QCOMPARE(dialog.windowTitle(), QString("About Tarvello"));
      QCOMPARE(LabelText(dialog, "ProductName"), QString("Tarvello"));
      QCOMPARE(LabelText(dialog, "Version"), QString("Version 1.4 (1.4.0.0)"));
      QVERIFY(LabelText(dialog, "Copyright").startsWith("Copyright"));
      QVERIFY(!Child<QLabel>(dialog, "ProgramImage")->pixmap().isNull());
      SaveScreenshot(dialog, "about_dialog.png");
      checked = true;
      Child<QPushButton>(dialog, "OKButton")->click();
    });
    f.form->CommandAction(Command::kAbout1)->trigger();
    QVERIFY(checked);

    TAboutDialog bare("Tarvello", std::nullopt);
    QCOMPARE(bare.windowTitle(), QString("About Tarvello"));
    QCOMPARE(LabelText(bare, "ProductName"), QString("Application Name"));
    QCOMPARE(LabelText(bare, "Version"), QString("Version 1.0.0.0"));
    QCOMPARE(LabelText(bare, "Copyright"), QString("Copyright (C)"));
    QVERIFY(Child<QLabel>(bare, "ProgramImage")->pixmap().isNull());
  }
};

}  // namespace tarvello

QTEST_MAIN(tarvello::EditingDialogsTest)
#include "editing_dialogs_test.moc"
