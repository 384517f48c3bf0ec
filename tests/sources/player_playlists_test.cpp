// The players' playlists: databases made here with Strawberry's and Clementine's own
// table layouts, a Rhythmbox file with every kind of playlist, MPD's folder, the
// discovery in chosen XDG folders, and a database read while its player writes it.

#include "sources/player_playlists.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fakes/fake_platform.h"
#include "sources/player_database.h"
#include "sources/rhythmbox_playlists.h"

namespace tarvello {
namespace {

// The columns of the tables a player's playlists live in, as the players create them
// (the columns that follow the song's file are the same in both and left out).
constexpr const char* kStrawberrySchema = R"(
CREATE TABLE schema_version (version INTEGER NOT NULL);
INSERT INTO schema_version (version) VALUES (20);
CREATE TABLE songs (
  title TEXT, album TEXT, artist TEXT, albumartist TEXT, track INTEGER NOT NULL DEFAULT -1,
  disc INTEGER NOT NULL DEFAULT -1, year INTEGER NOT NULL DEFAULT -1, genre TEXT,
  beginning INTEGER NOT NULL DEFAULT 0, length INTEGER NOT NULL DEFAULT 0,
  source INTEGER NOT NULL DEFAULT 0, directory_id INTEGER NOT NULL DEFAULT -1,
  url TEXT NOT NULL, filetype INTEGER NOT NULL DEFAULT 0, filesize INTEGER NOT NULL DEFAULT -1,
  mtime INTEGER NOT NULL DEFAULT -1, ctime INTEGER NOT NULL DEFAULT -1, unavailable INTEGER DEFAULT 0);
CREATE TABLE playlists (
  name TEXT NOT NULL, last_played INTEGER NOT NULL DEFAULT -1, ui_order INTEGER NOT NULL DEFAULT 0,
  special_type TEXT, ui_path TEXT, is_favorite INTEGER NOT NULL DEFAULT 0,
  dynamic_playlist_type INTEGER, dynamic_playlist_backend TEXT, dynamic_playlist_data BLOB);
CREATE TABLE playlist_items (
  playlist INTEGER NOT NULL, type INTEGER NOT NULL DEFAULT 0, collection_id INTEGER,
  playlist_url TEXT, title TEXT, album TEXT, artist TEXT, albumartist TEXT, track INTEGER,
  disc INTEGER, year INTEGER, genre TEXT, beginning INTEGER, length INTEGER, source INTEGER,
  directory_id INTEGER, url TEXT NOT NULL, filetype INTEGER, filesize INTEGER, mtime INTEGER,
  ctime INTEGER, unavailable INTEGER DEFAULT 0);
)";

constexpr const char* kClementineSchema = R"(
CREATE TABLE schema_version (version INTEGER NOT NULL);
INSERT INTO schema_version (version) VALUES (54);
CREATE TABLE songs (
  title TEXT, album TEXT, artist TEXT, albumartist TEXT, composer TEXT, track INTEGER,
  disc INTEGER, bpm REAL, year INTEGER, genre TEXT, comment TEXT, compilation INTEGER,
  length INTEGER, bitrate INTEGER, samplerate INTEGER, directory INTEGER NOT NULL,
  filename TEXT NOT NULL, mtime INTEGER NOT NULL, ctime INTEGER NOT NULL,
  filesize INTEGER NOT NULL, filetype INTEGER NOT NULL DEFAULT 0);
CREATE TABLE playlists (
  name TEXT NOT NULL, last_played INTEGER NOT NULL DEFAULT -1,
  dynamic_playlist_type INTEGER, dynamic_playlist_data BLOB, dynamic_playlist_backend TEXT,
  special_type TEXT, ui_path TEXT, is_favorite INTEGER NOT NULL DEFAULT 0,
  ui_order INTEGER NOT NULL DEFAULT 0);
CREATE TABLE playlist_items (
  playlist INTEGER NOT NULL, type TEXT NOT NULL, library_id INTEGER, url TEXT, title TEXT,
  artist TEXT, album TEXT, length INTEGER, radio_service TEXT, beginning INTEGER,
  cue_path TEXT, albumartist TEXT, composer TEXT, track INTEGER, disc INTEGER, bpm REAL,
  year INTEGER, genre TEXT, comment TEXT, compilation INTEGER, bitrate INTEGER,
  samplerate INTEGER, directory INTEGER, filename TEXT, mtime INTEGER, ctime INTEGER,
  filesize INTEGER, filetype INTEGER);
)";

