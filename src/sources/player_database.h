#pragma once

// The playlists in Strawberry's and Clementine's SQLite databases, read without ever
// writing, locking or waiting on the player's file: a database in WAL mode (the player
// is running) is read through the WAL as any reader does, which never blocks the
// writer; any other is opened immutable, which takes no lock at all. The schema is
// checked before it is used, and a database that does not fit is reported, not read.

#include <memory>
#include <string>
#include <string_view>

#include "sources/player_playlist_list.h"
#include "sources/playlist_entries.h"

struct sqlite3;

namespace tarvello {

enum class DatabaseLayout { kStrawberry, kClementine };

class PlayerDatabase {
 public:
  // Opens the database file at `path` read-only; check Problem() before use.
  PlayerDatabase(const std::string& path, DatabaseLayout layout);
  // A database held in memory (a copy of `bytes`), as the fuzz target feeds it.
  PlayerDatabase(std::string_view bytes, DatabaseLayout layout);
  ~PlayerDatabase();
  PlayerDatabase(const PlayerDatabase&) = delete;
  PlayerDatabase& operator=(const PlayerDatabase&) = delete;

  // Empty when the database opened and its schema fits; otherwise why not.
  const std::string& Problem() const { return problem_; }

  // The playlists in the player's order, keyed by their row ID; with `count_entries`,
  // each with its number of items.
  PlayerListing List(bool count_entries);

  // The items of one playlist in their order: a collection song's file, else the item's
  // own URL. `damaged` when the reading broke off.
  PlaylistReading Read(int64_t key);

 private:
  void CheckSchema();

  sqlite3* db_ = nullptr;
  DatabaseLayout layout_;
  std::string problem_;
  // The columns this database has, as the layout's queries use them.
  std::string item_locations_;  // "p.url" or "p.filename, p.url"
  bool has_ui_order_ = false;
};

}  // namespace tarvello
