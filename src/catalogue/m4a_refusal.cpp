#include "catalogue/m4a_refusal.h"

#include <cstdio>

namespace tarvello {
namespace {

// The brand as text when it is printable, else its bytes in hexadecimal.
std::string BrandText(const std::array<uint8_t, 4>& brand) {
  bool printable = true;
  for (uint8_t byte : brand) printable = printable && byte >= 0x20 && byte < 0x7F;
  if (printable) return std::string(brand.begin(), brand.end());
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%02X%02X%02X%02X", brand[0], brand[1], brand[2], brand[3]);
  return hex;
}

}  // namespace

std::string RefusalText(const M4aVerdict& verdict) {
  switch (verdict.refusal) {
    case M4aRefusal::kNone:
      return "";
    case M4aRefusal::kCutShort:
      return "cut short";
    case M4aRefusal::kNoFileTypeBox:
      return "no file type box at the start";
    case M4aRefusal::kSmallFileTypeBox:
      return "file type box too small for a brand";
    case M4aRefusal::kMajorBrand:
      return "major brand is " + BrandText(verdict.major_brand);
    case M4aRefusal::kNoMovieBox:
      return "no movie box";
    case M4aRefusal::kSmallMovieBox:
      return "movie box too small";
    case M4aRefusal::kMovieAfterMediaData:
      return "movie box after the media data";
    case M4aRefusal::kNoMediaData:
      return "no media data after the movie box";
    case M4aRefusal::kEmptyMediaData:
      return "media data box empty at the end of the file";
    case M4aRefusal::kBadBoxSize:
      return "box smaller than its header";
    case M4aRefusal::kTooManyBoxes:
      return "too many boxes";
    case M4aRefusal::kBadIndex:
      return "no such table slot";
    case M4aRefusal::kOutOfMemory:
      return "out of memory";
  }
  return "refused";
}

std::string JapaneseRefusalText(const M4aVerdict& verdict) {
  switch (verdict.refusal) {
    case M4aRefusal::kNone:
      return "";
    case M4aRefusal::kCutShort:
      return "ファイルが途中で切れています";
    case M4aRefusal::kNoFileTypeBox:
      return "先頭にファイルタイプボックスがありません";
    case M4aRefusal::kSmallFileTypeBox:
      return "ファイルタイプボックスが小さく, ブランドがありません";
    case M4aRefusal::kMajorBrand:
      return "形式: メジャーブランドが " + BrandText(verdict.major_brand) + " です";
    case M4aRefusal::kNoMovieBox:
      return "ムービーボックスがありません";
    case M4aRefusal::kSmallMovieBox:
      return "ムービーボックスが小さすぎます";
    case M4aRefusal::kMovieAfterMediaData:
      return "ムービーボックスがメディアデータの後ろにあります";
    case M4aRefusal::kNoMediaData:
      return "ムービーボックスの後ろにメディアデータがありません";
    case M4aRefusal::kEmptyMediaData:
      return "メディアデータボックスがファイルの終わりで空です";
    case M4aRefusal::kBadBoxSize:
      return "ヘッダーより小さいボックスがあります";
    case M4aRefusal::kTooManyBoxes:
      return "ボックスが多すぎます";
    case M4aRefusal::kBadIndex:
      return "曲を入れる位置がありません";
    case M4aRefusal::kOutOfMemory:
      return "メモリが足りません";
  }
  return "追加できない形式です";
}

}  // namespace tarvello
