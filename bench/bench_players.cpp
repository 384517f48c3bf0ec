// The window's start-up with and without a large Strawberry database in the XDG data
// folder: 50,000 songs and 200 playlists of 250 items. The players' playlists are listed
// by name on the start-up timer's tick, after the window is up, so the database must not
// cost the start anything; the peer is the same start-up with an empty data folder. The
// listing itself, start plus tick, is measured too.

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "app/main_presenter.h"
#include "fakes/fake_platform.h"
#include "fakes/recording_view.h"

namespace tarvello {
namespace {

constexpr int kSongs = 50000;
constexpr int kPlaylists = 200;
constexpr int kItemsPerPlaylist = 250;

class ByteOrderCollator : public TextCollator {
 public:
  int Compare(const std::string& a, const std::string& b) const override { return a.compare(b); }
};

void Run(sqlite3* db, const std::string& sql) {
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
    throw std::runtime_error(sqlite3_errmsg(db));
  }
}

// A database in Strawberry's layout, written in one transaction.
void MakeStrawberryDatabase(const std::string& path) {
  fakes::WriteFile(path, "");
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  Run(db,
      "CREATE TABLE songs (title TEXT, album TEXT, artist TEXT, track INTEGER NOT NULL DEFAULT -1,"
      " length INTEGER NOT NULL DEFAULT 0, directory_id INTEGER NOT NULL DEFAULT -1,"
      " url TEXT NOT NULL, filesize INTEGER NOT NULL DEFAULT -1, mtime INTEGER NOT NULL DEFAULT -1);"
      "CREATE INDEX idx_url ON songs (url);"
      "CREATE TABLE playlists (name TEXT NOT NULL, last_played INTEGER NOT NULL DEFAULT -1,"
      " ui_order INTEGER NOT NULL DEFAULT 0, special_type TEXT, ui_path TEXT,"
      " is_favorite INTEGER NOT NULL DEFAULT 0, dynamic_playlist_type INTEGER,"
      " dynamic_playlist_backend TEXT, dynamic_playlist_data BLOB);"
      "CREATE TABLE playlist_items (playlist INTEGER NOT NULL, type INTEGER NOT NULL DEFAULT 0,"
      " collection_id INTEGER, playlist_url TEXT, title TEXT, album TEXT, artist TEXT,"
      " length INTEGER, url TEXT NOT NULL);"
      "BEGIN;"
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
          std::to_string(kSongs) +
          ") INSERT INTO songs (title, album, artist, track, url)"
          " SELECT 'Song ' || i, 'Album ' || (i / 12), 'Artist ' || (i / 120), i % 12,"
          " 'file:///home/user/Music/Artist%20' || (i / 120) || '/Album%20' || (i / 12) ||"
          " '/' || (i % 12) || '%20Song%20' || i || '.m4a' FROM n;"
          "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
          std::to_string(kPlaylists) +
          ") INSERT INTO playlists (name, ui_order) SELECT 'Playlist ' || i, i FROM n;"
          "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < " +
          std::to_string(kPlaylists * kItemsPerPlaylist - 1) +
          ") INSERT INTO playlist_items (playlist, type, collection_id, url)"
          " SELECT 1 + i / " + std::to_string(kItemsPerPlaylist) + ", 2, 1 + (i * 7919) % " +
          std::to_string(kSongs) + ", 'file:///x.m4a' FROM n;"
          "COMMIT;");
  sqlite3_close(db);
}

// One start of the window over a program folder and an XDG data folder.
void StartWindow(benchmark::State& state, bool with_database, bool tick) {
  fakes::TempDir program;
  fakes::TempDir data;
  if (with_database) MakeStrawberryDatabase(data.Path("strawberry/strawberry/strawberry.db"));
  fakes::FakePlatform fake;
  fake.environment.executable_path = program.Path("tarvello");
  fake.environment.home = program.path();
  fake.environment.variables["TEMP"] = program.path();
  fake.environment.variables["XDG_DATA_HOME"] = data.path();
  size_t listed = 0;
  for (auto _ : state) {
    testing::RecordingView view;
    MainPresenter presenter(fake.platform, view, NumberSymbols{},
                            std::make_unique<ByteOrderCollator>());
    presenter.FormCreate({1024, 768});
    if (tick) presenter.Timer1Timer();
    listed = view.playlist_items.size();
  }
  if (with_database && tick && listed != kPlaylists) throw std::runtime_error("playlists not listed");
  state.counters["playlists"] = static_cast<double>(listed);
}

void BM_StartUpWithoutPlayers(benchmark::State& state) {
  StartWindow(state, false, false);
}
BENCHMARK(BM_StartUpWithoutPlayers)->Unit(benchmark::kMillisecond);

void BM_StartUpWithStrawberryDatabase(benchmark::State& state) {
  StartWindow(state, true, false);
}
BENCHMARK(BM_StartUpWithStrawberryDatabase)->Unit(benchmark::kMillisecond);

void BM_StartUpAndPlayerListing(benchmark::State& state) {
  StartWindow(state, true, true);
}
BENCHMARK(BM_StartUpAndPlayerListing)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarvello

BENCHMARK_MAIN();
