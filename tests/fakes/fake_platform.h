#pragma once

// Stand-ins for the operating system: volumes that are temporary folders with chosen
// sizes, an environment from a map, and real file operations that can be made to fail.

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/posix_file_calls.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_volumes.h"

namespace tarvello::fakes {

// A fresh folder under /tmp, removed with everything in it at the end.
class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/tarvello-test-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder, without a trailing "/".
  const std::string& path() const { return path_; }
  // A path inside the folder.
  std::string Path(std::string_view name) const { return path_ + "/" + std::string(name); }

 private:
  std::string path_;
};

// Writes `bytes` to `path`, making missing folders; throws when it cannot.
inline void WriteFile(const std::string& path, std::string_view bytes) {
  const std::filesystem::path file(path);
  if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

// A hard link where the file system allows one (tests make thousands), else a copy.
inline void LinkOrCopy(const std::string& source, const std::string& target) {
  std::error_code error;
  std::filesystem::create_hard_link(source, target, error);
  if (error) std::filesystem::copy_file(source, target);
}

// Reads a whole file; empty when it cannot.
inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every file below `folder`, by its name relative to it, with its contents; empty when
// the folder is missing.
inline std::map<std::string, std::string> FolderContents(const std::string& folder) {
  std::map<std::string, std::string> files;
  if (!std::filesystem::exists(folder)) return files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file())
      files[std::filesystem::relative(entry.path(), folder).string()] =
          ReadFile(entry.path().string());
  }
  return files;
}

// The names FolderContents gives, in order.
inline std::vector<std::string> FileNamesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& [name, bytes] : FolderContents(folder)) names.push_back(name);
  return names;
}

// A volume the fake lists: a real folder with the sizes a test chooses.
struct FakeVolume {
  std::string root;
  std::string name;          // the short name the status texts use
  std::string display_name;  // the drive box's caption; "name (root)" when left empty
  DriveType type = DriveType::kRemovable;
  bool floppy = false;
  VolumeSpace space{16 * 1024 * 1024, 8 * 1024 * 1024, 512, 64};
  bool no_medium = false;  // listed, but Measure gives nullopt
  bool removed = false;    // neither listed nor measurable
};

class FakeVolumes : public Volumes {
 public:
  // Adds a volume whose root is `root` (an existing folder) and whose short name is
  // `name`; returns it for tuning.
  FakeVolume& Add(std::string root, std::string name, DriveType type = DriveType::kRemovable,
                  VolumeSpace space = {16 * 1024 * 1024, 8 * 1024 * 1024, 512, 64}) {
    auto volume = std::make_unique<FakeVolume>();
    volume->root = std::move(root);
    volume->name = std::move(name);
    volume->type = type;
    volume->space = space;
    volumes_.push_back(std::move(volume));
    return *volumes_.back();
  }

  // Adds a volume whose root is a fresh temporary folder that lives as long as this.
  FakeVolume& AddTemp(std::string name, DriveType type = DriveType::kRemovable,
                      VolumeSpace space = {16 * 1024 * 1024, 8 * 1024 * 1024, 512, 64}) {
    folders_.push_back(std::make_unique<TempDir>());
    return Add(folders_.back()->path(), std::move(name), type, space);
  }

  // The volume with this root; throws when there is none.
  FakeVolume& At(const std::string& root) {
    for (auto& volume : volumes_) {
      if (volume->root == root) return *volume;
    }
    throw std::out_of_range("no fake volume " + root);
  }

  std::vector<VolumeEntry> List() override {
    ++list_calls;
    std::vector<VolumeEntry> entries;
    for (const auto& volume : volumes_) {
      if (volume->removed) continue;
      const std::string caption = volume->display_name.empty()
                                      ? volume->name + " (" + volume->root + ")"
                                      : volume->display_name;
      entries.push_back({volume->root, volume->name, caption, volume->type, volume->floppy});
    }
    std::sort(entries.begin(), entries.end(),
              [](const VolumeEntry& a, const VolumeEntry& b) { return a.root < b.root; });
    return entries;
  }

  std::optional<VolumeSpace> Measure(const std::string& root) override {
    ++measure_calls;
    for (const auto& volume : volumes_) {
      if (volume->root != root) continue;
      if (volume->removed || volume->no_medium) return std::nullopt;
      return volume->space;
    }
    return std::nullopt;
  }

  // The fake volumes are real folders, so the real rule answers.
  bool HoldsFolder(const std::string& root, const std::string& folder) override {
    return FolderLiesOnVolume(root, folder);
  }

  int list_calls = 0;
  int measure_calls = 0;

 private:
  std::vector<std::unique_ptr<FakeVolume>> volumes_;  // stable addresses for At()
  std::vector<std::unique_ptr<TempDir>> folders_;
};

