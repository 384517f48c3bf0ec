#include "gui/track_list_header.h"

#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOptionHeader>
#include <algorithm>

namespace tarvello {
namespace {

constexpr int kImageSize = 16;

QStyleOptionHeader::SectionPosition PositionOf(const QHeaderView& header, int visual) {
  const int last = header.count() - 1;
  if (last == 0) return QStyleOptionHeader::OnlyOneSection;
  if (visual == 0) return QStyleOptionHeader::Beginning;
  if (visual == last) return QStyleOptionHeader::End;
  return QStyleOptionHeader::Middle;
}

}  // namespace

HeaderSectionPlaces PlaceHeaderSection(const QRect& section, int text_width, const QSize& image,
                                       bool right_aligned, int margin) {
  const QRect inner = section.adjusted(margin, 0, -margin, 0);
  HeaderSectionPlaces places;
  if (image.isEmpty()) {
    places.text = inner;
    return places;
  }
  const int spacing = margin;
  const int room = std::max(inner.width() - image.width() - spacing, 0);
  const int shown = std::clamp(text_width, 0, room);
  const int image_top = inner.top() + (inner.height() - image.height()) / 2;
  if (right_aligned) {
    places.text = QRect(inner.right() + 1 - shown, inner.top(), shown, inner.height());
    places.image = QRect(QPoint(places.text.left() - spacing - image.width(), image_top), image);
  } else {
    places.image = QRect(QPoint(inner.left(), image_top), image);
    places.text = QRect(places.image.right() + 1 + spacing, inner.top(), room, inner.height());
  }
  return places;
}

TrackListHeader::TrackListHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}

QSize TrackListHeader::sizeHint() const {
  QSize hint = QHeaderView::sizeHint();
  QStyleOptionHeader option;
  initStyleOption(&option);
  option.text = QStringLiteral("曲名Ag");
  QPixmap image(kImageSize, kImageSize);
  image.fill(Qt::transparent);
  option.icon = QIcon(image);
  const QSize with_image = style()->sizeFromContents(QStyle::CT_HeaderSection, &option, {}, this);
  hint.setHeight(std::max(with_image.height(), fontMetrics().height()));
  return hint;
}

void TrackListHeader::paintSection(QPainter* painter, const QRect& rect, int logical_index) const {
  if (!rect.isValid() || model() == nullptr) return;
  QStyleOptionHeader option;
  initStyleOption(&option);
  option.rect = rect;
  option.section = logical_index;
  option.position = PositionOf(*this, visualIndex(logical_index));
  if (isEnabled()) option.state |= QStyle::State_Enabled;
  if (window()->isActiveWindow()) option.state |= QStyle::State_Active;
  // The frame only: image and caption are placed here, not by the style.
  style()->drawControl(QStyle::CE_HeaderSection, &option, painter, this);

  const QString text =
      model()->headerData(logical_index, orientation(), Qt::DisplayRole).toString();
  const QIcon icon =
      model()->headerData(logical_index, orientation(), Qt::DecorationRole).value<QIcon>();
  const auto alignment = Qt::Alignment(
      model()->headerData(logical_index, orientation(), Qt::TextAlignmentRole).toInt());
  const bool right_aligned = alignment & Qt::AlignRight;
  const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, &option, this);
  const QSize image = icon.isNull() ? QSize() : QSize(kImageSize, kImageSize);
  const HeaderSectionPlaces places =
      PlaceHeaderSection(rect, fontMetrics().horizontalAdvance(text), image, right_aligned, margin);

  painter->save();
  painter->setClipRect(rect);
  if (!image.isEmpty()) icon.paint(painter, places.image);
  const QString shown = fontMetrics().elidedText(text, Qt::ElideRight, places.text.width());
  style()->drawItemText(painter, places.text,
                        (right_aligned ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter,
                        palette(), isEnabled(), shown, QPalette::ButtonText);
  painter->restore();
}

}  // namespace tarvello
