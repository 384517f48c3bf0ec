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
  std::unique_ptr<ByteFile> source = OpenRead(from);
  if (!source) return std::nullopt;
  try {
    return HashRest(*source);
  } catch (const FileError&) {
    return std::nullopt;
  }
}

std::optional<ContentHash> FileSystem::HashStoredFile(const std::string& path) {
  std::unique_ptr<ByteFile> file = OpenRead(path);
  if (!file) return std::nullopt;
  try {
    return HashRest(*file);
  } catch (const FileError&) {
    return std::nullopt;
  }
}

std::optional<std::time_t> FileSystem::LastWriteTime(const std::string&) {
  return std::nullopt;
}

bool FileSystem::RemoveDirectory(const std::string&) {
  return false;
}

}  // namespace tarvello
