#pragma once

// The window's artwork, drawn at start-up so the program needs no image files: the tool
// bar glyphs, the header arrows, the row icons and the drive icons.

#include <QIcon>
#include <array>

#include "app/main_view.h"

namespace tarvello {

// Indexes of ImageList1 besides those the song list defines.
inline constexpr int kGlyphAdd = 0;
inline constexpr int kGlyphImportPlaylist = 1;
inline constexpr int kGlyphImportOutput = 2;
inline constexpr int kGlyphExecute = 3;
inline constexpr int kGlyphRefresh = 4;
// A song's conversion, shown in the row's play time cell.
inline constexpr int kGlyphConversionWaiting = 10;
inline constexpr int kGlyphConverting = 11;
inline constexpr int kGlyphConverted = 12;
inline constexpr int kGlyphConversionFailed = 13;
inline constexpr int kGlyphConversionCancelled = 14;
inline constexpr int kImageCount = 15;

class ImageList {
 public:
  ImageList();

  int Count() const { return kImageCount; }
  // An empty icon for an index outside the list.
  QIcon Icon(int index) const;

 private:
  std::array<QIcon, kImageCount> icons_;
};

// One distinct icon per drive kind.
QIcon DriveIconFor(DriveIcon icon);

}  // namespace tarvello
