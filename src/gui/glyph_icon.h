#pragma once

// Icons drawn by code at whatever pixel size they are shown: sharp at every scale factor,
// and readable on light and dark backgrounds alike.

#include <QIcon>
#include <QPainter>
#include <functional>

namespace tarvello {

// Paints a glyph on a canvas of 16 x 16 units.
using GlyphPainter = std::function<void(QPainter& painter)>;

// An icon that paints `glyph` at each size asked of it. Under a palette with light text on
// a dark window the glyph gets a thin halo in the text's colour, so dark artwork stays
// visible.
QIcon GlyphIcon(GlyphPainter glyph);

// A glyph as it is shown: `side` device pixels square.
QPixmap RenderGlyph(const GlyphPainter& glyph, int side, const QPalette& palette);

// True for a palette whose window is darker than its text.
bool IsDarkPalette(const QPalette& palette);

}  // namespace tarvello
