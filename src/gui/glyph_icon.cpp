#include "gui/glyph_icon.h"

#include <QApplication>
#include <QIconEngine>
#include <QPaintDevice>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>
#include <algorithm>
#include <utility>

namespace tarvello {
namespace {

constexpr int kDesignSize = 16;

QPixmap Transparent(int side) {
  QPixmap pixmap(side, side);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

// The glyph's shape in one colour, drawn around it one design unit wide.
QPixmap WithHalo(const QPixmap& glyph, const QColor& colour) {
  QPixmap shape = glyph;
  {
    QPainter painter(&shape);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(shape.rect(), colour);
  }
  QPixmap out = Transparent(glyph.width());
  QPainter painter(&out);
  const int reach = std::max(1, glyph.width() / kDesignSize);
  for (int dx = -reach; dx <= reach; ++dx) {
    for (int dy = -reach; dy <= reach; ++dy) {
      if (dx != 0 || dy != 0) painter.drawPixmap(dx, dy, shape);
    }
  }
  painter.drawPixmap(0, 0, glyph);
  return out;
}

class GlyphEngine : public QIconEngine {
 public:
  explicit GlyphEngine(GlyphPainter glyph) : glyph_(std::move(glyph)) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    const qreal ratio = painter->device() != nullptr ? painter->device()->devicePixelRatioF() : 1.0;
    QPixmap shown = pixmap(rect.size() * ratio, mode, state);
    shown.setDevicePixelRatio(ratio);
    painter->drawPixmap(rect, shown);
  }

  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override {
    const QPalette palette = QApplication::palette();
    const QPixmap glyph = RenderGlyph(glyph_, std::max(1, std::min(size.width(), size.height())),
                                      palette);
    if (mode != QIcon::Disabled) return glyph;
    QStyleOption option;
    option.palette = palette;
    return QApplication::style()->generatedIconPixmap(QIcon::Disabled, glyph, &option);
  }

  QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
    const int side = std::min(size.width(), size.height());
    return QSize(side, side);
  }

  QIconEngine* clone() const override { return new GlyphEngine(glyph_); }
  QString key() const override { return QStringLiteral("TarvelloGlyph"); }

 private:
  GlyphPainter glyph_;
};

}  // namespace

bool IsDarkPalette(const QPalette& palette) {
  return palette.color(QPalette::Window).lightness() <
         palette.color(QPalette::WindowText).lightness();
}

QPixmap RenderGlyph(const GlyphPainter& glyph, int side, const QPalette& palette) {
  QPixmap pixmap = Transparent(side);
  {
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(side / double{kDesignSize}, side / double{kDesignSize});
    glyph(painter);
  }
  if (!IsDarkPalette(palette)) return pixmap;
  QColor halo = palette.color(QPalette::WindowText);
  halo.setAlpha(190);
  return WithHalo(pixmap, halo);
}

QIcon GlyphIcon(GlyphPainter glyph) {
  return QIcon(new GlyphEngine(std::move(glyph)));
}

}  // namespace tarvello