class Database {
 public:
  explicit Database(const std::string& path) {
    if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK) throw std::runtime_error("open");
  }
  ~Database() { sqlite3_close(db_); }
  // Runs SQL; the result code of the last statement.
  int Run(const std::string& sql) { return sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr); }

 private:
  sqlite3* db_ = nullptr;
};

std::vector<std::string> Paths(const PlaylistReading& reading) {
  std::vector<std::string> paths;
  for (const PlaylistEntry& entry : reading.entries) paths.push_back(entry.path);
  return paths;
}

class PlayerPlaylistsTest : public ::testing::Test {
 protected:
  std::string MakeStrawberry() {
    const std::string path = dir_.Path("data/strawberry/strawberry/strawberry.db");
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    Database db(path);
    EXPECT_EQ(db.Run(kStrawberrySchema), SQLITE_OK);
    EXPECT_EQ(db.Run(R"(
      INSERT INTO songs (ROWID, title, url) VALUES (7, 'Seven', 'file:///music/%E6%9B%B2%207.m4a');
      INSERT INTO playlists (ROWID, name, ui_order) VALUES (1, 'Later', 2), (2, '朝の曲', 1);
      INSERT INTO playlist_items (playlist, type, collection_id, url) VALUES
        (2, 2, 7, 'file:///stale/copy.m4a'),
        (2, 1, -1, 'file:///music/own%20file.m4a'),
        (2, 5, NULL, 'http://radio.example/live'),
        (1, 1, NULL, 'file:///music/later.m4a');
    )"),
              SQLITE_OK);
    return path;
  }
  std::string MakeClementine(const std::string& path) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    Database db(path);
    EXPECT_EQ(db.Run(kClementineSchema), SQLITE_OK);
    EXPECT_EQ(db.Run(R"(
      INSERT INTO songs (ROWID, title, directory, filename, mtime, ctime, filesize)
        VALUES (3, 'Three', 1, 'file:///music/three.m4a', 0, 0, 0),
               (4, 'Old', 1, '/music/old 100%.m4a', 0, 0, 0);
      INSERT INTO playlists (ROWID, name) VALUES (5, 'Mix');
      INSERT INTO playlist_items (playlist, type, library_id, url, filename) VALUES
        (5, 'Library', 3, NULL, NULL),
        (5, 'Library', 4, NULL, NULL),
        (5, 'File', NULL, NULL, 'file:///music/loose.m4a'),
        (5, 'Stream', NULL, 'https://stream.example/a', NULL);
    )"),
              SQLITE_OK);
    return path;
  }

  fakes::TempDir dir_;
  PosixFileSystem files_;
};

TEST_F(PlayerPlaylistsTest, StrawberryItemsTakeTheCollectionSongElseTheirOwnUrl) {
  PlayerDatabase db(MakeStrawberry(), DatabaseLayout::kStrawberry);
  ASSERT_EQ(db.Problem(), "");
  const PlayerListing listing = db.List(true);
  ASSERT_EQ(listing.playlists.size(), 2u);
  EXPECT_EQ(listing.playlists[0].name, "朝の曲");  // the player's own order
  EXPECT_EQ(listing.playlists[0].entries, 3);
  EXPECT_EQ(listing.playlists[1].name, "Later");
  const PlaylistReading reading = db.Read(listing.playlists[0].key);
  EXPECT_FALSE(reading.damaged);
  EXPECT_EQ(Paths(reading), (std::vector<std::string>{"/music/曲 7.m4a", "/music/own file.m4a",
                                                       "http://radio.example/live"}));
  EXPECT_EQ(reading.entries[2].kind, EntryKind::kNetwork);
}

TEST_F(PlayerPlaylistsTest, ClementineItemsTakeLibrarySongsFilesAndStreams) {
  PlayerDatabase db(MakeClementine(dir_.Path("clementine.db")), DatabaseLayout::kClementine);
  ASSERT_EQ(db.Problem(), "");
  const PlayerListing listing = db.List(false);
  ASSERT_EQ(listing.playlists.size(), 1u);
  EXPECT_EQ(listing.playlists[0].entries, -1);
  EXPECT_EQ(Paths(db.Read(5)),
            (std::vector<std::string>{"/music/three.m4a", "/music/old 100%.m4a",
                                      "/music/loose.m4a", "https://stream.example/a"}));
}

