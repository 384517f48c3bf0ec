// The card's content dialog and the update bar in the real widgets, driven by keyboard
// and mouse: sources added, moved and removed, the options, OK and Escape; the bar over
// the list for a card with a profile, its not-now and update buttons.

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QInputDialog>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <filesystem>

#include "common/extra_settings.h"
#include "gui/card_profile_dialog.h"
#include "gui/update_bar.h"
#include "gui/window_fixture.h"
#include "sync/card_profile.h"

namespace tarvello {
namespace {

CardProfileRequest ProfileRequest() {
  CardProfileRequest request;
  request.card_name = "CARD";
  request.form.sources = {{CardSourceKind::kFolder, "/music/a", {}, {}},
                          {CardSourceKind::kPlaylistFile, "/music/b.m3u8", {}, {}}};
  request.form.output.bit_rate_kbps = 160;
  request.library_file = "/lib/Library.xml";
  request.library_playlists = {"Morning", "Evening"};
  request.player_playlists = {{"Rhythmbox", "Drive"}};
  request.marked_rows = 3;
  return request;
}

template <typename T>
T* Child(const QObject& parent, const char* name) {
  return parent.findChild<T*>(QString::fromLatin1(name));
}
void Trigger(const TCardProfileForm& form, const char* action) {
  Child<QAction>(*Child<QMenu>(form, "AddSourceMenu"), action)->trigger();
}

}  // namespace

class CardSyncWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void TheDialogEditsTheSourcesAndOptionsByKeyboardAndMouse() {
    CardProfileChoosers choosers;
    choosers.folder = [] { return std::optional<std::string>("/music/new"); };
    TCardProfileForm form(ProfileRequest(), choosers);
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    auto* list = Child<QListWidget>(form, "lvSources");
    QTRY_VERIFY(list->hasFocus());
    QCOMPARE(list->currentRow(), 0);
    QVERIFY(!Child<QPushButton>(form, "btUp")->isEnabled());  // the first cannot go higher

    // Down to the playlist file, Alt+U moves it up; a mnemonic clicks a moment later.
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_U, Qt::AltModifier);
    QTRY_COMPARE(list->item(0)->text(), QStringLiteral("プレイリストファイル /music/b.m3u8"));
    QCOMPARE(list->currentRow(), 0);

    // Added from the add button's menu: a folder, a library playlist, the current list.
    Trigger(form, "AddFolder");
    OnModal([](QDialog& dialog) {
      auto* input = qobject_cast<QInputDialog*>(&dialog);
      QVERIFY(input != nullptr);
      input->setTextValue(QStringLiteral("Evening"));
      input->accept();
    });
    Trigger(form, "AddLibraryPlaylist");
    Trigger(form, "AddCurrentList");
    QCOMPARE(list->count(), 5);
    QCOMPARE(list->currentRow(), 4);
    QCOMPARE(list->item(4)->text(), QStringLiteral("現在のリストの出力対象曲 (3 曲)"));
    // The same folder again only selects it.
    Trigger(form, "AddFolder");
    QCOMPARE(list->count(), 5);
    QCOMPARE(list->currentRow(), 2);

    // The mouse removes the selected folder; Alt+I ticks the automatic update once the
    // playlist's little dialog has given the form back its activation.
    QTest::mouseClick(Child<QPushButton>(form, "btRemove"), Qt::LeftButton);
    QCOMPARE(list->count(), 4);
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QTest::keyClick(list, Qt::Key_I, Qt::AltModifier);
    QTRY_VERIFY(Child<QCheckBox>(form, "chAutoUpdate")->isChecked());
    auto* bit_rate = Child<QComboBox>(form, "cbBitRate");
    QCOMPARE(bit_rate->currentData().toInt(), 160);
    bit_rate->setCurrentIndex(bit_rate->findData(128));

