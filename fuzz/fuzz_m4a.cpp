// Feeds arbitrary bytes to the M4A reader through an in-memory file that checks the
// reader's promises: a bounded number of reads, none larger than its biggest buffer, and
// no step back other than the meta box's 4 bytes.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/m4a_fields.h"
#include "catalogue/m4a_reader.h"
#include "catalogue/m4a_walk.h"

namespace {

using tarvello::ByteFile;
using tarvello::DirEntry;

class CheckedFile : public ByteFile {
 public:
  CheckedFile(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  size_t Read(void* buffer, size_t count) override {
    if (++reads_ > tarvello::kMaxM4aReads) std::abort();
    if (count > tarvello::kTextBufferSize) std::abort();
    const size_t at = position_ < 0 ? size_ : static_cast<size_t>(position_);
    const size_t available = at >= size_ ? 0 : std::min(count, size_ - at);
    if (available > 0) std::memcpy(buffer, data_ + at, available);
    position_ += static_cast<int64_t>(available);
    return available;
  }
  void Seek(int64_t position) override {
    if (position < 0 || position < position_ - 4) std::abort();
    position_ = position;
  }
  int64_t Position() const override { return position_; }
  int64_t Size() const override { return static_cast<int64_t>(size_); }

 private:
  const uint8_t* data_;
  size_t size_;
  int64_t position_ = 0;
  int reads_ = 0;
};

class OneFileSystem : public tarvello::FileSystem {
 public:
  OneFileSystem(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  std::unique_ptr<ByteFile> OpenRead(const std::string&) override {
    return std::make_unique<CheckedFile>(data_, size_);
  }
  bool FileExists(const std::string&) override { return true; }
  bool DirectoryExists(const std::string&) override { return false; }
  bool CopyFile(const std::string&, const std::string&) override { return false; }
  tarvello::NewFileResult CopyToNewFile(const std::string&, const std::string&) override {
    return tarvello::NewFileResult::kFailed;
  }
  tarvello::FileChange MoveFile(const std::string&, const std::string&) override {
    return tarvello::FileChange::Refused(EROFS);
  }
  bool DeleteFile(const std::string&) override { return false; }
  bool CreateDirectories(const std::string&) override { return false; }
  std::vector<DirEntry> ListDirectory(const std::string&) override { return {}; }
  std::optional<std::string> ReadWholeFile(const std::string&) override { return std::nullopt; }
  bool WriteWholeFile(const std::string&, std::string_view) override { return false; }
  bool IsWritableDirectory(const std::string&) override { return false; }
  tarvello::FileChange SetLastWriteTime(const std::string&, std::time_t) override {
    return tarvello::FileChange::Refused(EROFS);
  }
  tarvello::FileChange SyncVolume(const std::string&) override {
    return tarvello::FileChange::Refused(EROFS);
  }

 private:
  const uint8_t* data_;
  size_t size_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  OneFileSystem files(data, size);
  tarvello::TrackTable table;
  tarvello::TTrackInfo staging{};
  const auto result = tarvello::ReadM4aTrack(files, table, staging, "in.m4a", "in.m4a", 0);
  const bool stored = result == tarvello::M4aResult::kStored;
  if (stored != (table.TrackCount() == 1)) std::abort();
  // Every text field must stay terminated inside its width.
  if (stored && table[0].Title[sizeof table[0].Title - 1] != 0) std::abort();
  if (stored && table[0].Comment[sizeof table[0].Comment - 1] != 0) std::abort();
  // The table-free read agrees, and every refusal has a reason to show.
  const tarvello::M4aVerdict verdict = tarvello::ReadM4aRecord(files, staging, "in.m4a", "in.m4a");
  if (verdict.Accepted() != stored) std::abort();
  if (!verdict.Accepted() && tarvello::RefusalText(verdict).empty()) std::abort();
  return 0;
}
