// Feeds arbitrary bytes to the tempo item's box search: it must stay inside the file,
// give a tempo the record can hold, and end after a bounded number of reads.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "common/memory_byte_file.h"
#include "convert/mp4_tempo.h"

namespace {

// Counts reads; the search reads a handful per box and visits at most about a thousand.
class CountingFile : public tarvello::MemoryByteFile {
 public:
  using MemoryByteFile::MemoryByteFile;
  size_t Read(void* buffer, size_t count) override {
    if (++reads_ > 8192) std::abort();
    return MemoryByteFile::Read(buffer, count);
  }

 private:
  int reads_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CountingFile file(std::string_view(reinterpret_cast<const char*>(data), size));
  const int tempo = tarvello::ReadMp4Tempo(file);
  if (tempo < 0 || tempo > 32767) std::abort();
  return 0;
}
