#include "convert/content_hash.h"

#include <memory>
#include <vector>

#include "platform/content_hash.h"

namespace tarvello {
namespace {

constexpr size_t kChunkBytes = size_t{1} << 20;

}  // namespace

std::optional<std::string> SourceContentKey(FileSystem& files, const std::string& path) {
  const std::unique_ptr<ByteFile> file = files.OpenRead(path);
  if (!file) return std::nullopt;
  const int64_t size = file->Size();
  int64_t total = 0;
  ContentHasher hasher;
  std::vector<char> chunk(kChunkBytes);
  try {
    while (const size_t read = file->Read(chunk.data(), chunk.size())) {
      hasher.Add(chunk.data(), read);
      total += static_cast<int64_t>(read);
    }
  } catch (const FileError&) {
    return std::nullopt;
  }
  if (total != size) return std::nullopt;
  return HashText(hasher.Digest());
}

}  // namespace tarvello
