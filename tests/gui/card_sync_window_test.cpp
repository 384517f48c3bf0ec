// The card's content dialog and the update bar in the real widgets, driven by keyboard
// and mouse: sources added, moved and removed, the options, OK and Escape; the bar over
// the list for a card with a profile, its not-now and update buttons.

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QInputDialog>
#include <QLabel>
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

constexpr const char* kIdentity = "C0DE-0001";

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

QStringList Labels(const QListWidget* list) {
  QStringList labels;
  for (int row = 0; row < list->count(); ++row) labels << list->item(row)->text();
  return labels;
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
    auto* list = form.findChild<QListWidget*>(QStringLiteral("lvSources"));
    QTRY_VERIFY(list->hasFocus());
    QCOMPARE(list->currentRow(), 0);
    auto* up = form.findChild<QPushButton*>(QStringLiteral("btUp"));
    QVERIFY(!up->isEnabled());  // the first source cannot go higher

    // Down to the playlist file, Alt+U moves it up.
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(list->currentRow(), 1);
    QTest::keyClick(list, Qt::Key_U, Qt::AltModifier);
    // A mnemonic clicks its button a moment later, as the button shows the press.
    QTRY_COMPARE(Labels(list).first(), QStringLiteral("プレイリストファイル /music/b.m3u8"));
    QCOMPARE(list->currentRow(), 0);

    // Added from the add button's menu: a folder, a library playlist, the current list.
    auto* menu = form.findChild<QMenu*>(QStringLiteral("AddSourceMenu"));
    QVERIFY(!menu->findChild<QAction*>(QStringLiteral("AddPlayerPlaylist")) ||
            menu->findChild<QAction*>(QStringLiteral("AddPlayerPlaylist"))->isEnabled());
    menu->findChild<QAction*>(QStringLiteral("AddFolder"))->trigger();
    OnModal([](QDialog& dialog) {
      auto* input = qobject_cast<QInputDialog*>(&dialog);
      QVERIFY(input != nullptr);
      input->setTextValue(QStringLiteral("Evening"));
      input->accept();
    });
    menu->findChild<QAction*>(QStringLiteral("AddLibraryPlaylist"))->trigger();
    menu->findChild<QAction*>(QStringLiteral("AddCurrentList"))->trigger();
    QCOMPARE(list->count(), 5);
    QCOMPARE(list->currentRow(), 4);
    QCOMPARE(list->item(4)->text(), QStringLiteral("現在のリストの出力対象曲 (3 曲)"));
    // The same folder again only selects it.
    menu->findChild<QAction*>(QStringLiteral("AddFolder"))->trigger();
    QCOMPARE(list->count(), 5);
    QCOMPARE(list->currentRow(), 2);

    // The mouse removes the selected folder; Alt+I ticks the automatic update.
    QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("btRemove")), Qt::LeftButton);
    QCOMPARE(list->count(), 4);
    // The playlist's little dialog has closed: the form is the active window again.
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QTest::keyClick(list, Qt::Key_I, Qt::AltModifier);
    QTRY_VERIFY(form.findChild<QCheckBox*>(QStringLiteral("chAutoUpdate"))->isChecked());
    auto* bit_rate = form.findChild<QComboBox*>(QStringLiteral("cbBitRate"));
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

  void EscapeLeavesTheDialogWithoutValuesAndTheCurrentListNeedsMarkedRows() {
    CardProfileRequest request = ProfileRequest();
    request.marked_rows = 0;
    request.library_playlists.clear();
    TCardProfileForm form(request, {});
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    auto* menu = form.findChild<QMenu*>(QStringLiteral("AddSourceMenu"));
    QVERIFY(!menu->findChild<QAction*>(QStringLiteral("AddCurrentList"))->isEnabled());
    QVERIFY(!menu->findChild<QAction*>(QStringLiteral("AddLibraryPlaylist"))->isEnabled());
    QTest::keyClick(form.findChild<QListWidget*>(QStringLiteral("lvSources")), Qt::Key_Escape);
    QCOMPARE(form.result(), int(QDialog::Rejected));
  }

  void TheBarOffersTheUpdateAboveTheListAndItsButtonsWork() {
    TempDir music;
    std::filesystem::copy_file(TestSong("tagged.m4a"), music.Path("a.m4a"));
    std::filesystem::copy_file(TestSong("japanese.m4a"), music.Path("b.m4a"));
    WindowFixture f("", [&](WindowFixture& fixture) {
      fixture.fake.files.volume_names[fixture.card_root] = kIdentity;
      const CardProfile profile{
          kIdentity, {{CardSourceKind::kFolder, music.path(), {}, {}}}, {}, false};
      QVERIFY(
          SaveCardProfile(fixture.fake.files, ExtraSettingsFileName(fixture.ini_path), profile));
    });
    auto* bar = f.Find<UpdateBar>("UpdateBar");
    QVERIFY(!bar->isVisible());
    QAction* content = f.Find<QAction>("CardContent1");
    QVERIFY(!content->isEnabled());
    const int list_top = f.List()->y();

    // The user picks the card in the drive box.
    const int card = f.Drives()->findText(QStringLiteral("CARD"), Qt::MatchStartsWith);
    const int stick = 1 - card;
    f.Drives()->setCurrentIndex(card);
    QVERIFY(content->isEnabled());
    QTRY_VERIFY(bar->isVisible());
    QVERIFY(bar->Text().startsWith(QStringLiteral("カード CARD を更新できます: 2 曲を追加")));
    QCOMPARE(f.List()->y(), list_top + bar->height());
    SaveScreenshot(*f.form, QStringLiteral("card_update_bar.png"));

    QTest::mouseClick(bar->findChild<QPushButton*>(QStringLiteral("btNotNow")), Qt::LeftButton);
    QVERIFY(!bar->isVisible());
    QCOMPARE(f.List()->y(), list_top);
    QVERIFY(!std::filesystem::exists(f.card_root + "/PRIVATE/AU/DF/D_SD/SDS_0001.3G2"));

    // Another drive ends nothing but the offer; the card chosen again offers it again.
    f.Drives()->setCurrentIndex(stick);
    f.Drives()->setCurrentIndex(card);
    QTRY_VERIFY(bar->isVisible());
    QTest::mouseClick(bar->findChild<QPushButton*>(QStringLiteral("btUpdate")), Qt::LeftButton);
    // The card held one song of another list: the update asks before it removes it.
    QCOMPARE(f.answered.size(), size_t{2});
    QCOMPARE(f.answered[0].kind, DialogKind::kChoice);
    QVERIFY(!bar->isVisible());
    // Without a notification service the report comes in a box, whatever window is active.
    QVERIFY(f.answered.back().text.starts_with("カード CARD を更新しました"));
    QVERIFY(std::filesystem::exists(f.card_root + "/PRIVATE/AU/DF/D_SD/SDS_0001.3G2"));
    QCOMPARE(f.List()->model()->rowCount(), 0);  // the window's list stays as it was
  }

  void TheContentCommandSaysWhenTheCardHasNoIdentity() {
    WindowFixture f("card");
    QAction* content = f.Find<QAction>("CardContent1");
    QVERIFY(content->isEnabled());
    content->trigger();
    QCOMPARE(f.answered.size(), size_t{1});
    QCOMPARE(f.answered[0].text, std::string(kNoCardIdentity));
  }
};

}  // namespace tarvello

QTEST_MAIN(tarvello::CardSyncWindowTest)
#include "card_sync_window_test.moc"
