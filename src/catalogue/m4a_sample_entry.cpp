#include "catalogue/m4a_sample_entry.h"

#include <algorithm>
#include <optional>
#include <span>
#include <string_view>

#include "catalogue/m4a_box.h"
#include "catalogue/m4a_es_descriptor.h"
#include "common/byte_order.h"

namespace tarvello {
namespace {

// Entry types of audio codings, for tracks whose handler was not seen.
constexpr std::string_view kAudioEntryTypes[] = {
    "mp4a", "alac", "ac-3", "ec-3", "ac-4", "Opus", "fLaC", ".mp3", "samr", "sawb",
    "enca", "lpcm", "sowt", "twos", "in24", "in32", "fl32", "fl64", "ulaw", "alaw"};

// Offsets in a sound sample entry (its header included).
constexpr size_t kVersionAt = 16;
constexpr size_t kChannelsAt = 24;
constexpr size_t kSampleSizeAt = 26;
// Two reserved zero bytes, then the integer part of the 16.16 rate: the rate in Hz.
constexpr size_t kSampleRateAt = 30;
// Where the child boxes of a sound entry begin, by the entry's version: QuickTime's
// sound descriptions 1 and 2 add 16 and 36 bytes of fields.
constexpr size_t kChildrenAt[] = {36, 52, 72};
// QuickTime puts the "esds" box inside a "wave" box.
constexpr int kMaxNesting = 2;

bool IsAudioEntryType(std::string_view type) {
  return std::find(std::begin(kAudioEntryTypes), std::end(kAudioEntryTypes), type) !=
         std::end(kAudioEntryTypes);
}

BoxHeader HeaderAt(std::span<const uint8_t> bytes) {
  BoxHeader header;
  std::copy_n(bytes.begin(), std::min(bytes.size(), kBoxHeaderSize), header.bytes.begin());
  return header;
}

// The contents of the first "esds" box among `boxes`.
std::optional<std::span<const uint8_t>> FindEsds(std::span<const uint8_t> boxes, int nesting) {
  while (boxes.size() >= kBoxHeaderSize) {
    const BoxHeader header = HeaderAt(boxes);
    if (header.Size() < kBoxHeaderSize) return std::nullopt;
    // A box cut by the end of what was read still gives what it holds.
    const size_t size = std::min<size_t>(header.Size(), boxes.size());
    const auto contents = boxes.subspan(kBoxHeaderSize, size - kBoxHeaderSize);
    if (header.TypeIs("esds")) return contents;
    if (header.TypeIs("wave") && nesting < kMaxNesting) {
      if (const auto esds = FindEsds(contents, nesting + 1)) return esds;
    }
    boxes = boxes.subspan(size);
  }
  return std::nullopt;
}

// The child boxes of the entry, as far as they were read.
std::span<const uint8_t> EntryChildren(std::span<const uint8_t> entry) {
  const uint16_t version = BigEndian16(entry.data() + kVersionAt);
  if (version >= std::size(kChildrenAt)) return {};
  const size_t end = std::min<size_t>(BigEndian32(entry.data()), entry.size());
  const size_t start = kChildrenAt[version];
  return start < end ? entry.subspan(start, end - start) : std::span<const uint8_t>{};
}

}  // namespace

bool StoreSampleDescription(const uint8_t (&bytes)[kSampleDescriptionSize], size_t length,
                            bool sound_track, TTrackInfo& track) {
  const std::span<const uint8_t> entry(bytes, std::min(length, kSampleDescriptionSize));
  const bool audio_type =
      entry.size() >= kBoxHeaderSize && IsAudioEntryType(HeaderAt(entry).Type());
  if (!sound_track && !audio_type) return false;
  track.ChNum = SignedBigEndian16(bytes + kChannelsAt);
  track.SampleSize = SignedBigEndian16(bytes + kSampleSizeAt);
  track.SampleRate = SignedBigEndian32(bytes + kSampleRateAt);
  track.BitRate = 0;
  track.AvgBitRate = 0;
  if (entry.size() < kChildrenAt[0]) return true;
  const auto esds = FindEsds(EntryChildren(entry), 0);
  const auto config = esds ? FindAacDecoderConfig(*esds) : std::nullopt;
  if (!config) return true;
  track.BitRate = static_cast<int32_t>(config->max_bit_rate);
  track.AvgBitRate = static_cast<int32_t>(config->avg_bit_rate);
  if (config->channels > 0) track.ChNum = static_cast<int16_t>(config->channels);
  return true;
}

}  // namespace tarvello
