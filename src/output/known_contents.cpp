#include "output/known_contents.h"

namespace tarvello {
namespace {

constexpr const char* kLocalCacheName = "/files.txt";

// A volume's name as a file name: letters, digits and "-" only.
std::string VolumeFileName(const std::string& volume) {
  std::string name = "/volume-";
  for (const char c : volume) {
    const bool plain = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    name += plain ? c : '-';
  }
  return name + ".txt";
}

}  // namespace

std::string DefaultHashCacheFolder(Environment& environment) {
  const std::optional<std::string> cache_home = environment.GetVariable("XDG_CACHE_HOME");
  const std::string base = cache_home && cache_home->starts_with('/')
                               ? *cache_home
                               : environment.HomeDirectory() + "/.cache";
  return base + "/tarvello/hashes";
}

std::optional<ContentRecord> ReadContentRecord(FileSystem& files, const std::string& path) {
  return ReadOpened(files, path, [](ByteFile& file) {
    const ContentHash hash = HashRest(file);
    return ContentRecord{hash, SampleOf(file)};
  });
}

KnownContents::KnownContents(FileSystem& files, std::string cache_folder, std::string card_folder)
    : files_(files), cache_folder_(std::move(cache_folder)), card_folder_(std::move(card_folder)) {
  if (!cache_folder_.empty()) local_cache_.Load(files_, cache_folder_ + kLocalCacheName);
}

bool KnownContents::LocateCard() {
  if (!card_located_) {
    card_located_ = true;
    card_place_ = files_.LocateOnVolume(card_folder_);
    if (card_place_ && !cache_folder_.empty()) {
      card_cache_.Load(files_, cache_folder_ + VolumeFileName(card_place_->volume));
    }
  }
  return card_place_.has_value() && !cache_folder_.empty();
}

void KnownContents::LookAtCard(const std::vector<std::string>& names) {
  const bool remembered = LocateCard();
  for (const std::string& name : names) {
    CardFile& file = card_[name];
    file.status = files_.Status(card_folder_ + name);
    if (remembered && file.status) {
      file.record = card_cache_.Find(CardKey(name), *file.status);
    }
  }
}

std::optional<FileStatus> KnownContents::CardStatus(const std::string& name) const {
  const auto found = card_.find(name);
  return found == card_.end() ? std::nullopt : found->second.status;
}

std::optional<ContentRecord> KnownContents::Card(const std::string& name, bool read) {
  CardFile& file = card_[name];
  if (file.record || !read) return file.record;
  const std::string path = card_folder_ + name;
  const std::optional<ContentHash> hash = files_.HashStoredFile(path);
  const std::optional<FileSample> sample = hash ? files_.SampleStoredFile(path) : std::nullopt;
  // A file that changed size between the two reads is not known.
  if (sample && file.status && sample->size == file.status->size) {
    file.record = ContentRecord{*hash, *sample};
  }
  return file.record;
}

void KnownContents::CardHolds(const std::string& name, const ContentRecord& record) {
  card_[name].record = record;
}

void KnownContents::CardMoved(const std::string& from, const std::string& to) {
  const auto found = card_.find(from);
  if (found == card_.end()) return;
  CardFile moved = found->second;
  card_.erase(found);
  card_[to] = moved;
}

void KnownContents::CardDeleted(const std::string& name) {
  card_.erase(name);
}

std::string KnownContents::CardKey(const std::string& name) const {
  return (card_place_->path == "/" ? "" : card_place_->path) + "/" + name;
}

std::string KnownContents::LocalKey(const FileStatus& status) {
  return std::to_string(status.identity.device) + ":" + std::to_string(status.identity.inode);
}

std::optional<ContentRecord> KnownContents::Local(const std::string& path, bool read) {
  const std::optional<FileStatus> status = files_.Status(path);
  if (!status) return std::nullopt;
  if (std::optional<ContentRecord> known = local_cache_.Find(LocalKey(*status), *status)) {
    return known;
  }
  if (!read) return std::nullopt;
  const std::optional<ContentRecord> record = ReadContentRecord(files_, path);
  if (record) local_cache_.Put(LocalKey(*status), *status, *record);
  return record;
}

void KnownContents::LocalHolds(const std::string& path, const ContentRecord& record) {
  if (const std::optional<FileStatus> status = files_.Status(path)) {
    local_cache_.Put(LocalKey(*status), *status, record);
  }
}

void KnownContents::Save() {
  if (cache_folder_.empty()) return;
  local_cache_.Save(files_, cache_folder_ + kLocalCacheName);
  if (!LocateCard()) return;
  card_cache_.ErasePrefix(CardKey(""));
  for (const auto& [name, file] : card_) {
    if (!file.record) continue;
    if (const std::optional<FileStatus> status = files_.Status(card_folder_ + name)) {
      card_cache_.Put(CardKey(name), *status, *file.record);
    }
  }
  card_cache_.Save(files_, cache_folder_ + VolumeFileName(card_place_->volume));
}

}  // namespace tarvello
