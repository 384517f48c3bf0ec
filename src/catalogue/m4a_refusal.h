#pragma once

// Why the M4A walk refused a file, so that a user can be told what to change.

#include <array>
#include <cstdint>
#include <string>

namespace tarvello {

enum class M4aRefusal {
  kNone,                 // the file was accepted
  kCutShort,             // the file ends inside a box or its header
  kNoFileTypeBox,        // the file does not begin with a file type box
  kSmallFileTypeBox,     // the file type box cannot hold a major brand
  kMajorBrand,           // the major brand is not "M4A "
  kNoMovieBox,           // no movie box follows the file type box
  kSmallMovieBox,        // the movie box cannot hold a child box
  kMovieAfterMediaData,  // the media data comes before the movie box
  kNoMediaData,          // no media data box follows the movie box
  kEmptyMediaData,       // the media data box is the empty end of the file
  kBadBoxSize,           // a box is smaller than its own header
  kTooManyBoxes,         // the walk would take more reads than any song needs
  kBadIndex,             // the table slot to fill does not exist
  kOutOfMemory,          // the table could not grow
};

// The outcome of reading one file: the refusal, the major brand for kMajorBrand, and the
// type of the audio sample entry the walk read.
struct M4aVerdict {
  M4aRefusal refusal = M4aRefusal::kNone;
  std::array<uint8_t, 4> major_brand{};
  // "mp4a" for AAC, "alac" for Apple Lossless...; zeros when the walk read no audio entry.
  std::array<uint8_t, 4> audio_entry{};

  bool Accepted() const { return refusal == M4aRefusal::kNone; }
  // The file names its audio's coding, and that coding is not AAC: a phone cannot play it
  // however well the walk takes the container.
  bool AudioIsNotAac() const {
    constexpr std::array<uint8_t, 4> kNone{};
    constexpr std::array<uint8_t, 4> kAac{'m', 'p', '4', 'a'};
    return audio_entry != kNone && audio_entry != kAac;
  }
};

// A short English text for a refusal, such as "major brand is mp42"; empty when accepted.
std::string RefusalText(const M4aVerdict& verdict);

// The same reason in Japanese for the window's messages, such as
// "形式: メジャーブランドが mp42 です"; empty when accepted.
std::string JapaneseRefusalText(const M4aVerdict& verdict);

}  // namespace tarvello
