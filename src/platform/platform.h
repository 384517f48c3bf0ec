#pragma once

// The one place where the core meets the operating system. Every call the core makes to
// the system goes through these interfaces, so tests can replace any part of them.
// Paths are native bytes (UTF-8 on Linux).

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/content_hash.h"

namespace tarvello {

// The kinds of volume the drive list tells apart; each has its own icon.
enum class DriveType { kUnknown, kNoRoot, kRemovable, kFixed, kRemote, kCdRom, kRamDisk };

// One mounted volume as the drive list shows it.
struct VolumeEntry {
  std::string root;          // mount point: the volume's identity
  std::string name;          // short name: the label, else the mount point's last component
  std::string display_name;  // the drive box's caption: "name (mount point)", "/" for the root
  DriveType type = DriveType::kUnknown;
  bool floppy = false;  // a floppy drive gets the floppy icon
};

// Sizes of a mounted volume as available to the user.
struct VolumeSpace {
  int64_t total_bytes = 0;
  int64_t free_bytes = 0;
  uint16_t bytes_per_sector = 0;
  uint16_t sectors_per_cluster = 0;
};

class Volumes {
 public:
  virtual ~Volumes() = default;
  // Mounted volumes of a listable type, sorted by mount point.
  virtual std::vector<VolumeEntry> List() = 0;
  // Sizes and geometry; nullopt when the volume has no medium or has vanished, and when
  // `root` is no longer a mount point (a left-behind folder of an unmounted card).
  virtual std::optional<VolumeSpace> Measure(const std::string& root) = 0;
  // True when `folder`, with its symbolic links resolved, is `root` or lies below it on
  // the same file system. Parts of `folder` that do not exist yet count as written.
  virtual bool HoldsFolder(const std::string& root, const std::string& folder) = 0;
};

// A file opened for reading bytes, with seeking.
class ByteFile {
 public:
  virtual ~ByteFile() = default;
  // Reads up to `count` bytes at the current position; returns how many were read.
  virtual size_t Read(void* buffer, size_t count) = 0;
  // Moves to an absolute position (it may lie past the end).
  virtual void Seek(int64_t position) = 0;
  virtual int64_t Position() const = 0;
  virtual int64_t Size() const = 0;
};

// One entry of a folder listing.
struct DirEntry {
  std::string name;
  int64_t size = 0;
  bool is_directory = false;
  bool is_system = false;  // not a regular file: device, socket, pipe
  bool is_hidden = false;  // the name begins with "."
};

// Raised by the file operations for input/output errors the callers do not expect.
class FileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
  // The system's message for `error_number` in the user's language (the C library's
  // messages of the current locale), a line break and the path.
  FileError(int error_number, const std::string& path)
      : std::runtime_error(std::system_category().message(error_number) + "\r\n" + path),
        error_number_(error_number) {}
  // The system's error number; 0 when the error did not come from the system.
  int error_number() const { return error_number_; }

 private:
  int error_number_ = 0;
};

// What a file is, whatever path names it: the device that holds it and its number there.
// Two spellings of one path, a path through a symbolic link and a second mount point of
// the same volume all give the same identity.
struct FileIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;

  bool operator==(const FileIdentity&) const = default;
  auto operator<=>(const FileIdentity&) const = default;
};

// `path` without its trailing "/"s; the root stays "/".
inline std::string WithoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// `path` without "." parts, ".." parts that follow a folder, repeated "/" and a trailing
// "/" (the root stays "/"). Symbolic links are left as they are.
inline std::string LexicallyNormalPath(const std::string& path) {
  if (path.empty()) return path;
  return WithoutTrailingSlashes(std::filesystem::path(path).lexically_normal().string());
}

// What a file's entry says of it: what it is, its length and its last-write time.
struct FileStatus {
  FileIdentity identity;
  int64_t size = 0;
  int64_t write_time_ns = 0;  // nanoseconds since the epoch
};

// Where a path lies: a name for its volume that stays the same wherever and whenever the
// volume is mounted (its file system's UUID or serial), and the path inside the volume.
struct VolumePlace {
  std::string volume;
  std::string path;  // from the volume's root, beginning with "/"
};

// The sample of a file: its first and its last kSampleBytes, hashed together, which tell
// cheaply whether a file still holds its beginning and its end. One page each: a moved
// song's check then costs the card two small reads.
inline constexpr int64_t kSampleBytes = 4 * 1024;

struct FileSample {
  int64_t size = 0;
  ContentHash hash;

