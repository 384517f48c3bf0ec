#pragma once

// An in-memory file system for the M4A reader's tests. It counts every read and remembers
// the largest one, and notes whether any seek went backwards, so tests can bound what the
// reader does to a file.

#include <algorithm>
#include <map>
#include <memory>
#include <string>

#include "platform/platform.h"

namespace tarvello::testing {

struct ReadStats {
  int reads = 0;
  size_t largest_read = 0;
  int seeks = 0;
  int64_t largest_step_back = 0;  // bytes the position ever moved back by a seek
  int backward_seeks = 0;
  bool opened = false;
  bool closed = false;
};

class MemoryByteFile : public ByteFile {
 public:
  // `size` may exceed the bytes given: the rest reads as zeros, so a test can claim a
  // file of several gigabytes.
  MemoryByteFile(std::string bytes, int64_t size, ReadStats& stats)
      : bytes_(std::move(bytes)), size_(size), stats_(stats) {
    stats_.opened = true;
  }
  ~MemoryByteFile() override { stats_.closed = true; }

  size_t Read(void* buffer, size_t count) override {
    ++stats_.reads;
    stats_.largest_read = std::max(stats_.largest_read, count);
    const int64_t size = Size();
    const size_t available =
        position_ >= size ? 0 : static_cast<size_t>(std::min<int64_t>(count, size - position_));
    char* out = static_cast<char*>(buffer);
    for (size_t i = 0; i < available; ++i) {
      const auto at = static_cast<size_t>(position_) + i;
      out[i] = at < bytes_.size() ? bytes_[at] : '\0';
    }
    position_ += static_cast<int64_t>(available);
    return available;
  }
  void Seek(int64_t position) override {
    ++stats_.seeks;
    stats_.largest_step_back = std::max(stats_.largest_step_back, position_ - position);
    if (position < position_) ++stats_.backward_seeks;
    position_ = position;
  }
  int64_t Position() const override { return position_; }
  int64_t Size() const override { return size_; }

 private:
  std::string bytes_;
  int64_t size_;
  ReadStats& stats_;
  int64_t position_ = 0;
};

class MemoryFileSystem : public FileSystem {
 public:
  void Add(const std::string& path, std::string bytes) {
    const auto size = static_cast<int64_t>(bytes.size());
    files_[path] = {std::move(bytes), size};
  }
  // A file of `size` bytes whose first bytes are `bytes`, the rest zeros.
  void AddSparse(const std::string& path, std::string bytes, int64_t size) {
    files_[path] = {std::move(bytes), size};
  }
  // Statistics of the most recent file opened.
  const ReadStats& stats() const { return stats_; }

  bool FileExists(const std::string& path) override { return files_.count(path) > 0; }
  bool DirectoryExists(const std::string&) override { return false; }
  std::unique_ptr<ByteFile> OpenRead(const std::string& path) override {
    const auto found = files_.find(path);
    if (found == files_.end()) return nullptr;
    stats_ = ReadStats{};
    return std::make_unique<MemoryByteFile>(found->second.bytes, found->second.size, stats_);
  }
  bool CopyFile(const std::string&, const std::string&) override { return false; }
  NewFileResult CopyToNewFile(const std::string&, const std::string&) override {
    return NewFileResult::kFailed;
  }
  FileChange MoveFile(const std::string&, const std::string&) override {
    return FileChange::Refused(EROFS);
  }
  bool DeleteFile(const std::string&) override { return false; }
  bool CreateDirectories(const std::string&) override { return false; }
  std::vector<DirEntry> ListDirectory(const std::string&) override { return {}; }
  std::optional<std::string> ReadWholeFile(const std::string& path) override {
    const auto found = files_.find(path);
    if (found == files_.end()) return std::nullopt;
    return found->second.bytes;
  }
  bool WriteWholeFile(const std::string&, std::string_view) override { return false; }
  bool IsWritableDirectory(const std::string&) override { return false; }
  FileChange SetLastWriteTime(const std::string&, std::time_t) override {
    return FileChange::Refused(EROFS);
  }
  FileChange SyncVolume(const std::string&) override { return FileChange::Refused(EROFS); }

 private:
  struct Stored {
    std::string bytes;
    int64_t size = 0;
  };
  std::map<std::string, Stored> files_;
  ReadStats stats_;
};

}  // namespace tarvello::testing
