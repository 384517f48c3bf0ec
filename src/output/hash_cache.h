#pragma once

// Remembered hashes of files, so that an output run reads a file only when it may have
// changed. One cache file holds the records of one volume's files (by their path on the
// volume) or of the computer's own files (by device and inode). A record is trusted while
// the file keeps the size and last-write time it had when its bytes were hashed, as
// rsync's quick check trusts them.
//
// The file is text: a header line, one line per file ("hash sample-hash size time key"),
// and a last line with the hash of everything before it. A file that cannot be read, or
// whose last line does not match, is ignored whole: a damaged cache costs reads, never a
// wrong record.

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace tarvello {

// What a file holds: the hash of all its bytes, and its size and sample.
struct ContentRecord {
  ContentHash hash;
  FileSample sample;

  bool operator==(const ContentRecord&) const = default;
};

class HashCache {
 public:
  // Reads the records of `path`, replacing those held; a missing, unreadable or damaged
  // file leaves the cache empty.
  void Load(FileSystem& files, const std::string& path);
  // Writes the records into a new file beside `path` and renames it over `path`. At most
  // `limit` records are kept: those put or found since loading first.
  bool Save(FileSystem& files, const std::string& path, size_t limit = kDefaultLimit) const;

  // The record of `key` when the file still has this size and last-write time.
  std::optional<ContentRecord> Find(const std::string& key, const FileStatus& status);
  void Put(const std::string& key, const FileStatus& status, const ContentRecord& record);
  // Drops the records whose keys begin with `prefix`.
  void ErasePrefix(const std::string& prefix);

  size_t Size() const { return entries_.size(); }

  static constexpr size_t kDefaultLimit = 50000;

 private:
  struct Entry {
    int64_t time_ns = 0;
    ContentRecord record;
    bool used = false;  // found or put since loading
  };
  bool Parse(std::string_view text);

  std::map<std::string, Entry> entries_;
};

}  // namespace tarvello