  bool operator==(const FileSample&) const = default;
};

// The byte ranges a sample of a file of `size` bytes takes: the head from 0, and the
// tail up to the end. They never overlap, so a short file is hashed whole, once.
struct SampleRanges {
  int64_t head = 0;
  int64_t tail_offset = 0;
  int64_t tail = 0;
};

inline SampleRanges SampleRangesOf(int64_t size) {
  SampleRanges ranges;
  ranges.head = std::min(size, kSampleBytes);
  ranges.tail_offset = std::max(ranges.head, size - kSampleBytes);
  ranges.tail = size - ranges.tail_offset;
  return ranges;
}

// Why a change to a file did not happen as asked.
enum class ChangeFault {
  kNone,
  kRefused,         // the system refused the call; its error number says why
  kTimeNotKept,     // the call succeeded, yet the file keeps another last-write time
  kSourceLeft,      // a rename succeeded, yet the old name is still there
  kTargetNotMoved,  // a rename succeeded, yet the new name is not the file that was moved
};

// How a change to a file ended: true only when it happened and the file system kept it.
struct FileChange {
  ChangeFault fault = ChangeFault::kNone;
  int error_number = 0;  // the system's error number, for kRefused

  static FileChange Done() { return {}; }
  static FileChange Refused(int error_number) { return {ChangeFault::kRefused, error_number}; }
  static FileChange Unkept(ChangeFault fault) { return {fault, 0}; }
  explicit operator bool() const { return fault == ChangeFault::kNone; }
  bool operator==(const FileChange&) const = default;
};

// How a copy into a new file ended.
enum class NewFileResult { kCopied, kExists, kFailed };

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  virtual bool FileExists(const std::string& path) = 0;
  // FileExists for many paths at once; answers in the order asked.
  virtual std::vector<bool> FilesExist(const std::vector<std::string>& paths) {
    std::vector<bool> exists;
    exists.reserve(paths.size());
    for (const std::string& path : paths) exists.push_back(FileExists(path));
    return exists;
  }
  virtual bool DirectoryExists(const std::string& path) = 0;
  // Opens a file for reading; nullptr when it cannot be opened.
  virtual std::unique_ptr<ByteFile> OpenRead(const std::string& path) = 0;
  // Opens a file for reading; raises FileError with the system's reason when it cannot.
  // File systems that cannot tell the reason report an input/output error.
  virtual std::unique_ptr<ByteFile> OpenReadOrThrow(const std::string& path) {
    std::unique_ptr<ByteFile> file = OpenRead(path);
    if (!file) throw FileError(EIO, path);
    return file;
  }
  // Copies a file, replacing the target; false on failure.
  virtual bool CopyFile(const std::string& from, const std::string& to) = 0;
  // Copies a file into a new file that only its owner may read and write. Nothing that
  // already has the name `to` is replaced or followed, not even a dangling symbolic link:
  // that gives kExists, and the caller picks another name. A failed copy leaves no file.
  virtual NewFileResult CopyToNewFile(const std::string& from, const std::string& to) = 0;
  // Renames `from` to `to`; an existing `to` is never replaced.
  virtual FileChange MoveFile(const std::string& from, const std::string& to) = 0;
  virtual bool DeleteFile(const std::string& path) = 0;
  virtual bool CreateDirectories(const std::string& path) = 0;
  // Entries of a folder in the file system's order; empty when it cannot be read.
  virtual std::vector<DirEntry> ListDirectory(const std::string& path) = 0;
  // Whole file contents; nullopt when it cannot be read.
  virtual std::optional<std::string> ReadWholeFile(const std::string& path) = 0;
  // Replaces a file's contents; false on failure.
  virtual bool WriteWholeFile(const std::string& path, std::string_view bytes) = 0;
  virtual bool IsWritableDirectory(const std::string& path) = 0;
  // Sets the last-write time (seconds since the epoch), leaving the access time as it
  // is. Done only when the file then reads back with that time, to the file system's
  // precision.
  virtual FileChange SetLastWriteTime(const std::string& path, std::time_t time) = 0;
  // Writes everything cached for the file system that holds `path` to its device, so
  // that the data is on the card before the user pulls it.
  virtual FileChange SyncVolume(const std::string& path) = 0;
  // What the file `path` is; nullopt when it does not exist or cannot be looked at.
  // File systems that cannot tell files apart give nullopt for every path.
  virtual std::optional<FileIdentity> Identify(const std::string& /*path*/) { return std::nullopt; }
  // `path` made absolute against the current folder and lexically normal; file systems
  // without a current folder only normalise it.
  virtual std::string AbsolutePath(const std::string& path) { return LexicallyNormalPath(path); }

  // CopyFile that also gives the hash of the bytes it copied, taken as they passed, so
  // the source is read once; nullopt on failure.
  virtual std::optional<ContentHash> CopyFileHashing(const std::string& from,
                                                     const std::string& to);
  // The hash of a file as its medium holds it: the system's cached pages of the file are
  // dropped first, so the bytes come from the card, not from memory. nullopt when the
  // file cannot be opened or read.
  virtual std::optional<ContentHash> HashStoredFile(const std::string& path);
  // The last-write time (seconds since the epoch); nullopt when it cannot be told.
  virtual std::optional<std::time_t> LastWriteTime(const std::string& path);
  // Removes an empty folder; false on failure (and where folders cannot be removed).
  virtual bool RemoveDirectory(const std::string& path);

  // What `path` is, how long and when last written; nullopt when it cannot be looked at
  // (and on file systems that cannot tell).
  virtual std::optional<FileStatus> Status(const std::string& /*path*/) { return std::nullopt; }
  // The volume that holds `path` and where on it the path lies; nullopt when the volume
  // has no lasting name (a RAM disk, a network share) or it cannot be told.
  virtual std::optional<VolumePlace> LocateOnVolume(const std::string& /*path*/) {
    return std::nullopt;
  }
  // Gives the file `from` the second name `to` (a hard link); false when the file system
  // refuses (another volume, too many links, no links at all) or anything else fails.
  virtual bool HardLink(const std::string& /*from*/, const std::string& /*to*/) { return false; }
  // Renames `from` to `to`, replacing a file of that name in one step where the file
  // system can.
  virtual FileChange ReplaceFile(const std::string& from, const std::string& to);
  // The sample of a file as its medium holds it (the system's cached pages are dropped
  // first); nullopt when it cannot be opened or read.
  virtual std::optional<FileSample> SampleStoredFile(const std::string& path);
};

