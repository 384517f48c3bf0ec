#include "output/backup_writer.h"

#include "output/backups.h"

namespace tarvello {
namespace {

constexpr int64_t kNanosecondsPerSecond = 1000000000;

std::pair<uint64_t, uint64_t> KeyOf(const ContentHash& hash) {
  return {hash.low, hash.high};
}

// Whole seconds, rounded down as the system gives them.
std::time_t Seconds(const FileStatus& status) {
  const int64_t ns = status.write_time_ns;
  return static_cast<std::time_t>(ns / kNanosecondsPerSecond -
                                  (ns % kNanosecondsPerSecond < 0 ? 1 : 0));
}

}  // namespace

BackupWriter::BackupWriter(FileSystem& files, KnownContents& known, std::string folder,
                           const std::vector<std::string>& local_copies)
    : files_(files), known_(known), folder_(std::move(folder)) {
  for (const std::string& path : local_copies) {
    if (const std::optional<FileStatus> status = files_.Status(path)) {
      local_by_size_.emplace(status->size, path);
    }
  }
}

bool BackupWriter::BackUp(const std::string& card_path, const std::string& name) {
  const std::optional<FileStatus> status = known_.CardStatus(name);
  const std::string to = folder_ + "/" + name;
  if (!status) return CopyCard(card_path, name, to, std::nullopt);
  const std::time_t time = Seconds(*status);
  times_[name] = time;
  if (const std::optional<ContentRecord> record = known_.Card(name, false)) {
    if (LinkEarlier(*record, to) || CopyLocal(*record, to, time)) return true;
  }
  return CopyCard(card_path, name, to, time);
}

bool BackupWriter::LinkEarlier(const ContentRecord& record, const std::string& to) {
  IndexEarlierBackups();
  const auto earlier = earlier_.find(KeyOf(record.hash));
  if (earlier == earlier_.end() || !files_.HardLink(earlier->second, to)) return false;
  ++linked_;
  return true;
}

bool BackupWriter::CopyLocal(const ContentRecord& record, const std::string& to, std::time_t time) {
  const auto [first, last] = local_by_size_.equal_range(record.sample.size);
  for (auto candidate = first; candidate != last; ++candidate) {
    const std::string& local = candidate->second;
    const std::optional<ContentRecord> held = known_.Local(local, true);
    if (!held || held->hash != record.hash) continue;
    // The copy is hashed on the way: a file that changed since is not taken.
    if (files_.CopyFileHashing(local, to) == record.hash && files_.SetLastWriteTime(to, time)) {
      Remember(to, record);
      return true;
    }
    files_.DeleteFile(to);
  }
  return false;
}

bool BackupWriter::CopyCard(const std::string& card_path, const std::string& name,
                            const std::string& to, std::optional<std::time_t> time) {
  const std::optional<ContentHash> hash = files_.CopyFileHashing(card_path, to);
  if (!hash || (time && !files_.SetLastWriteTime(to, *time))) return false;
  // The copy is local now: its sample costs no read of the card. Without one the backup
  // is complete all the same; only its record is missing.
  if (const std::optional<FileSample> sample = ReadOpened(files_, to, SampleOf)) {
    known_.CardHolds(name, {*hash, *sample});
    Remember(to, {*hash, *sample});
  }
  return true;
}

void BackupWriter::Remember(const std::string& path, const ContentRecord& record) {
  known_.LocalHolds(path, record);
  earlier_.emplace(KeyOf(record.hash), path);
}

void BackupWriter::IndexEarlierBackups() {
  if (indexed_) return;
  indexed_ = true;
  const std::string root = BackupRoot(folder_);
  for (const BackupFolderInfo& backup : ListBackups(files_, root)) {
    if (backup.path == folder_) continue;
    for (const DirEntry& file : BackupFiles(files_, backup.path)) {
      const std::string path = backup.path + "/" + file.name;
      if (const std::optional<ContentRecord> record = known_.Local(path, false)) {
        earlier_.emplace(KeyOf(record->hash), path);
      }
    }
  }
}

bool BackupWriter::Finish() {
  if (linked_ == 0) return true;
  return WriteBackupTimes(files_, folder_, times_);
}

}  // namespace tarvello
