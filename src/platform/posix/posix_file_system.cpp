#include "platform/posix/posix_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/posix/posix_byte_file.h"
#include "platform/posix/posix_descriptor.h"
#include "platform/posix/posix_file_copy.h"
#include "platform/posix/posix_rename.h"
#include "platform/posix/posix_stored_file.h"
#include "platform/posix/posix_stored_sample.h"
#include "platform/posix/posix_volume_place.h"
#include "platform/posix/posix_write_time.h"

namespace tarvello {
namespace {

std::optional<struct stat> StatFollowing(const std::string& path) {
  struct stat info {};
  if (path.empty() || ::stat(path.c_str(), &info) != 0) return std::nullopt;
  return info;
}

// O_NONBLOCK: opening a named pipe must not wait for a writer; regular files ignore it.
int OpenForReading(const std::string& path) {
  int fd;
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

DirEntry DescribeEntry(const std::string& folder, const std::string& name) {
  DirEntry entry;
  entry.name = name;
  entry.is_hidden = name.front() == '.';
  // A link counts as what it points to; a dangling link is neither file nor folder.
  const auto info = StatFollowing(JoinPath(folder, name));
  if (!info) {
    entry.is_system = true;
    return entry;
  }
  entry.is_directory = S_ISDIR(info->st_mode);
  entry.is_system = !entry.is_directory && !S_ISREG(info->st_mode);
  if (S_ISREG(info->st_mode)) entry.size = static_cast<int64_t>(info->st_size);
  return entry;
}

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

bool PosixFileSystem::FileExists(const std::string& path) {
  const auto info = StatFollowing(path);
  return info && !S_ISDIR(info->st_mode);
}

bool PosixFileSystem::DirectoryExists(const std::string& path) {
  const auto info = StatFollowing(path);
  return info && S_ISDIR(info->st_mode);
}

std::unique_ptr<ByteFile> PosixFileSystem::Open(const std::string& path, int& error) {
  if (path.empty()) {
    error = ENOENT;
    return nullptr;
  }
  const int fd = OpenForReading(path);
  if (fd < 0) {
    error = errno;
    return nullptr;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    error = S_ISDIR(info.st_mode) ? EISDIR : errno;
    ::close(fd);
    return nullptr;
  }
  const int64_t size = S_ISREG(info.st_mode) ? static_cast<int64_t>(info.st_size) : 0;
  return std::make_unique<PosixByteFile>(fd, size, read_counter_, path);
}

std::unique_ptr<ByteFile> PosixFileSystem::OpenRead(const std::string& path) {
  int error = 0;
  return Open(path, error);
}

std::unique_ptr<ByteFile> PosixFileSystem::OpenReadOrThrow(const std::string& path) {
  int error = 0;
  std::unique_ptr<ByteFile> file = Open(path, error);
  if (!file) throw FileError(error, path);
  return file;
}

bool PosixFileSystem::CopyFile(const std::string& from, const std::string& to) {
  return Copy(from, to, nullptr);
}

std::optional<ContentHash> PosixFileSystem::CopyFileHashing(const std::string& from,
                                                            const std::string& to) {
  ContentHasher hasher;
  if (!Copy(from, to, &hasher)) return std::nullopt;
  return hasher.Digest();
}

bool PosixFileSystem::Copy(const std::string& from, const std::string& to, ContentHasher* hasher) {
  if (from.empty() || to.empty()) return false;
  Descriptor in(OpenForReading(from));
  struct stat source {};
  // Only regular files: a device such as /dev/zero would never end.
  if (!in.valid() || ::fstat(in.get(), &source) != 0 || !S_ISREG(source.st_mode)) return false;
  // Truncating the target would wipe the source when both are the same file.
  const auto target = StatFollowing(to);
  if (target && (SameFile(*target, source) || S_ISDIR(target->st_mode))) return false;
  // No chmod afterwards: FAT cards refuse it.
  Descriptor out(::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  if (!out.valid()) return false;
  const bool copied = hasher != nullptr ? CopyFileContentsHashing(in.get(), out.get(), *hasher)
                                        : CopyFileContents(in.get(), out.get());
  const bool closed = out.Close();
  if (copied && closed) return true;
  ::unlink(to.c_str());  // never leave a partial copy behind
  return false;
}

NewFileResult PosixFileSystem::CopyToNewFile(const std::string& from, const std::string& to) {
  if (from.empty() || to.empty()) return NewFileResult::kFailed;
  Descriptor in(OpenForReading(from));
  struct stat source {};
  if (!in.valid() || ::fstat(in.get(), &source) != 0 || !S_ISREG(source.st_mode)) {
    return NewFileResult::kFailed;
  }
  // O_EXCL refuses any existing name, a symbolic link included, so a name planted in a
  // shared folder can neither redirect the copy nor be read by others afterwards.
  Descriptor out(
      ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, S_IRUSR | S_IWUSR));
  if (!out.valid()) return errno == EEXIST ? NewFileResult::kExists : NewFileResult::kFailed;
  const bool copied = CopyFileContents(in.get(), out.get());
  const bool closed = out.Close();
  if (copied && closed) return NewFileResult::kCopied;
  ::unlink(to.c_str());  // the file is ours: the exclusive create made it
  return NewFileResult::kFailed;
}

FileChange PosixFileSystem::MoveFile(const std::string& from, const std::string& to) {
  // Like a move on the card's home system, an existing target is never replaced.
  return RenameKept(*calls_, from, to, false);
}

bool PosixFileSystem::DeleteFile(const std::string& path) {
  return !path.empty() && ::unlink(path.c_str()) == 0;
}

bool PosixFileSystem::CreateDirectories(const std::string& path) {
  if (path.empty()) return false;
  std::error_code error;
  std::filesystem::create_directories(path, error);
  return DirectoryExists(path);
}

std::vector<DirEntry> PosixFileSystem::ListDirectory(const std::string& path) {
  std::vector<DirEntry> entries;
  DIR* dir = path.empty() ? nullptr : ::opendir(path.c_str());
  if (dir == nullptr) return entries;
  while (const dirent* item = ::readdir(dir)) {
    const std::string name = item->d_name;
    if (name == "." || name == "..") continue;
    entries.push_back(DescribeEntry(path, name));
  }
  ::closedir(dir);
  return entries;
}

std::optional<std::string> PosixFileSystem::ReadWholeFile(const std::string& path) {
  auto file = OpenRead(path);
  if (!file) return std::nullopt;
  std::string bytes(static_cast<size_t>(file->Size()), '\0');
  try {
    bytes.resize(file->Read(bytes.data(), bytes.size()));
  } catch (const FileError&) {
    return std::nullopt;  // opened, but the reading failed (a bad sector, a device file)
  }
  return bytes;
}

bool PosixFileSystem::WriteWholeFile(const std::string& path, std::string_view bytes) {
  if (path.empty()) return false;
  Descriptor out(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  if (!out.valid()) return false;
  while (!bytes.empty()) {
    const ssize_t written = ::write(out.get(), bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  return out.Close();
}

bool PosixFileSystem::IsWritableDirectory(const std::string& path) {
  return DirectoryExists(path) && ::access(path.c_str(), W_OK | X_OK) == 0;
}

FileChange PosixFileSystem::SetLastWriteTime(const std::string& path, std::time_t time) {
  if (path.empty()) return FileChange::Refused(ENOENT);
  return SetKeptWriteTime(*calls_, path, time);
}

FileChange PosixFileSystem::SyncVolume(const std::string& path) {
  if (path.empty()) return FileChange::Refused(ENOENT);
  Descriptor volume(calls_->Open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!volume.valid() || calls_->SyncFileSystem(volume.get()) != 0) {
    return FileChange::Refused(errno);
  }
  // syncfs stops at a FUSE file system's door; an fsync of the folder makes the file
  // system write out its own buffers too. Where folders cannot be synced (EINVAL) syncfs
  // has done all there is.
  if (calls_->SyncFile(volume.get()) != 0 && errno != EINVAL) return FileChange::Refused(errno);
  if (!volume.Close()) return FileChange::Refused(errno);
  return FileChange::Done();
}

std::optional<FileIdentity> PosixFileSystem::Identify(const std::string& path) {
  struct stat status {};
  if (path.empty() || ::stat(path.c_str(), &status) != 0) return std::nullopt;
  return FileIdentity{static_cast<uint64_t>(status.st_dev), static_cast<uint64_t>(status.st_ino)};
}

std::string PosixFileSystem::AbsolutePath(const std::string& path) {
  if (path.empty() || path.front() == '/') return LexicallyNormalPath(path);
  char here[PATH_MAX];
  if (::getcwd(here, sizeof here) == nullptr) return LexicallyNormalPath(path);
  return LexicallyNormalPath(std::string(here) + "/" + path);
}

std::optional<ContentHash> PosixFileSystem::HashStoredFile(const std::string& path) {
  if (path.empty()) return std::nullopt;
  return HashFileFromMedium(path);
}

std::optional<std::time_t> PosixFileSystem::LastWriteTime(const std::string& path) {
  const auto info = StatFollowing(path);
  if (!info) return std::nullopt;
  return info->st_mtim.tv_sec;
}

bool PosixFileSystem::RemoveDirectory(const std::string& path) {
  return !path.empty() && ::rmdir(path.c_str()) == 0;
}

std::optional<FileStatus> PosixFileSystem::Status(const std::string& path) {
  const auto info = StatFollowing(path);
  if (!info) return std::nullopt;
  return FileStatus{
      {static_cast<uint64_t>(info->st_dev), static_cast<uint64_t>(info->st_ino)},
      static_cast<int64_t>(info->st_size),
      static_cast<int64_t>(info->st_mtim.tv_sec) * 1000000000 + info->st_mtim.tv_nsec};
}

std::optional<VolumePlace> PosixFileSystem::LocateOnVolume(const std::string& path) {
  return FindVolumePlace(path);
}

bool PosixFileSystem::HardLink(const std::string& from, const std::string& to) {
  return !from.empty() && !to.empty() && ::link(from.c_str(), to.c_str()) == 0;
}

FileChange PosixFileSystem::ReplaceFile(const std::string& from, const std::string& to) {
  return RenameKept(*calls_, from, to, true);
}

std::optional<FileSample> PosixFileSystem::SampleStoredFile(const std::string& path) {
  if (path.empty()) return std::nullopt;
  return SampleFileFromMedium(*calls_, path);
}

}  // namespace tarvello
