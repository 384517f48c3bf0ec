// The song sources in the real window: the playlist box and its drop-down, the import
// question with each answer, a dropped RMP package, and the automatic import of the card
// after start-up and after an output run.

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QTest>
#include <QTreeView>
#include <QUrl>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "gui/main_form.h"
#include "gui/playlist_combo_box.h"
#include "gui/window_fixture.h"
#include "sources/library_builder.h"

namespace tarvello {
namespace {

using testing::BuildLibrary;
using testing::LibraryPlaylist;

// The window over a card whose output folder holds two songs, with a music library of two
// tracks in the documents folder.
struct SourcesWindow : WindowFixture {
  std::string folder;

  SourcesWindow(bool auto_import, const std::vector<LibraryPlaylist>& playlists)
      : WindowFixture(
            "card",
            [&](WindowFixture& w) {
              const std::string songs = w.card_root + "/PRIVATE/AU/DF/D_SD/";
              fakes::WriteFile(songs + "SDS_0000.3G2", fakes::ReadFile(TestSong("tagged.m4a")));
              fakes::WriteFile(songs + "SDS_0001.3G2", fakes::ReadFile(TestSong("japanese.m4a")));
              const std::string location = "file://localhost" + TestSong("faststart.m4a");
              fakes::WriteFile(
                  w.program_folder.Path("Documents/My Music/iTunes/iTunes Music Library.xml"),
                  BuildLibrary({{1, "one", "AAC audio file", location},
                                {2, "two", "AAC audio file", location}},
                               playlists));
              fakes::WriteFile(w.ini_path, Settings(w.card_root, auto_import));
            }),
        folder(card_root + "/PRIVATE/AU/DF/D_SD") {}

  PlaylistComboBox* Playlists() const { return Find<PlaylistComboBox>("cbPlayLists"); }
  int Rows() const { return List()->model()->rowCount(); }
  QString Caption(int row) const { return List()->model()->index(row, 0).data().toString(); }
};

class SongSourcesTest : public QObject {
  Q_OBJECT

 private slots:
  void ThePlaylistBoxListsTheLibrary() {
    std::vector<LibraryPlaylist> playlists(8, {"short", {1}});
    playlists[3].name = "a much longer playlist name than the others";
    SourcesWindow w(false, playlists);
    QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
    PlaylistComboBox* box = w.Playlists();
    QVERIFY(box->isEnabled());
    QVERIFY(w.Find<QLabel>("Label2")->isEnabled());
    QCOMPARE(box->count(), 8);
    QCOMPARE(box->currentIndex(), -1);
    QVERIFY(!w.form->CommandAction(Command::kImport1)->isEnabled());

    box->showPopup();
    const int widest = box->fontMetrics().horizontalAdvance(box->itemText(3));
    QCOMPARE(box->DropDownWidth(), widest + 6);
    QVERIFY(box->view()->width() >= widest + 6);
    box->hidePopup();

    // The user's choice enables the import; a choice made by the program does not.
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Down);
    QCOMPARE(box->currentIndex(), 0);
    QVERIFY(w.form->CommandAction(Command::kImport1)->isEnabled());
  }


  void TheImportQuestionReplacesAppendsOrCancels() {
    SourcesWindow w(false, {{"Library", {1, 2}}, {"Second", {2}}});
    w.Playlists()->setFocus();
    QTest::keyClick(w.Playlists(), Qt::Key_Down);
    QTest::keyClick(w.Playlists(), Qt::Key_Down);
    QCOMPARE(w.Playlists()->currentIndex(), 1);

    w.reply.choice = YesNoCancel::kCancel;
    w.form->CommandAction(Command::kImport1)->trigger();
    QCOMPARE(w.answered.back().kind, DialogKind::kYesNoCancel);
    QVERIFY(w.answered.back().text.starts_with("iTunesプレイリスト 'Second' を読み込みます."));
    QCOMPARE(w.Rows(), 0);

    w.reply.choice = YesNoCancel::kYes;
    w.form->CommandAction(Command::kImport1)->trigger();
    QCOMPARE(w.Rows(), 1);
    QCOMPARE(w.Caption(0), QStringLiteral("two"));
    QCOMPARE(w.Playlists()->currentIndex(), 1);

    w.reply.choice = YesNoCancel::kNo;
    w.form->CommandAction(Command::kImport1)->trigger();
    QCOMPARE(w.Rows(), 2);
    QCOMPARE(w.Playlists()->currentIndex(), -1);
    QVERIFY(QApplication::overrideCursor() == nullptr);
  }

  void WithoutPlaylistsTheBoxIsGreyAndADroppedRmpPackageAddsItsTracks() {
    SourcesWindow w(false, {});
    QVERIFY(!w.Playlists()->isEnabled());
    QVERIFY(!w.Find<QLabel>("Label2")->isEnabled());
    QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
    const std::string rmp = w.temp_folder.Path("songs.rmp");
    fakes::WriteFile(rmp,
                     "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n<PACKAGE>\r\n"
                     "<TRACKLIST>\r\n<TRACK>\r\n<TITLE>listed</TITLE>\r\n<FORMAT>.m4a</FORMAT>\r\n"
                     "<FILENAME>" +
                         TestSong("tagged.m4a") +
                         "</FILENAME>\r\n</TRACK>\r\n</TRACKLIST>\r\n</PACKAGE>\r\n");
    auto mime = std::make_unique<QMimeData>();
    mime->setUrls({QUrl::fromLocalFile(QString::fromStdString(rmp))});
    const QPoint inside = w.List()->mapTo(w.form.get(), QPoint(20, 40));
    QDragEnterEvent enter(inside, Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w.form.get(), &enter);
    QDropEvent drop(QPointF(inside), Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w.form.get(), &drop);
    QTRY_COMPARE(w.Rows(), 1);
    QCOMPARE(w.Caption(0), QStringLiteral("listed"));
    QVERIFY(w.answered.empty());
  }

  void TheCardIsImportedAfterStartUpAndAfterAnOutputRun() {
    SourcesWindow w(true, {{"Library", {1}}});
    QCOMPARE(w.Rows(), 0);
    // The start-up timer brings the card's songs in without a question.
    QTRY_COMPARE(w.Rows(), 2);
    QVERIFY(w.answered.empty());
    QVERIFY(w.form->CommandAction(Command::kDest1)->isEnabled());

    // Output the list with one more song: afterwards the card's new contents are listed.
    w.AddSongs({TestSong("faststart.m4a")});
    QCOMPARE(w.Rows(), 3);
    w.form->CommandAction(Command::kExecute1)->trigger();
    QCOMPARE(w.Rows(), 3);
    for (int row = 0; row < 3; ++row) {
      const QString path = w.List()->model()->index(row, 1 + kSubFileName).data().toString();
      QVERIFY2(path.startsWith(QString::fromStdString(w.folder)), qPrintable(path));
    }
    QVERIFY(std::filesystem::exists(w.folder + "/SDS_0002.3G2"));
  }
};

}  // namespace
}  // namespace tarvello

QTEST_MAIN(tarvello::SongSourcesTest)
#include "song_sources_test.moc"
