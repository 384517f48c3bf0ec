#pragma once

// File operations on a POSIX system.

#include <cstdint>
#include <memory>

#include "platform/platform.h"
#include "platform/posix/posix_byte_file.h"
#include "platform/posix/posix_file_calls.h"

namespace tarvello {

class PosixFileSystem : public FileSystem {
 public:
  // `calls` answers the system calls whose results are checked; tests give calls that
  // behave as other file systems do.
  explicit PosixFileSystem(std::shared_ptr<FileCalls> calls = std::make_shared<FileCalls>())
      : calls_(std::move(calls)) {}

  bool FileExists(const std::string& path) override;
  // Reads each folder that holds many of the paths once instead of asking for every file.
  std::vector<bool> FilesExist(const std::vector<std::string>& paths) override;
  bool DirectoryExists(const std::string& path) override;
  std::unique_ptr<ByteFile> OpenRead(const std::string& path) override;
  std::unique_ptr<ByteFile> OpenReadOrThrow(const std::string& path) override;
  bool CopyFile(const std::string& from, const std::string& to) override;
  NewFileResult CopyToNewFile(const std::string& from, const std::string& to) override;
  FileChange MoveFile(const std::string& from, const std::string& to) override;
  bool DeleteFile(const std::string& path) override;
  bool CreateDirectories(const std::string& path) override;
  std::vector<DirEntry> ListDirectory(const std::string& path) override;
  std::optional<std::string> ReadWholeFile(const std::string& path) override;
  bool WriteWholeFile(const std::string& path, std::string_view bytes) override;
  bool IsWritableDirectory(const std::string& path) override;
  FileChange SetLastWriteTime(const std::string& path, std::time_t time) override;
  FileChange SyncVolume(const std::string& path) override;
  std::optional<FileIdentity> Identify(const std::string& path) override;
  std::string AbsolutePath(const std::string& path) override;
  std::optional<ContentHash> CopyFileHashing(const std::string& from,
                                             const std::string& to) override;
  std::optional<ContentHash> HashStoredFile(const std::string& path) override;
  std::optional<std::time_t> LastWriteTime(const std::string& path) override;
  bool RemoveDirectory(const std::string& path) override;
  std::optional<FileStatus> Status(const std::string& path) override;
  std::optional<VolumePlace> LocateOnVolume(const std::string& path) override;
  bool HardLink(const std::string& from, const std::string& to) override;
  FileChange ReplaceFile(const std::string& from, const std::string& to) override;
  std::optional<FileSample> SampleStoredFile(const std::string& path) override;

  // System reads made so far by all the files this object opened, and the bytes they
  // brought.
  uint64_t SystemReadCount() const { return read_counter_->reads; }
  uint64_t SystemReadBytes() const { return read_counter_->bytes; }

 private:
  // Opens for reading; nullptr with the system's error number in `error` when it cannot.
  std::unique_ptr<ByteFile> Open(const std::string& path, int& error);
  // CopyFile, hashing the bytes on the way when `hasher` is given.
  bool Copy(const std::string& from, const std::string& to, ContentHasher* hasher);

  std::shared_ptr<FileCalls> calls_;
  std::shared_ptr<SystemReadCounter> read_counter_ = std::make_shared<SystemReadCounter>();
};

}  // namespace tarvello
