#include "gui/track_list_view.h"

#include <QPainter>

#include "catalogue/track_list.h"

namespace tarvello {
namespace {

constexpr int kFileNameColumn = kColumnCount - 1;

}  // namespace

void MiddleElideDelegate::initStyleOption(QStyleOptionViewItem* option,
                                          const QModelIndex& index) const {
  QStyledItemDelegate::initStyleOption(option, index);
  option->textElideMode = Qt::ElideMiddle;
}

TrackListView::TrackListView(QWidget* parent) : QTreeView(parent) {
  setItemDelegateForColumn(kFileNameColumn, new MiddleElideDelegate(this));
}

bool TrackListView::ShowsEmptyHint() const {
  return model() == nullptr || model()->rowCount() == 0;
}

void TrackListView::paintEvent(QPaintEvent* event) {
  QTreeView::paintEvent(event);
  if (!ShowsEmptyHint()) return;
  QPainter painter(viewport());
  QColor grey = palette().color(QPalette::Disabled, QPalette::Text);
  painter.setPen(grey);
  painter.setFont(font());
  const QRect area = viewport()->rect().adjusted(8, 8, -8, -8);
  painter.drawText(area, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
                   QString::fromUtf8(kEmptyHint));
}

}  // namespace tarvello
