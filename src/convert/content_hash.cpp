#include "convert/content_hash.h"

#include <xxhash.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace tarvello {
namespace {

constexpr size_t kChunkBytes = size_t{1} << 20;

struct HashStateFreer {
  void operator()(XXH3_state_t* state) const { XXH3_freeState(state); }
};

}  // namespace

std::optional<std::string> SourceContentKey(FileSystem& files, const std::string& path) {
  const std::unique_ptr<ByteFile> file = files.OpenRead(path);
  if (!file) return std::nullopt;
  const std::unique_ptr<XXH3_state_t, HashStateFreer> state(XXH3_createState());
  if (!state || XXH3_128bits_reset(state.get()) == XXH_ERROR) return std::nullopt;
  const int64_t size = file->Size();
  int64_t total = 0;
  std::vector<char> chunk(kChunkBytes);
  try {
    while (true) {
      const size_t read = file->Read(chunk.data(), chunk.size());
      if (read == 0) break;
      XXH3_128bits_update(state.get(), chunk.data(), read);
      total += static_cast<int64_t>(read);
    }
  } catch (const FileError&) {
    return std::nullopt;
  }
  if (total != size) return std::nullopt;
  const XXH128_hash_t hash = XXH3_128bits_digest(state.get());
  char text[33];
  std::snprintf(text, sizeof text, "%016llx%016llx", static_cast<unsigned long long>(hash.high64),
                static_cast<unsigned long long>(hash.low64));
  return std::string(text);
}

}  // namespace tarvello