    const CardProfileForm values = form.Values();
    const std::vector<CardSource> expected{
        {CardSourceKind::kPlaylistFile, "/music/b.m3u8", {}, {}},
        {CardSourceKind::kFolder, "/music/a", {}, {}},
        {CardSourceKind::kLibraryPlaylist, "/lib/Library.xml", {}, "Evening"},
        CurrentListSource()};
    QVERIFY(values.sources == expected);
    QVERIFY(values.auto_update);
    QCOMPARE(values.output.bit_rate_kbps, 128);
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(form.result(), int(QDialog::Accepted));
  }

  void TheMenuOffersOnlyWhatTheRequestHoldsAndEscapeCancels() {
    CardProfileRequest bare = ProfileRequest();
    bare.marked_rows = 0;
    bare.library_playlists.clear();
    bare.player_playlists.clear();
    for (const auto& [request, offered] : {std::pair{ProfileRequest(), true}, {bare, false}}) {
      TCardProfileForm form(request, {});
      form.show();
      QVERIFY(QTest::qWaitForWindowActive(&form));
      const auto* menu = Child<QMenu>(form, "AddSourceMenu");
      for (const char* name : {"AddCurrentList", "AddLibraryPlaylist", "AddPlayerPlaylist"}) {
        QCOMPARE(Child<QAction>(*menu, name)->isEnabled(), offered);
      }
      QTest::keyClick(Child<QListWidget>(form, "lvSources"), Qt::Key_Escape);
      QCOMPARE(form.result(), int(QDialog::Rejected));
    }
  }

  void TheBarOffersTheUpdateAboveTheListAndItsButtonsWork() {
    TempDir music;
    std::filesystem::copy_file(TestSong("tagged.m4a"), music.Path("a.m4a"));
    std::filesystem::copy_file(TestSong("japanese.m4a"), music.Path("b.m4a"));
    WindowFixture f("", [&](WindowFixture& fixture) {
      fixture.fake.files.volume_names[fixture.card_root] = "C0DE-0001";
      const CardProfile profile{
          "C0DE-0001", {{CardSourceKind::kFolder, music.path(), {}, {}}}, {}, false};
      QVERIFY(
          SaveCardProfile(fixture.fake.files, ExtraSettingsFileName(fixture.ini_path), profile));
    });
    const std::string song = f.card_root + "/PRIVATE/AU/DF/D_SD/SDS_0001.3G2";
    auto* bar = f.Find<UpdateBar>("UpdateBar");
    QAction* content = f.Find<QAction>("CardContent1");
    QVERIFY(!bar->isVisible());
    QVERIFY(!content->isEnabled());
    const int list_top = f.List()->y();

    // The user picks the card in the drive box.
    const int card = f.Drives()->findText(QStringLiteral("CARD"), Qt::MatchStartsWith);
    f.Drives()->setCurrentIndex(card);
    QVERIFY(content->isEnabled());
    QTRY_VERIFY(bar->isVisible());
    QVERIFY(bar->Text().startsWith(QStringLiteral("カード CARD を更新できます: 2 曲を追加")));
    QCOMPARE(f.List()->y(), list_top + bar->height());
    SaveScreenshot(*f.form, QStringLiteral("card_update_bar.png"));

    QTest::mouseClick(Child<QPushButton>(*bar, "btNotNow"), Qt::LeftButton);
    QVERIFY(!bar->isVisible());
    QCOMPARE(f.List()->y(), list_top);
    QVERIFY(!std::filesystem::exists(song));

    // Another drive ends nothing but the offer; the card chosen again offers it again.
    f.Drives()->setCurrentIndex(1 - card);
    f.Drives()->setCurrentIndex(card);
    QTRY_VERIFY(bar->isVisible());
    QTest::mouseClick(Child<QPushButton>(*bar, "btUpdate"), Qt::LeftButton);
    // The card held one song of another list: the update asks before it removes it.
    QCOMPARE(f.answered.size(), size_t{2});
    QCOMPARE(f.answered[0].kind, DialogKind::kChoice);
    QVERIFY(!bar->isVisible());
    // Without a notification service the report comes in a box, whatever window is active.
    QVERIFY(f.answered.back().text.starts_with("カード CARD を更新しました"));
    QVERIFY(std::filesystem::exists(song));
    QCOMPARE(f.List()->model()->rowCount(), 0);  // the window's list stays as it was
  }

  void TheContentCommandSaysWhenTheCardHasNoIdentity() {
    WindowFixture f("card");
    f.Find<QAction>("CardContent1")->trigger();
    QCOMPARE(f.answered.size(), size_t{1});
    QCOMPARE(f.answered[0].text, std::string(kNoCardIdentity));
  }
};

}  // namespace tarvello

QTEST_MAIN(tarvello::CardSyncWindowTest)
#include "card_sync_window_test.moc"
