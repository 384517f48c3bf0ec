#pragma once

// What an output run knows of the bytes of files: those of the output folder on the card
// and the computer's own (list songs, backups). Each file is looked at once; its record
// comes from the hash cache while its size and last-write time are unchanged, and is read
// only when the run needs it and it is unknown. What the run hashes on the way (copies,
// backups) is learnt, and the caches are written back when the run ends. A card without
// a lasting volume name is read afresh each run.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "output/hash_cache.h"
#include "platform/platform.h"

namespace tarvello {

// $XDG_CACHE_HOME/tarvello/hashes, else ~/.cache/tarvello/hashes.
std::string DefaultHashCacheFolder(Environment& environment);

class KnownContents {
 public:
  // `cache_folder` empty: nothing is remembered between runs. `card_folder` ends with "/".
  KnownContents(FileSystem& files, std::string cache_folder, std::string card_folder);

  // Looks at the output folder's files, by name.
  void LookAtCard(const std::vector<std::string>& names);
  std::optional<FileStatus> CardStatus(const std::string& name) const;
  // What the card file holds; read from the card when unknown and `read` is true.
  std::optional<ContentRecord> Card(const std::string& name, bool read);
  void CardHolds(const std::string& name, const ContentRecord& record);
  void CardMoved(const std::string& from, const std::string& to);
  void CardDeleted(const std::string& name);

  // What a file of the computer holds; read when unknown and `read` is true.
  std::optional<ContentRecord> Local(const std::string& path, bool read);
  // The file `path` holds `record` (it was just written or hashed).
  void LocalHolds(const std::string& path, const ContentRecord& record);

  // Writes both caches; the card's records from its files as they are now.
  void Save();

 private:
  struct CardFile {
    std::optional<FileStatus> status;
    std::optional<ContentRecord> record;
  };
  bool LocateCard();
  // The cache's key of a file of the output folder: its path on the volume.
  std::string CardKey(const std::string& name) const;
  static std::string LocalKey(const FileStatus& status);

  FileSystem& files_;
  const std::string cache_folder_;
  const std::string card_folder_;
  std::optional<VolumePlace> card_place_;
  bool card_located_ = false;
  HashCache card_cache_;
  HashCache local_cache_;
  std::map<std::string, CardFile> card_;
};

// The record of a file read whole: its hash and sample; nullopt when a read fails.
std::optional<ContentRecord> ReadContentRecord(FileSystem& files, const std::string& path);

}  // namespace tarvello
