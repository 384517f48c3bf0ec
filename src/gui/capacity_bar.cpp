#include "gui/capacity_bar.h"

#include <QPainter>
#include <QStyleOptionFrame>

namespace tarvello {
namespace {

// A red that stays readable on light and dark palettes alike.
QColor WarningRed(const QPalette& palette) {
  return palette.color(QPalette::Base).lightness() > 128 ? QColor(0xd0, 0x20, 0x20)
                                                          : QColor(0xff, 0x60, 0x60);
}

int Share(int64_t part, int64_t total, int width) {
  if (total <= 0 || part <= 0) return 0;
  return static_cast<int>(static_cast<double>(part) / static_cast<double>(total) * width + 0.5);
}

}  // namespace

CapacityBar::CapacityBar(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("CapacityBar"));
  setMinimumSize(60, 12);
}

void CapacityBar::SetCapacity(const CardCapacity& capacity, const QString& tooltip) {
  capacity_ = capacity;
  setToolTip(tooltip);
  update();
}

void CapacityBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QPalette& colors = palette();
  const QRect frame = rect().adjusted(2, 3, -3, -4);
  painter.fillRect(frame, colors.color(QPalette::Base));
  if (capacity_.known) {
    const QRect inside = frame.adjusted(1, 1, 0, 0);
    const int width = inside.width();
    const int other = std::min(Share(capacity_.other, capacity_.total, width), width);
    // Songs that do not fit fill the rest of the bar in red.
    const int songs = capacity_.fits
                          ? std::min(Share(capacity_.songs, capacity_.total, width), width - other)
                          : width - other;
    painter.fillRect(QRect(inside.left(), inside.top(), other, inside.height()),
                     colors.color(QPalette::Mid));
    painter.fillRect(QRect(inside.left() + other, inside.top(), songs, inside.height()),
                     capacity_.fits ? colors.color(QPalette::Highlight) : WarningRed(colors));
  }
  painter.setPen(capacity_.known && !capacity_.fits ? WarningRed(colors)
                                                    : colors.color(QPalette::Dark));
  painter.drawRect(frame);
}

}  // namespace tarvello
