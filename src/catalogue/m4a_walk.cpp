#include "catalogue/m4a_walk.h"

#include <algorithm>
#include <cstring>

#include "catalogue/m4a_box.h"
#include "catalogue/m4a_fields.h"

namespace tarvello {
namespace {

constexpr char kMajorBrand[] = "M4A ";
constexpr uint32_t kMinBrandBoxSize = kBoxHeaderSize + 4;
// The meta box's version and flags come before its children.
constexpr int64_t kMetaVersionSize = 4;

enum class Step { kNext, kMediaData, kRefuse };

// Keeps the three header registers: the last header read (current), the box the walk
// descended into and has not finished (parent) and the one around it (outer).
class M4aWalk {
 public:
  M4aWalk(ByteFile& file, TTrackInfo& track) : file_(file), track_(track), size_(file.Size()) {}

  bool Run() {
    if (!CheckBrand() || !FindMovieBox()) return false;
    for (;;) {
      switch (NextStep()) {
        case Step::kNext:
          break;
        case Step::kMediaData:
          return !AtEnd();
        case Step::kRefuse:
          return false;
      }
    }
  }

 private:
  bool AtEnd() const { return position_ >= size_; }

  // Reads exactly `count` bytes; false when the file has fewer or the read budget is spent.
  bool ReadExactly(void* buffer, size_t count) {
    if (count == 0) return true;
    if (reads_ >= kMaxM4aReads) return false;
    ++reads_;
    const size_t got = file_.Read(buffer, count);
    position_ += static_cast<int64_t>(got);
    return got == count;
  }

  bool ReadHeader(BoxHeader& header) {
    return ReadExactly(header.bytes.data(), header.bytes.size());
  }

  void SeekTo(int64_t position) {
    if (position == position_) return;
    file_.Seek(position);
    position_ = position;
  }

  bool CheckBrand() {
    BoxHeader ftyp;
    if (!ReadHeader(ftyp) || !ftyp.TypeIs("ftyp")) return false;
    const uint32_t size = ftyp.Size();
    if (size < kMinBrandBoxSize) return false;
    uint8_t brand[kBrandBufferSize] = {};
    if (!ReadExactly(brand, std::min<size_t>(size - kBoxHeaderSize, kBrandBufferSize))) {
      return false;
    }
    if (std::memcmp(brand, kMajorBrand, 4) != 0) return false;
    SeekTo(size);
    return !AtEnd();
  }

  // Skips the top-level boxes before the movie box unread.
  bool FindMovieBox() {
    int64_t start = position_;
    if (!ReadHeader(current_)) return false;
    for (;;) {
      if (AtEnd()) return false;
      if (current_.TypeIs("moov")) break;
      // A size below a header would make the walk stand still or go back.
      if (current_.Size() < kBoxHeaderSize) return false;
      SeekTo(start + current_.Size());
      start = position_;
      if (!ReadHeader(current_)) return false;
    }
    if (current_.Size() < kMinContainerSize) return false;
    EnterParent(start);
    outer_.Clear();
    return true;
  }

  void EnterParent(int64_t start) {
    outer_ = parent_;
    parent_ = current_;
    parent_start_ = start;
    meta_stepped_ = false;
  }

  Step NextStep() {
    if (AtEnd()) return Step::kRefuse;
    if (current_is_box_ && current_.TypeIs("mdat")) return Step::kMediaData;
    const int64_t start = position_;
    if (!ReadHeader(current_)) return Step::kRefuse;
    const bool pending = !parent_.IsEmpty();
    current_is_box_ = current_.Size() <= size_ - start;
    // Bytes that would make a box larger than the rest of the file are not a header;
    // inside a pending box they are its first content bytes (an "sgpd" of version 1
    // reads like that), anywhere else the file is cut short.
    if (!current_is_box_ && !pending) return Step::kRefuse;
    if (current_is_box_ && current_.LooksLikeContainer()) {
      EnterParent(start);
      return Step::kNext;
    }
    if (!pending) return SkipLooseBox(start);
    return ActOnContents();
  }

  // A box that is not entered while no box is pending, such as an 8-byte free box
  // between two items, is skipped by its own size.
  Step SkipLooseBox(int64_t start) {
    if (current_.Size() < kBoxHeaderSize) return Step::kRefuse;
    SeekTo(start + current_.Size());
    return Step::kNext;
  }

  // The 8 bytes in `current_` were the first contents of the pending box.
  Step ActOnContents() {
    const int64_t unread = int64_t{parent_.Size()} - kMinContainerSize;
    const std::string_view type = parent_.Type();
    bool read_ok = true;
    if (type == "mvhd") {
      read_ok = ReadMovieHeader(unread);
    } else if (type == "stsd") {
      read_ok = ReadSampleDescription(unread);
    } else if (type == "meta" && outer_.TypeIs("udta") && !meta_stepped_) {
      // The 8 bytes were the version field and half of the first child's header. Only
      // once per meta box, so a crafted box cannot make the walk creep 4 bytes at a time.
      meta_stepped_ = true;
      SeekTo(position_ - kMetaVersionSize);
      return Step::kNext;
    } else if (type == "data") {
      read_ok = outer_.bytes[4] == 0xA9 ? ReadTextItem(unread) : ReadNumberItem(unread);
    }
    if (!read_ok) return Step::kRefuse;
    FinishParent();
    return Step::kNext;
  }

  bool ReadMovieHeader(int64_t unread) {
    uint8_t buffer[kMovieHeaderSize] = {};
    if (!ReadExactly(buffer, std::min<int64_t>(unread, kMovieHeaderSize))) return false;
    StoreMovieHeader(buffer, track_);
    return true;
  }

  bool ReadSampleDescription(int64_t unread) {
    uint8_t buffer[kSampleDescriptionSize] = {};
    if (!ReadExactly(buffer, std::min<int64_t>(unread, kSampleDescriptionSize))) return false;
    StoreSampleDescription(buffer, track_);
    return true;
  }

  bool ReadTextItem(int64_t unread) {
    uint8_t buffer[kTextBufferSize] = {};
    if (!ReadExactly(buffer, std::min<int64_t>(unread, kTextBufferSize))) return false;
    StoreTextItem(outer_.Type().substr(1), buffer, track_);
    return true;
  }

  bool ReadNumberItem(int64_t unread) {
    uint8_t buffer[kNumberBufferSize] = {};
    if (!ReadExactly(buffer, std::min<int64_t>(unread, kNumberBufferSize))) return false;
    StoreNumberItem(outer_.Type(), buffer, track_);
    return true;
  }

  // Leaves the pending box: clears the registers and moves to the box's end, never back.
  void FinishParent() {
    const int64_t end = parent_start_ + int64_t{parent_.Size()};
    parent_.Clear();
    outer_.Clear();
    SeekTo(std::max(end, position_));
  }

  ByteFile& file_;
  TTrackInfo& track_;
  const int64_t size_;
  int64_t position_ = 0;
  int reads_ = 0;
  BoxHeader current_;
  BoxHeader parent_;
  BoxHeader outer_;
  int64_t parent_start_ = 0;
  bool current_is_box_ = true;  // false when current_ failed the size check
  bool meta_stepped_ = false;   // the pending meta box already took its 4-byte step
};

}  // namespace

bool WalkM4aFile(ByteFile& file, TTrackInfo& track) {
  return M4aWalk(file, track).Run();
}

}  // namespace tarvello
