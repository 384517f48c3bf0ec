#include "catalogue/m4a_walk.h"

#include <algorithm>
#include <cstring>

#include "catalogue/m4a_box.h"
#include "catalogue/m4a_fields.h"
#include "catalogue/m4a_sample_entry.h"

namespace tarvello {
namespace {

constexpr char kMajorBrand[] = "M4A ";
constexpr uint32_t kMinBrandBoxSize = kBoxHeaderSize + 4;
// The meta box's version and flags come before its children.
constexpr int64_t kMetaVersionSize = 4;
// A handler box's type follows its version, flags and one reserved word.
constexpr size_t kHandlerTypeSize = 4;

enum class Step { kNext, kMediaData, kRefuse };

// Keeps the three header registers: the last header read (current), the box the walk
// descended into and has not finished (parent) and the one around it (outer).
class M4aWalk {
 public:
  M4aWalk(ByteFile& file, TTrackInfo& track, TagTexts* source_texts)
      : file_(file), track_(track), source_texts_(source_texts), size_(file.Size()) {}

  M4aVerdict Run() {
    if (CheckBrand() && FindMovieBox()) Walk();
    return verdict_;
  }

 private:
  void Walk() {
    for (;;) {
      switch (NextStep()) {
        case Step::kNext:
          break;
        case Step::kMediaData:
        case Step::kRefuse:
          return;
      }
    }
  }

  bool AtEnd() const { return position_ >= size_; }

  // Notes why the file is refused; returns false and kRefuse for the callers' convenience.
  bool Refuse(M4aRefusal refusal) {
    verdict_.refusal = refusal;
    return false;
  }
  Step RefuseStep(M4aRefusal refusal) {
    Refuse(refusal);
    return Step::kRefuse;
  }

  // Reads exactly `count` bytes; false when the file has fewer or the read budget is spent.
  bool ReadExactly(void* buffer, size_t count) {
    if (count == 0) return true;
    if (reads_ >= kMaxM4aWalkReads) return Refuse(M4aRefusal::kTooManyBoxes);
    ++reads_;
    const size_t got = file_.Read(buffer, count);
    position_ += static_cast<int64_t>(got);
    return got == count || Refuse(M4aRefusal::kCutShort);
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
    if (!ReadHeader(ftyp) || !ftyp.TypeIs("ftyp")) return Refuse(M4aRefusal::kNoFileTypeBox);
    const uint32_t size = ftyp.Size();
    if (size < kMinBrandBoxSize) return Refuse(M4aRefusal::kSmallFileTypeBox);
    uint8_t brand[kBrandBufferSize] = {};
    if (!ReadExactly(brand, std::min<size_t>(size - kBoxHeaderSize, kBrandBufferSize))) {
      return false;
    }
    if (std::memcmp(brand, kMajorBrand, 4) != 0) {
      std::memcpy(verdict_.major_brand.data(), brand, verdict_.major_brand.size());
      return Refuse(M4aRefusal::kMajorBrand);
    }
    SeekTo(size);
    return !AtEnd() || Refuse(M4aRefusal::kNoMovieBox);
  }

  // Skips the top-level boxes before the movie box unread.
  bool FindMovieBox() {
    int64_t start = position_;
    for (;;) {
      if (AtEnd()) return Refuse(M4aRefusal::kNoMovieBox);
      if (!ReadHeader(current_)) return false;
      if (AtEnd()) {
        return Refuse(current_.TypeIs("moov") ? M4aRefusal::kCutShort : M4aRefusal::kNoMovieBox);
      }
      if (current_.TypeIs("moov")) break;
      // A size below a header would make the walk stand still or go back.
      if (current_.Size() < kBoxHeaderSize) return Refuse(M4aRefusal::kBadBoxSize);
      if (current_.TypeIs("mdat")) media_before_movie_ = true;
      SeekTo(start + current_.Size());
      start = position_;
    }
    if (current_.Size() < kMinContainerSize) return Refuse(M4aRefusal::kSmallMovieBox);
    EnterParent(start);
    outer_.Clear();
    return true;
  }

  void EnterParent(int64_t start) {
    if (current_.TypeIs("trak")) track_handler_.Clear();
    outer_ = parent_;
    parent_ = current_;
    parent_start_ = start;
    meta_stepped_ = false;
  }