class FakeEnvironment : public Environment {
 public:
  std::optional<std::string> GetVariable(const std::string& name) override {
    const auto found = variables.find(name);
    if (found == variables.end()) return std::nullopt;
    return found->second;
  }
  std::string CurrentDirectory() override { return current_directory; }
  std::string ExecutablePath() override { return executable_path; }
  std::string HomeDirectory() override { return home; }
  std::time_t Now() override { return now; }

  // The program, its home, its temporary files and its cache all in `folder`.
  void LiveIn(const std::string& folder) {
    executable_path = folder + "/tarvello";
    current_directory = home = folder;
    variables["TEMP"] = variables["XDG_CACHE_HOME"] = folder;
  }

  std::map<std::string, std::string> variables;
  std::string current_directory = "/tmp";
  std::string executable_path = "/tmp/tarvello";
  std::string home = "/tmp";
  std::time_t now = 1700000000;  // 2023-11-14 22:13:20 UTC
};

// The file operations that LockingFileSystem can make fail.
enum class FileOp {
  kCopy,
  kCopyToNew,
  kMove,
  kDelete,
  kCreateDirectories,
  kWrite,
  kSetTime,
  kSync,
  kLink,  // a hard link
  kHash   // a read back from the medium: a whole file's hash or its sample
};

// A file that opens but whose reading fails from a chosen byte on, as a bad sector or a
// device file does: a read that would reach that byte raises FileError (EIO).
class FailingByteFile : public ByteFile {
 public:
  FailingByteFile(std::unique_ptr<ByteFile> file, std::string path, int64_t fails_at)
      : file_(std::move(file)), path_(std::move(path)), fails_at_(fails_at) {}
  size_t Read(void* buffer, size_t count) override {
    if (count > 0 && file_->Position() + static_cast<int64_t>(count) > fails_at_) {
      throw FileError(EIO, path_);
    }
    return file_->Read(buffer, count);
  }
  void Seek(int64_t position) override { file_->Seek(position); }
  int64_t Position() const override { return file_->Position(); }
  int64_t Size() const override { return file_->Size(); }

 private:
  std::unique_ptr<ByteFile> file_;
  std::string path_;
  int64_t fails_at_;
};

// How a card's file system answers the calls whose results the file operations check:
// as the system does, or as file systems seen in the field do. Only paths below `below`
// (all when empty) misbehave.
class CardCalls : public FileCalls {
 public:
  enum class Times {
    kKept,
    kKeptThroughDescriptor,  // a time given by name becomes the time of the call
    kNeverKept,              // every time given becomes the time of the call
  };
  std::string below;
  Times times = Times::kKept;
  bool rename_leaves_source = false;  // the old name stays, a second name of the file
  bool rename_does_nothing = false;   // a rename answers yes and changes nothing
  int syncfs_error = 0;               // nonzero: syncfs fails with this error
  int fsync_error = 0;                // nonzero: fsync fails with this error

  int SetTimes(const char* path, const struct timespec times_given[2]) override {
    if (times != Times::kKept && Misbehaves(path)) return ::utimensat(AT_FDCWD, path, nullptr, 0);
    return FileCalls::SetTimes(path, times_given);
  }
  int SetTimesOpen(int fd, const struct timespec times_given[2]) override {
    if (times == Times::kNeverKept && Misbehaves(PathOf(fd))) return ::futimens(fd, nullptr);
    return FileCalls::SetTimesOpen(fd, times_given);
  }
  int Rename(const char* from, const char* to, unsigned int flags) override {
    if (!Misbehaves(from)) return FileCalls::Rename(from, to, flags);
    if (rename_does_nothing) return 0;
    const int renamed = FileCalls::Rename(from, to, flags);
    if (renamed == 0 && rename_leaves_source) ::link(to, from);
    return renamed;
  }
  int SyncFileSystem(int fd) override {
    return Answer(syncfs_error, fd, FileCalls::SyncFileSystem(fd));
  }
  int SyncFile(int fd) override { return Answer(fsync_error, fd, FileCalls::SyncFile(fd)); }

 private:
  bool Misbehaves(const std::string& path) const {
    return below.empty() || path == below || path.starts_with(below + "/");
  }
  static std::string PathOf(int fd) {
    std::error_code error;
    return std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(fd), error).string();
  }
  // The system's answer `done`, or a failure with `error` when the call misbehaves.
  int Answer(int error, int fd, int done) const {
    if (error == 0 || !Misbehaves(PathOf(fd))) return done;
    errno = error;
    return -1;
  }
};

