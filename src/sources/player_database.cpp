#include "sources/player_database.h"

#include <sqlite3.h>

#include <cctype>
#include <cstring>
#include <set>
#include <sys/stat.h>

namespace tarvello {
namespace {

// A query of a damaged or hostile file could loop for long: it is cut off after this
// many virtual machine steps (in thousands), far above what a real playlist needs.
constexpr int kProgressStep = 1000;
constexpr int kMaxProgressCalls = 200000;

struct Names {
  const char* song_location;  // the songs table's column of the song's file
  const char* item_link;      // the playlist_items column naming a song's row
};

Names NamesOf(DatabaseLayout layout) {
  return layout == DatabaseLayout::kStrawberry ? Names{"url", "collection_id"}
                                               : Names{"filename", "library_id"};
}

// A path as a "file:" URI: every byte but the unreserved ones and "/" escaped.
std::string FileUri(const std::string& path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string uri = "file:";
  for (const unsigned char c : path) {
    if (std::isalnum(c) != 0 || c == '/' || c == '-' || c == '.' || c == '_' || c == '~') {
      uri += static_cast<char>(c);
    } else {
      uri += '%';
      uri += kHex[c >> 4];
      uri += kHex[c & 15];
    }
  }
  return uri;
}

bool HasWal(const std::string& path) {
  struct stat info {};
  return ::stat((path + "-wal").c_str(), &info) == 0 && info.st_size > 0;
}

int StopLongQueries(void* calls) {
  return ++*static_cast<int*>(calls) > kMaxProgressCalls ? 1 : 0;
}

class Statement {
 public:
  Statement(sqlite3* db, const std::string& sql) {
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement_, nullptr) != SQLITE_OK) {
      statement_ = nullptr;
    }
  }
  ~Statement() { sqlite3_finalize(statement_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  bool Ok() const { return statement_ != nullptr; }
  // SQLITE_ROW, SQLITE_DONE or an error.
  int Step() { return statement_ != nullptr ? sqlite3_step(statement_) : SQLITE_ERROR; }
  void Bind(int index, int64_t value) { sqlite3_bind_int64(statement_, index, value); }
  int64_t Integer(int column) { return sqlite3_column_int64(statement_, column); }
  std::string Text(int column) {
    const unsigned char* text = sqlite3_column_text(statement_, column);
    return text != nullptr ? std::string(reinterpret_cast<const char*>(text)) : std::string();
  }

 private:
  sqlite3_stmt* statement_ = nullptr;
};

std::string Message(sqlite3* db) {
  return db != nullptr ? sqlite3_errmsg(db) : "cannot open";
}

}  // namespace

PlayerDatabase::PlayerDatabase(const std::string& path, DatabaseLayout layout) : layout_(layout) {
  constexpr int kFlags = SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX;
  // A running player keeps its WAL: read through it, or the latest changes are missed.
  // Otherwise "immutable" reads without any lock, so the player never waits on us.
  if (HasWal(path)) {
    if (sqlite3_open_v2((FileUri(path) + "?mode=ro").c_str(), &db_, kFlags, nullptr) ==
        SQLITE_OK) {
      CheckSchema();
      if (problem_.empty()) return;
    }
    sqlite3_close(db_);
    db_ = nullptr;
    problem_.clear();
  }
  if (sqlite3_open_v2((FileUri(path) + "?immutable=1").c_str(), &db_, kFlags, nullptr) !=
      SQLITE_OK) {
    problem_ = Message(db_);
    return;
  }
  CheckSchema();
}

PlayerDatabase::PlayerDatabase(std::string_view bytes, DatabaseLayout layout) : layout_(layout) {
  if (sqlite3_open_v2(":memory:", &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) !=
      SQLITE_OK) {
    problem_ = Message(db_);
    return;
  }
  const auto size = static_cast<sqlite3_int64>(bytes.size());
  auto* copy = static_cast<unsigned char*>(sqlite3_malloc64(bytes.empty() ? 1 : bytes.size()));
  if (copy == nullptr) {
    problem_ = "out of memory";
    return;
  }
  if (!bytes.empty()) std::memcpy(copy, bytes.data(), bytes.size());
  if (sqlite3_deserialize(db_, "main", copy, size, size,
                          SQLITE_DESERIALIZE_FREEONCLOSE | SQLITE_DESERIALIZE_READONLY) !=
      SQLITE_OK) {
    problem_ = Message(db_);
    return;
  }
  CheckSchema();
}

PlayerDatabase::~PlayerDatabase() {
  sqlite3_close(db_);
}

void PlayerDatabase::CheckSchema() {
  // The file is someone else's: no trigger or view of it runs code here, and nothing
  // runs long.
  sqlite3_db_config(db_, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
  sqlite3_db_config(db_, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
  const auto columns_of = [this](const char* table) {
    std::set<std::string> columns;
    // Only real tables: a view of that name could compute anything.
    Statement kind(db_, std::string("SELECT type FROM sqlite_schema WHERE name = '") + table +
                            "'");
    if (kind.Step() != SQLITE_ROW || kind.Text(0) != "table") return columns;
    Statement info(db_, std::string("PRAGMA table_info(") + table + ")");
    while (info.Step() == SQLITE_ROW) columns.insert(info.Text(1));
    return columns;
  };
  const Names names = NamesOf(layout_);
  const std::set<std::string> playlists = columns_of("playlists");
  const std::set<std::string> items = columns_of("playlist_items");
  const std::set<std::string> songs = columns_of("songs");
  if (playlists.empty() && items.empty() && songs.empty() && sqlite3_errcode(db_) != SQLITE_OK &&
      sqlite3_errcode(db_) != SQLITE_DONE) {
    problem_ = Message(db_);
    return;
  }
  if (!playlists.contains("name") || !items.contains("playlist") ||
      !items.contains(names.item_link) || !songs.contains(names.song_location)) {
    problem_ = "the database's tables are not the ones this version knows";
    return;
  }
  item_locations_.clear();
  for (const char* column : {"filename", "url"}) {
    if (!items.contains(column)) continue;
    if (!item_locations_.empty()) item_locations_ += ", ";
    item_locations_ += std::string("NULLIF(p.") + column + ", '')";
  }
  if (item_locations_.empty()) {
    problem_ = "the database's tables are not the ones this version knows";
    return;
  }
  has_ui_order_ = playlists.contains("ui_order");
}

PlayerListing PlayerDatabase::List(bool count_entries) {
  PlayerListing listing;
  if (!problem_.empty()) {
    listing.problem = problem_;
    return listing;
  }
  int calls = 0;
  sqlite3_progress_handler(db_, kProgressStep, StopLongQueries, &calls);
  std::string sql = "SELECT ROWID, name";
  sql += count_entries ? ", (SELECT COUNT(*) FROM playlist_items WHERE playlist = playlists.ROWID)"
                       : ", -1";
  sql += " FROM playlists ORDER BY ";
  sql += has_ui_order_ ? "ui_order, ROWID" : "ROWID";
  Statement query(db_, sql);
  int step;
  while ((step = query.Step()) == SQLITE_ROW) {
    listing.playlists.push_back({query.Text(1), query.Integer(0), query.Integer(2)});
  }
  if (step != SQLITE_DONE) listing.problem = Message(db_);
  sqlite3_progress_handler(db_, 0, nullptr, nullptr);
  return listing;
}

PlaylistReading PlayerDatabase::Read(int64_t key) {
  PlaylistReading reading;
  if (!problem_.empty()) {
    reading.damaged = true;
    return reading;
  }
  int calls = 0;
  sqlite3_progress_handler(db_, kProgressStep, StopLongQueries, &calls);
  const Names names = NamesOf(layout_);
  Statement query(db_, std::string("SELECT COALESCE(NULLIF(s.") + names.song_location + ", ''), " +
                           item_locations_ + ") FROM playlist_items AS p LEFT JOIN songs AS s ON p." +
                           names.item_link + " = s.ROWID WHERE p.playlist = ? ORDER BY p.ROWID");
  query.Bind(1, key);
  int step;
  while ((step = query.Step()) == SQLITE_ROW) {
    // Strawberry writes encoded file: URLs; older Clementine databases plain paths.
    PlaylistEntry entry = ResolveLocation(query.Text(0), "/", LocationStyle::kPath);
    if (!entry.path.empty()) reading.entries.push_back(std::move(entry));
  }
  reading.damaged = step != SQLITE_DONE;
  sqlite3_progress_handler(db_, 0, nullptr, nullptr);
  return reading;
}

}  // namespace tarvello