TEST_F(PlayerPlaylistsTest, DatabasesThatDoNotFitAreReportedAndTheOthersStayListed) {
  const std::string strawberry = MakeStrawberry();
  // A Clementine path holding Strawberry's layout, and an Amarok-like table set.
  const std::string wrong = MakeClementine(dir_.Path("c/clementine.db"));
  { Database(wrong).Run("DROP TABLE songs; CREATE TABLE songs (path TEXT);"); }
  fakes::WriteFile(dir_.Path("garbage.db"), std::string(5000, '\x5A'));
  fakes::WriteFile(dir_.Path("rb.xml"), "not xml at all");
  const PlayerCatalogue catalogue = ListPlayerPlaylists(
      files_,
      {{Player::kRhythmbox, dir_.Path("rb.xml"), {}},
       {Player::kClementine, wrong, {}},
       {Player::kStrawberry, dir_.Path("garbage.db"), {}},
       {Player::kStrawberry, strawberry, {}},
       {Player::kClementine, dir_.Path("gone.db"), {}}},
      false);
  ASSERT_EQ(catalogue.playlists.size(), 2u);
  EXPECT_EQ(PlayerPlaylistLabel(catalogue, catalogue.playlists[0]), "朝の曲 (Strawberry)");
  ASSERT_EQ(catalogue.problems.size(), 4u);
  EXPECT_EQ(catalogue.problems[0].find("Rhythmbox: " + dir_.Path("rb.xml")), 0u);
  EXPECT_EQ(catalogue.problems[1].find("Clementine: " + wrong), 0u);
  EXPECT_EQ(catalogue.problems[2].find("Strawberry: " + dir_.Path("garbage.db")), 0u);
  EXPECT_EQ(catalogue.problems[3].find("Clementine: " + dir_.Path("gone.db")), 0u);
  // Nothing was created beside the missing database.
  EXPECT_FALSE(std::filesystem::exists(dir_.Path("gone.db")));
}

// The player keeps writing while the box is filled: in WAL mode the reader sees what was
// committed, and in either mode the player's commit never waits on the reader.
TEST_F(PlayerPlaylistsTest, AWritingPlayerIsNeitherBlockedNorChanged) {
  for (const char* mode : {"WAL", "DELETE"}) {
    SCOPED_TRACE(mode);
    const std::string path = dir_.Path(std::string(mode) + ".db");
    Database player(path);
    ASSERT_EQ(player.Run(kStrawberrySchema), SQLITE_OK);
    ASSERT_EQ(player.Run(std::string("PRAGMA journal_mode=") + mode), SQLITE_OK);
    ASSERT_EQ(player.Run("INSERT INTO playlists (name) VALUES ('first')"), SQLITE_OK);
    const auto bytes_of = [&] { return files_.ReadWholeFile(path).value_or(""); };
    const std::string before = bytes_of();

    PlayerDatabase reader(path, DatabaseLayout::kStrawberry);
    ASSERT_EQ(reader.Problem(), "");
    EXPECT_EQ(reader.List(false).playlists.size(), 1u);  // the committed playlist, WAL or not
    EXPECT_EQ(bytes_of(), before);
    ASSERT_EQ(player.Run("BEGIN EXCLUSIVE; INSERT INTO playlists (name) VALUES ('second')"),
              SQLITE_OK);
    // An exclusive lock would make any locking reader fail with "database is locked".
    EXPECT_EQ(PlayerDatabase(path, DatabaseLayout::kStrawberry).List(false).playlists.size(), 1u);
    EXPECT_EQ(player.Run("COMMIT"), SQLITE_OK);          // the reader holds no lock
    EXPECT_EQ(PlayerDatabase(path, DatabaseLayout::kStrawberry).List(false).playlists.size(), 2u);
  }
}