// Real file operations, with files that another program seems to hold open, files that
// cannot be read, and operations that fail on a chosen call.
class LockingFileSystem : public FileSystem {
 public:
  // Paths OpenRead refuses, as if held open without read sharing; copying still works.
  std::set<std::string> locked;
  // Paths that open but whose reading raises FileError (ReadWholeFile raises it too).
  std::set<std::string> unreadable;
  // Paths that open and read up to the given byte, past which reading raises FileError.
  std::map<std::string, int64_t> read_fails_at;
  // Paths whose first opening reads nothing (FileError, EIO); later openings read well.
  std::set<std::string> unreadable_once;
  // 1-based number of the call that fails; 0: none fails.
  int fail_copy_at = 0;
  int fail_copy_to_new_at = 0;
  int fail_move_at = 0;
  int fail_delete_at = 0;
  int fail_create_at = 0;
  int fail_write_at = 0;
  int fail_set_time_at = 0;
  int fail_sync_at = 0;
  int fail_link_at = 0;
  int fail_hash_at = 0;
  // Calls made so far.
  int open_calls = 0;
  int copy_calls = 0;
  int copy_to_new_calls = 0;
  int move_calls = 0;
  int delete_calls = 0;
  int create_calls = 0;
  int write_calls = 0;
  int set_time_calls = 0;
  int sync_calls = 0;
  int link_calls = 0;
  // The lasting names of volumes by their roots; paths elsewhere lie on no named volume.
  std::map<std::string, std::string> volume_names;
  // Puts a folder listing into another order, as another file system would list it.
  std::function<void(std::vector<DirEntry>&)> reorder_listing;
  // Runs before every changing operation, with the operation and its call number; a test
  // can pull the card out here.
  std::function<void(FileOp, int)> before;

  // Makes the `call`-th call of `op` fail.
  void FailAt(FileOp op, int call) { *CounterOf(op).fail_at = call; }
  // The calls of `op` made so far.
  int Calls(FileOp op) { return *CounterOf(op).calls; }

  PosixFileSystem& real() { return real_; }
  // How the file system under the real operations answers.
  CardCalls& card() { return *card_; }

  bool FileExists(const std::string& path) override { return real_.FileExists(path); }
  std::vector<bool> FilesExist(const std::vector<std::string>& paths) override {
    return real_.FilesExist(paths);
  }
  bool DirectoryExists(const std::string& path) override { return real_.DirectoryExists(path); }
  std::unique_ptr<ByteFile> OpenRead(const std::string& path) override {
    ++open_calls;
    if (locked.count(path) != 0) return nullptr;
    return Unreadable(real_.OpenRead(path), path);
  }
  std::unique_ptr<ByteFile> OpenReadOrThrow(const std::string& path) override {
    ++open_calls;
    if (locked.count(path) != 0) throw FileError(EACCES, path);
    return Unreadable(real_.OpenReadOrThrow(path), path);
  }
  bool CopyFile(const std::string& from, const std::string& to) override {
    return Allowed(FileOp::kCopy) && real_.CopyFile(from, to);
  }
  NewFileResult CopyToNewFile(const std::string& from, const std::string& to) override {
    if (!Allowed(FileOp::kCopyToNew)) return NewFileResult::kFailed;
    return real_.CopyToNewFile(from, to);
  }
  FileChange MoveFile(const std::string& from, const std::string& to) override {
    if (!Allowed(FileOp::kMove)) return FileChange::Refused(EIO);
    return real_.MoveFile(from, to);
  }
  bool DeleteFile(const std::string& path) override {
    return Allowed(FileOp::kDelete) && real_.DeleteFile(path);
  }
  bool CreateDirectories(const std::string& path) override {
    return Allowed(FileOp::kCreateDirectories) && real_.CreateDirectories(path);
  }
  std::vector<DirEntry> ListDirectory(const std::string& path) override {
    std::vector<DirEntry> entries = real_.ListDirectory(path);
    if (reorder_listing) reorder_listing(entries);
    return entries;
  }
  std::optional<std::string> ReadWholeFile(const std::string& path) override {
    if (locked.count(path) != 0) return std::nullopt;
    if (unreadable.count(path) != 0 || read_fails_at.count(path) != 0) throw FileError(EIO, path);
    return real_.ReadWholeFile(path);
  }
  bool WriteWholeFile(const std::string& path, std::string_view bytes) override {
    return Allowed(FileOp::kWrite) && real_.WriteWholeFile(path, bytes);
  }
  bool IsWritableDirectory(const std::string& path) override {
    return real_.IsWritableDirectory(path);
  }
  FileChange SetLastWriteTime(const std::string& path, std::time_t time) override {
    if (!Allowed(FileOp::kSetTime)) return FileChange::Refused(EIO);
    return real_.SetLastWriteTime(path, time);
  }
  FileChange SyncVolume(const std::string& path) override {
    if (!Allowed(FileOp::kSync)) return FileChange::Refused(EIO);
    return real_.SyncVolume(path);
  }
  std::optional<FileIdentity> Identify(const std::string& path) override {
    return real_.Identify(path);
  }
  std::string AbsolutePath(const std::string& path) override { return real_.AbsolutePath(path); }
  std::optional<ContentHash> CopyFileHashing(const std::string& from,
                                             const std::string& to) override {
    if (!Allowed(FileOp::kCopy)) return std::nullopt;
    return real_.CopyFileHashing(from, to);
  }
  std::optional<ContentHash> HashStoredFile(const std::string& path) override {
    ++hash_calls;
    if (!Allowed(FileOp::kHash) || locked.count(path) != 0 || unreadable.count(path) != 0) {
      return std::nullopt;
    }
    return real_.HashStoredFile(path);
  }
  std::optional<FileSample> SampleStoredFile(const std::string& path) override {
    ++sample_calls;
    if (!Allowed(FileOp::kHash) || locked.count(path) != 0 || unreadable.count(path) != 0) {
      return std::nullopt;
    }
    return real_.SampleStoredFile(path);
  }
  std::optional<FileStatus> Status(const std::string& path) override { return real_.Status(path); }
  std::optional<VolumePlace> LocateOnVolume(const std::string& path) override {
    const std::string absolute = real_.AbsolutePath(path);
    for (const auto& [root, name] : volume_names) {
      const std::string base = LexicallyNormalPath(root);
      if (absolute == base) return VolumePlace{name, "/"};
      if (absolute.starts_with(base + "/")) return VolumePlace{name, absolute.substr(base.size())};
    }
    return std::nullopt;
  }
  bool HardLink(const std::string& from, const std::string& to) override {
    return Allowed(FileOp::kLink) && real_.HardLink(from, to);
  }
  FileChange ReplaceFile(const std::string& from, const std::string& to) override {
    return real_.ReplaceFile(from, to);
  }
  std::optional<std::time_t> LastWriteTime(const std::string& path) override {
    return real_.LastWriteTime(path);
  }
  bool RemoveDirectory(const std::string& path) override { return real_.RemoveDirectory(path); }
  // Files read back whole, and samples read back, so far.
  int hash_calls = 0;
  int sample_calls = 0;
  int hash_reads = 0;  // both together, as FileOp::kHash counts them

