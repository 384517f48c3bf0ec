#include "convert/mp4_tempo.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "catalogue/m4a_box.h"
#include "common/byte_order.h"

namespace tarvello {
namespace {

// A box header of 1 is followed by a 64-bit size; 0 means the box runs to the file's end.
constexpr uint32_t kLargeSize = 1;
constexpr uint32_t kToEnd = 0;
// The meta box's version and flags come before its children; a data box's type and
// locale words before its value.
constexpr int64_t kMetaVersionSize = 4;
constexpr int64_t kDataPrefixSize = 8;
// Enough for any real file's top level and item list; a crafted file cannot make the
// search run on.
constexpr int kMaxBoxes = 1024;
constexpr int kMaxTempo = 32767;

struct Box {
  int64_t body = 0;  // where its contents start
  int64_t end = 0;
};

class BoxSearch {
 public:
  explicit BoxSearch(ByteFile& file) : file_(file) {}

  // The first child of type `type` between `from` and `end`.
  std::optional<Box> Find(int64_t from, int64_t end, std::string_view type) {
    for (int64_t at = from; at + static_cast<int64_t>(kBoxHeaderSize) <= end;) {
      if (++boxes_ > kMaxBoxes) return std::nullopt;
      const std::optional<std::pair<Box, bool>> box = ReadBox(at, end, type);
      if (!box) return std::nullopt;
      if (box->second) return box->first;
      at = box->first.end;
    }
    return std::nullopt;
  }

  // Up to `count` bytes at `at`, fewer when the file ends sooner.
  size_t Read(int64_t at, uint8_t* buffer, size_t count) {
    file_.Seek(at);
    return file_.Read(buffer, count);
  }

 private:
  // The box at `at` and whether it is of type `type`; nullopt when its size is broken.
  std::optional<std::pair<Box, bool>> ReadBox(int64_t at, int64_t end, std::string_view type) {
    BoxHeader header;
    if (Read(at, header.bytes.data(), header.bytes.size()) != header.bytes.size()) {
      return std::nullopt;
    }
    Box box{at + static_cast<int64_t>(kBoxHeaderSize), 0};
    uint64_t size = header.Size();
    if (size == kLargeSize) {
      std::array<uint8_t, 8> large{};
      if (Read(box.body, large.data(), large.size()) != large.size()) return std::nullopt;
      size = BigEndian64(large.data());
      box.body += static_cast<int64_t>(large.size());
    } else if (size == kToEnd) {
      size = static_cast<uint64_t>(end - at);
    }
    if (size < static_cast<uint64_t>(box.body - at) || size > static_cast<uint64_t>(end - at)) {
      return std::nullopt;
    }
    box.end = at + static_cast<int64_t>(size);
    return std::pair{box, header.TypeIs(type)};
  }

  ByteFile& file_;
  int boxes_ = 0;
};

}  // namespace

int ReadMp4Tempo(ByteFile& file) {
  BoxSearch search(file);
  std::optional<Box> box = search.Find(0, file.Size(), "moov");
  if (box) box = search.Find(box->body, box->end, "udta");
  if (box) box = search.Find(box->body, box->end, "meta");
  if (box) box = search.Find(box->body + kMetaVersionSize, box->end, "ilst");
  if (box) box = search.Find(box->body, box->end, "tmpo");
  if (box) box = search.Find(box->body, box->end, "data");
  if (!box || box->end - box->body <= kDataPrefixSize) return 0;
  // Writers store the tempo in two bytes; some older ones in one.
  std::array<uint8_t, 2> value{};
  const int64_t length = std::min<int64_t>(box->end - box->body - kDataPrefixSize, 2);
  if (search.Read(box->body + kDataPrefixSize, value.data(), static_cast<size_t>(length)) !=
      static_cast<size_t>(length)) {
    return 0;
  }
  const int tempo = length == 2 ? BigEndian16(value.data()) : value[0];
  // The record keeps a signed 16-bit tempo.
  return tempo <= kMaxTempo ? tempo : 0;
}

}  // namespace tarvello