TEST(RhythmboxPlaylistsTest, OnlyStaticPlaylistsAreListedAndRead) {
  const std::string xml = R"(<?xml version="1.0" standalone="yes"?>
<rhythmdb-playlists>
  <playlist name="My Top Rated" show-browser="false" browser-position="180" search-type="search-match" type="automatic" sort-key="Rating" sort-direction="1">
    <conjunction><equals prop="type">song</equals><greater prop="rating">4</greater></conjunction>
  </playlist>
  <playlist name="Play Queue" show-browser="false" browser-position="180" search-type="search-match" type="queue">
    <location>file:///music/queued.m4a</location>
  </playlist>
  <playlist name="Empty" show-browser="true" browser-position="180" search-type="search-match" type="static"/>
  <playlist name="Drive &amp; Home" show-browser="true" browser-position="180" search-type="search-match" type="static">
    <location>file:///music/a%20b.m4a</location>
    <location>file:///music/%E6%AD%8C.m4a</location>
    <location>http://podcast.example/x.mp3</location>
  </playlist>
</rhythmdb-playlists>
)";
  const PlayerListing listing = ListRhythmboxPlaylists(xml);
  EXPECT_EQ(listing.problem, "");
  ASSERT_EQ(listing.playlists.size(), 2u);
  EXPECT_EQ(listing.playlists[0].name, "Empty");
  EXPECT_EQ(listing.playlists[0].entries, 0);
  EXPECT_EQ(listing.playlists[1].name, "Drive & Home");
  EXPECT_EQ(listing.playlists[1].entries, 3);
  EXPECT_EQ(Paths(ReadRhythmboxPlaylist(xml, listing.playlists[1].key)),
            (std::vector<std::string>{"/music/a b.m4a", "/music/歌.m4a",
                                      "http://podcast.example/x.mp3"}));
  EXPECT_TRUE(ReadRhythmboxPlaylist(xml, 0).entries.empty());
  // Cut short: what came before the break is still listed.
  const PlayerListing cut = ListRhythmboxPlaylists(xml.substr(0, xml.find("<location>file:///music/%E6")));
  EXPECT_NE(cut.problem, "");
  ASSERT_EQ(cut.playlists.size(), 2u);
  EXPECT_EQ(cut.playlists[1].entries, 1);
}

TEST(PlayerDiscoveryTest, FindsEachPlayerInTheFoldersItIsGiven) {
  fakes::TempDir dir;
  PosixFileSystem files;
  const PlayerFolders folders{dir.Path("home"), dir.Path("data"), dir.Path("config")};
  EXPECT_TRUE(FindPlayerSources(files, folders).empty());

  fakes::WriteFile(dir.Path("data/rhythmbox/playlists.xml"), "<rhythmdb-playlists/>");
  fakes::WriteFile(dir.Path("data/strawberry/strawberry/strawberry.db"), "");
  fakes::WriteFile(dir.Path("home/.config/Clementine/clementine.db"), "");
  fakes::WriteFile(dir.Path("config/mpd/mpd.conf"),
                   "# mpd\nmusic_directory \"~/音楽\"\n  playlist_directory\t\"~/lists/\"\n"
                   "playlist_directory_x \"/nowhere\"\n");
  fakes::WriteFile(dir.Path("home/lists/b.m3u"), "x/b.m4a\n");
  fakes::WriteFile(dir.Path("home/lists/a.m3u"), "a.m4a\nhttp://x.example/\n");
  fakes::WriteFile(dir.Path("home/lists/notes.txt"), "");

  const std::vector<PlayerSource> found = FindPlayerSources(files, folders);
  ASSERT_EQ(found.size(), 4u);
  EXPECT_EQ(found[0].player, Player::kRhythmbox);
  EXPECT_EQ(found[1].player, Player::kStrawberry);
  EXPECT_EQ(found[2].path, dir.Path("home/.config/Clementine/clementine.db"));
  EXPECT_EQ(found[3].player, Player::kMpd);
  EXPECT_EQ(found[3].path, dir.Path("home/lists"));
  EXPECT_EQ(found[3].music_folder, dir.Path("home/音楽"));

  const PlayerCatalogue mpd = ListPlayerPlaylists(files, {found[3]}, true);
  ASSERT_EQ(mpd.playlists.size(), 2u);
  EXPECT_EQ(PlayerPlaylistLabel(mpd, mpd.playlists[0]), "a (MPD)");
  EXPECT_EQ(mpd.playlists[0].entries, 2);
  EXPECT_EQ(Paths(ReadPlayerPlaylist(files, mpd, mpd.playlists[1])),
            std::vector<std::string>{dir.Path("home/音楽/x/b.m4a")});
}

}  // namespace
}  // namespace tarvello