  Step NextStep() {
    const bool media_data = current_is_box_ && current_.TypeIs("mdat");
    if (AtEnd()) {
      if (media_data) return RefuseStep(M4aRefusal::kEmptyMediaData);
      return RefuseStep(media_before_movie_ ? M4aRefusal::kMovieAfterMediaData
                                            : M4aRefusal::kNoMediaData);
    }
    if (media_data) return Step::kMediaData;
    const int64_t start = position_;
    if (!ReadHeader(current_)) return Step::kRefuse;
    const bool pending = !parent_.IsEmpty();
    current_is_box_ = current_.Size() <= size_ - start;
    // Bytes that would make a box larger than the rest of the file are not a header;
    // inside a pending box they are its first content bytes (an "sgpd" of version 1
    // reads like that), anywhere else the file is cut short.
    if (!current_is_box_ && !pending) return RefuseStep(M4aRefusal::kCutShort);
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
    if (current_.Size() < kBoxHeaderSize) return RefuseStep(M4aRefusal::kBadBoxSize);
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
    } else if (type == "hdlr" && IsTrackHandler()) {
      ReadHandlerType(unread);
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

  // The first byte already read is the header's version; version 1 has 64-bit times.
  bool ReadMovieHeader(int64_t unread) {
    if (current_.bytes[0] == 1) {
      uint8_t buffer[kMovieHeaderVersion1Size] = {};
      if (!ReadExactly(buffer, std::min<int64_t>(unread, kMovieHeaderVersion1Size))) return false;
      StoreMovieHeaderVersion1(buffer, track_);
      return true;
    }
    uint8_t buffer[kMovieHeaderSize] = {};
    if (!ReadExactly(buffer, std::min<int64_t>(unread, kMovieHeaderSize))) return false;
    StoreMovieHeader(buffer, track_);
    return true;
  }

  // The handler box of a track's media, not of a meta box nor a QuickTime data handler
  // (whose component type follows the version and flags). The registers cannot tell
  // more: the box before the handler in the media box cleared them.
  bool IsTrackHandler() const {
    return !outer_.TypeIs("meta") && std::memcmp(current_.bytes.data() + 4, "dhlr", 4) != 0;
  }

  // The track's handler type ("soun" for sound), which tells whether its sample
  // description is audio. It only serves the stream values, so a failed read is no reason
  // to refuse the file and does not count against the walk's budget.
  void ReadHandlerType(int64_t unread) {
    const auto count = static_cast<size_t>(std::min<int64_t>(unread, kHandlerTypeSize));
    if (count == 0 || stream_reads_ >= kMaxM4aStreamReads) return;
    ++stream_reads_;
    BoxHeader type;  // the type's bytes go where a header keeps its type
    const size_t got = file_.Read(type.bytes.data() + 4, count);
    position_ += static_cast<int64_t>(got);
    track_handler_ = type;
  }

  bool ReadSampleDescription(int64_t unread) {
    uint8_t buffer[kSampleDescriptionSize] = {};
    const auto count = static_cast<size_t>(std::min<int64_t>(unread, kSampleDescriptionSize));
    if (!ReadExactly(buffer, count)) return false;
    // The entry's type follows its 4-byte size; the record's stream values and the type
    // always come from the same entry.
    if (StoreSampleDescription(buffer, count, track_handler_.TypeIs("soun"), track_) &&
        count >= kBoxHeaderSize) {
      std::memcpy(verdict_.audio_entry.data(), buffer + 4, verdict_.audio_entry.size());
    }
    return true;
  }

  bool ReadTextItem(int64_t unread) {
    uint8_t buffer[kTextBufferSize] = {};
    if (!ReadExactly(buffer, std::min<int64_t>(unread, kTextBufferSize))) return false;
    StoreTextItem(outer_.Type().substr(1), buffer, track_, source_texts_);
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
  TagTexts* source_texts_;
  const int64_t size_;
  int64_t position_ = 0;
  int reads_ = 0;
  int stream_reads_ = 0;
  M4aVerdict verdict_;
  BoxHeader current_;
  BoxHeader parent_;
  BoxHeader outer_;
  int64_t parent_start_ = 0;
  bool current_is_box_ = true;       // false when current_ failed the size check
  bool meta_stepped_ = false;        // the pending meta box already took its 4-byte step
  bool media_before_movie_ = false;  // a media-data box was skipped to find the movie box
  BoxHeader track_handler_;          // the handler type of the track being walked
};

}  // namespace

M4aVerdict WalkM4aFile(ByteFile& file, TTrackInfo& track, TagTexts* source_texts) {
  return M4aWalk(file, track, source_texts).Run();
}

}  // namespace tarvello
