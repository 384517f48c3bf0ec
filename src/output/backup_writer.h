#pragma once

// Backs up the output folder's files into one backup folder, taking each file's bytes
// where they cost least: a hard link to an earlier backup that holds the same bytes, else
// a copy of a local file with the same hash, else a copy off the card. Files share bytes
// but never times: a linked file keeps the time of the backup that first held it, so the
// folder's own times go into its times file, which a restore reads.

#include <ctime>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "output/known_contents.h"
#include "platform/platform.h"

namespace tarvello {

class BackupWriter {
 public:
  // `folder`: the new backup folder, without a trailing "/"; the earlier backups are its
  // neighbours. `local_copies` are local files that may hold the bytes of card files
  // (the list's songs); each is hashed only when its size matches a card file's.
  BackupWriter(FileSystem& files, KnownContents& known, std::string folder,
               const std::vector<std::string>& local_copies);

  // Backs up the output folder's file `name` at `card_path`; false when it could not.
  bool BackUp(const std::string& card_path, const std::string& name);
  // Writes the times file when a file was linked; false when that failed.
  bool Finish();

  int linked() const { return linked_; }

 private:
  using HashKey = std::pair<uint64_t, uint64_t>;
  bool LinkEarlier(const ContentRecord& record, const std::string& to);
  bool CopyLocal(const ContentRecord& record, const std::string& to, std::time_t time);
  // `time`: the card file's, which the copy takes; nullopt when it cannot be told.
  bool CopyCard(const std::string& card_path, const std::string& name, const std::string& to,
                std::optional<std::time_t> time);
  void Remember(const std::string& path, const ContentRecord& record);
  void IndexEarlierBackups();

  FileSystem& files_;
  KnownContents& known_;
  const std::string folder_;
  std::multimap<int64_t, std::string> local_by_size_;
  std::map<HashKey, std::string> earlier_;  // a backup file for each known content
  bool indexed_ = false;
  int linked_ = 0;
  std::map<std::string, std::time_t> times_;
};

}  // namespace tarvello