 private:
  // The file, or one that fails its reads when the path is unreadable.
  std::unique_ptr<ByteFile> Unreadable(std::unique_ptr<ByteFile> file, const std::string& path) {
    if (!file) return file;
    if (unreadable.count(path) != 0 || unreadable_once.erase(path) != 0)
      return std::make_unique<FailingByteFile>(std::move(file), path, 0);
    const auto part_way = read_fails_at.find(path);
    if (part_way == read_fails_at.end()) return file;
    return std::make_unique<FailingByteFile>(std::move(file), path, part_way->second);
  }
  struct Counter {
    int* fail_at;
    int* calls;
  };
  Counter CounterOf(FileOp op) {
    switch (op) {
      case FileOp::kCopy:
        return {&fail_copy_at, &copy_calls};
      case FileOp::kCopyToNew:
        return {&fail_copy_to_new_at, &copy_to_new_calls};
      case FileOp::kMove:
        return {&fail_move_at, &move_calls};
      case FileOp::kDelete:
        return {&fail_delete_at, &delete_calls};
      case FileOp::kCreateDirectories:
        return {&fail_create_at, &create_calls};
      case FileOp::kWrite:
        return {&fail_write_at, &write_calls};
      case FileOp::kSetTime:
        return {&fail_set_time_at, &set_time_calls};
      case FileOp::kSync:
        return {&fail_sync_at, &sync_calls};
      case FileOp::kLink:
        return {&fail_link_at, &link_calls};
      case FileOp::kHash:
        return {&fail_hash_at, &hash_reads};
    }
    throw std::logic_error("unknown file operation");
  }
  // Counts the call and tells whether it may go ahead.
  bool Allowed(FileOp op) {
    const Counter counter = CounterOf(op);
    ++*counter.calls;
    if (before) before(op, *counter.calls);
    return *counter.calls != *counter.fail_at;
  }

  std::shared_ptr<CardCalls> card_ = std::make_shared<CardCalls>();
  PosixFileSystem real_{card_};
};

// A whole fake platform; hand `platform` to the code under test.
struct FakePlatform {
  FakePlatform() = default;
  FakePlatform(const FakePlatform&) = delete;
  FakePlatform& operator=(const FakePlatform&) = delete;

  FakeVolumes volumes;
  LockingFileSystem files;
  FakeEnvironment environment;
  Platform platform{volumes, files, environment};
};

}  // namespace tarvello::fakes
