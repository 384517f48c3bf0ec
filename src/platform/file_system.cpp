// What every FileSystem can do with its own basic operations.

#include <vector>

#include "platform/platform.h"

namespace tarvello {

ContentHash HashRest(ByteFile& file) {
  ContentHasher hasher;
  std::vector<char> buffer(1 << 20);
  for (;;) {
    const size_t got = file.Read(buffer.data(), buffer.size());
    if (got == 0) break;
    hasher.Add(buffer.data(), got);
  }
  return hasher.Digest();
}

std::optional<ContentHash> FileSystem::CopyFileHashing(const std::string& from,
                                                       const std::string& to) {
  if (!CopyFile(from, to)) return std::nullopt;
  return ReadOpened(*this, from, HashRest);
}

std::optional<ContentHash> FileSystem::HashStoredFile(const std::string& path) {
  return ReadOpened(*this, path, HashRest);
}

std::optional<std::time_t> FileSystem::LastWriteTime(const std::string&) {
  return std::nullopt;
}

bool FileSystem::RemoveDirectory(const std::string&) {
  return false;
}

FileChange FileSystem::ReplaceFile(const std::string& from, const std::string& to) {
  if (FileExists(to) && !DeleteFile(to)) return FileChange::Refused(EIO);
  return MoveFile(from, to);
}

std::optional<FileSample> FileSystem::SampleStoredFile(const std::string& path) {
  return ReadOpened(*this, path, SampleOf);
}

namespace {

// Reads exactly `count` bytes at `offset` into the hasher; raises FileError on a short
// read, since the file's size promised them.
void AddRange(ByteFile& file, ContentHasher& hasher, int64_t offset, int64_t count,
              std::vector<char>& buffer) {
  if (count <= 0) return;
  buffer.resize(static_cast<size_t>(count));
  file.Seek(offset);
  size_t done = 0;
  while (done < buffer.size()) {
    const size_t got = file.Read(buffer.data() + done, buffer.size() - done);
    if (got == 0) throw FileError(EIO, "");
    done += got;
  }
  hasher.Add(buffer.data(), buffer.size());
}

}  // namespace

FileSample SampleOf(ByteFile& file) {
  const int64_t size = file.Size();
  const SampleRanges ranges = SampleRangesOf(size);
  ContentHasher hasher;
  std::vector<char> buffer;
  AddRange(file, hasher, 0, ranges.head, buffer);
  AddRange(file, hasher, ranges.tail_offset, ranges.tail, buffer);
  return {size, hasher.Digest()};
}

FileSample SampleOfBytes(std::string_view bytes) {
  const SampleRanges ranges = SampleRangesOf(static_cast<int64_t>(bytes.size()));
  ContentHasher hasher;
  hasher.Add(bytes.data(), static_cast<size_t>(ranges.head));
  hasher.Add(bytes.data() + ranges.tail_offset, static_cast<size_t>(ranges.tail));
  return {static_cast<int64_t>(bytes.size()), hasher.Digest()};
}

}  // namespace tarvello