// What `read` gives for the file at `path` (opened as OpenRead opens it); nullopt when it
// cannot be opened or a read fails.
template <typename Read>
auto ReadOpened(FileSystem& files, const std::string& path, Read read)
    -> std::optional<decltype(read(std::declval<ByteFile&>()))> {
  std::unique_ptr<ByteFile> file = files.OpenRead(path);
  if (!file) return std::nullopt;
  try {
    return read(*file);
  } catch (const FileError&) {
    return std::nullopt;
  }
}

// The sample of `file` (any position); raises FileError when a read fails.
FileSample SampleOf(ByteFile& file);
// The sample of bytes held in memory.
FileSample SampleOfBytes(std::string_view bytes);

// The hash of everything `file` holds from its current position on; raises FileError
// when a read fails.
ContentHash HashRest(ByteFile& file);

// Environment, special folders and the clock.
class Environment {
 public:
  virtual ~Environment() = default;
  virtual std::optional<std::string> GetVariable(const std::string& name) = 0;
  virtual std::string CurrentDirectory() = 0;
  virtual std::string ExecutablePath() = 0;
  virtual std::string HomeDirectory() = 0;
  virtual std::time_t Now() = 0;
};

// How an eject ended.
struct EjectResult {
  bool unmounted = false;  // the volume is off the system: the card may be pulled out
  std::string refusal;     // the system's reason when it refused a step; empty otherwise
};

// Ejects removable volumes as the desktop's file manager does.
class VolumeEjector {
 public:
  virtual ~VolumeEjector() = default;
  // Unmounts the volume mounted at `root`, then powers its drive off where the drive
  // allows it. A refused unmount changes nothing; a refused power-off leaves the volume
  // unmounted and gives the reason.
  virtual EjectResult Eject(const std::string& root) = 0;
};

// Tells when volumes are mounted or unmounted.
class MountWatcher {
 public:
  virtual ~MountWatcher() = default;
  // A descriptor whose exceptional condition (POLLPRI) signals a change, for the event
  // loop to watch; -1 when changes cannot be watched.
  virtual int Handle() const = 0;
  // After the handle signalled: true when the mounts changed since the last call.
  virtual bool Acknowledge() = 0;
};

// What the core is given to reach the system.
struct Platform {
  Volumes& volumes;
  FileSystem& files;
  Environment& environment;
};

}  // namespace tarvello
