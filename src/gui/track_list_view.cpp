#include "gui/track_list_view.h"

#include <QApplication>
#include <QItemSelection>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <algorithm>

namespace tarvello {
namespace {

constexpr int kIconMargin = 2;
constexpr int kFileNameColumn = kColumnCount - 1;

// Two stacked pages beside the arrow: the cursor of a drag that carries several rows.
QCursor MultipleItemCursor() {
  QPixmap picture(32, 32);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  const QPolygon arrow({{0, 0}, {0, 15}, {4, 11}, {7, 17}, {9, 16}, {6, 10}, {11, 10}});
  painter.setPen(Qt::black);
  painter.setBrush(Qt::white);
  painter.drawPolygon(arrow);
  for (const int offset : {0, 4}) painter.drawRect(12 + offset, 16 + offset, 10, 9);
  return QCursor(picture, 0, 0);
}

}  // namespace

void MiddleElideDelegate::initStyleOption(QStyleOptionViewItem* option,
                                          const QModelIndex& index) const {
  QStyledItemDelegate::initStyleOption(option, index);
  option->textElideMode = Qt::ElideMiddle;
}

TrackListView::TrackListView(QWidget* parent) : QTreeView(parent) {
  // The list scrolls by whole rows, so a drag at its edges moves it one line at a time.
  setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  setDragEnabled(false);
  setItemDelegateForColumn(kFileNameColumn, new MiddleElideDelegate(this));
}

TrackListView::~TrackListView() = default;

bool TrackListView::ShowsEmptyHint() const {
  return model() == nullptr || model()->rowCount() == 0;
}

void TrackListView::paintEvent(QPaintEvent* event) {
  QTreeView::paintEvent(event);
  if (!ShowsEmptyHint()) return;
  QPainter painter(viewport());
  painter.setPen(palette().color(QPalette::Disabled, QPalette::Text));
  painter.setFont(font());
  const QRect area = viewport()->rect().adjusted(8, 8, -8, -8);
  painter.drawText(area, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
                   QString::fromUtf8(kEmptyHint));
}

std::vector<int> TrackListView::SelectedRows() const {
  std::vector<int> rows;
  if (selectionModel() == nullptr) return rows;
  for (const QModelIndex& index : selectionModel()->selectedRows()) rows.push_back(index.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}

int TrackListView::RowAt(int y) const {
  const QModelIndex index = indexAt(QPoint(columnViewportPosition(0) + 1, y));
  return index.isValid() ? index.row() : -1;
}

int TrackListView::LabelLeft(int row) const {
  const QModelIndex index = model()->index(row, 0);
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  option.rect = visualRect(index);
  option.index = index;
  option.features |= QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::HasDecoration;
  option.icon = index.data(Qt::DecorationRole).value<QIcon>();
  option.text = index.data(Qt::DisplayRole).toString();
  option.decorationSize = iconSize();
  option.decorationPosition = QStyleOptionViewItem::Left;
  const QWidget* widget = this;
  return style()->subElementRect(QStyle::SE_ItemViewItemText, &option, widget).left();
}

bool TrackListView::IsOverIcon(int row, int x) const {
  return x > kIconMargin && x < LabelLeft(row) - kIconMargin;
}

bool TrackListView::DragMayStart() const {
  const int row_count = model() != nullptr ? model()->rowCount() : 0;
  const size_t selected = SelectedRows().size();
  return row_count > 1 && selected > 0 && selected < static_cast<size_t>(row_count);
}

void TrackListView::mousePressEvent(QMouseEvent* event) {
  drag_armed_ = false;
  kept_selection_ = false;
  const Qt::MouseButton button = event->button();
  const QPoint position = event->position().toPoint();
  const int row = RowAt(position.y());
  if ((button != Qt::LeftButton && button != Qt::RightButton) || row < 0) {
    QTreeView::mousePressEvent(event);
    return;
  }
  const bool over_icon = IsOverIcon(row, position.x());
  // A plain press on a row of a multiple selection keeps the selection for a drag; a
  // release without a drag selects that row alone.
  const bool selected_row = selectionModel()->isRowSelected(row, {});
  if (button == Qt::LeftButton && !over_icon && event->modifiers() == Qt::NoModifier &&
      selected_row && SelectedRows().size() > 1) {
    kept_selection_ = true;
    pressed_row_ = row;
    selectionModel()->setCurrentIndex(model()->index(row, 0), QItemSelectionModel::NoUpdate);
  } else {
    QTreeView::mousePressEvent(event);
  }
  if (over_icon) {
    if (button == Qt::LeftButton && on_icon_click) on_icon_click(row);
    return;
  }
  if (button == Qt::RightButton) {
    if (on_context_menu) on_context_menu(event->globalPosition().toPoint());
    return;
  }
  if (DragMayStart()) {
    drag_armed_ = true;
    press_position_ = position;
  }
}

void TrackListView::mouseMoveEvent(QMouseEvent* event) {
  const QPoint position = event->position().toPoint();
  if (Dragging()) {
    lvTrackInfoDragOver(position);
    return;
  }
  if (drag_armed_ && (event->buttons() & Qt::LeftButton)) {
    if ((position - press_position_).manhattanLength() >= QApplication::startDragDistance()) {
      lvTrackInfoStartDrag();
      lvTrackInfoDragOver(position);
    }
    return;
  }
  QTreeView::mouseMoveEvent(event);
}

void TrackListView::mouseReleaseEvent(QMouseEvent* event) {
  drag_armed_ = false;
  if (Dragging()) {
    if (event->button() == Qt::LeftButton) {
      lvTrackInfoDragDrop(event->position().toPoint());
      lvTrackInfoEndDrag();
    }
    return;
  }
  if (kept_selection_) {
    kept_selection_ = false;
    const QModelIndex index = model()->index(pressed_row_, 0);
    selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    return;
  }
  QTreeView::mouseReleaseEvent(event);
}

void TrackListView::mouseDoubleClickEvent(QMouseEvent* event) {
  const QPoint position = event->position().toPoint();
  const int row = RowAt(position.y());
  if (event->button() != Qt::LeftButton || row < 0 || Dragging()) {
    QTreeView::mouseDoubleClickEvent(event);
    return;
  }
  // The second click on the icon is another click on it, not a request to open the row.
  if (IsOverIcon(row, position.x())) {
    if (on_icon_click) on_icon_click(row);
    return;
  }
  // The row opened is the row clicked, whatever the clicks before left selected.
  if (!selectionModel()->isRowSelected(row, {})) {
    selectionModel()->setCurrentIndex(model()->index(row, 0),
                                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  }
  if (on_open_row) on_open_row(row);
}

void TrackListView::keyPressEvent(QKeyEvent* event) {
  if (Dragging() && event->key() == Qt::Key_Escape) {
    lvTrackInfoEndDrag();
    return;
  }
  const QModelIndex current = currentIndex();
  const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
  switch (event->key()) {
    case Qt::Key_Space:
      if (plain && on_toggle_marks) {
        on_toggle_marks();
        return;
      }
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (plain && current.isValid() && on_open_row) {
        on_open_row(current.row());
        return;
      }
      break;
    case Qt::Key_Menu:
      OpenContextMenuAtFocus();
      return;
    case Qt::Key_F10:
      if (event->modifiers() == Qt::ShiftModifier) {
        OpenContextMenuAtFocus();
        return;
      }
      break;
    default:
      break;
  }
  QTreeView::keyPressEvent(event);
}

// The context-menu key: the menu opens at the focused row, as a right click there would.
void TrackListView::OpenContextMenuAtFocus() {
  if (!on_context_menu) return;
  const QModelIndex current = currentIndex();
  QPoint at(viewport()->width() / 4, 0);
  if (current.isValid()) {
    scrollTo(current);
    const QRect row = visualRect(current);
    at = QPoint(std::max(columnViewportPosition(0), 0) + 16, row.center().y());
  }
  on_context_menu(viewport()->mapToGlobal(at));
}

void TrackListView::lvTrackInfoStartDrag() {
  kept_selection_ = false;
  drag_images_ = std::make_unique<DragImageList>();
  drag_object_ = std::make_unique<TCustomDragObject>(*drag_images_);
}

void TrackListView::lvTrackInfoDragOver(const QPoint& position) {
  // The list accepts the drag anywhere over itself, its header included.
  if (!rect().contains(viewport()->mapTo(this, position))) {
    SetDragCursor(DragCursor::kNoDrop);
  } else {
    SetDragCursor(SelectedRows().size() == 1 ? DragCursor::kSingle : DragCursor::kMultiple);
  }
  // One line per movement: up while above the first visible row, unless it is the first
  // row; down while below the list's client area.
  QScrollBar* bar = verticalScrollBar();
  const QModelIndex top = indexAt(QPoint(columnViewportPosition(0) + 1, 0));
  if (top.isValid() && position.y() < visualRect(top).top() && top.row() > 0) {
    bar->setValue(bar->value() - 1);
  } else if (position.y() > viewport()->height()) {
    bar->setValue(bar->value() + 1);
  }
}

void TrackListView::lvTrackInfoDragDrop(const QPoint& position) {
  // Only a release over the rows' area is a drop; elsewhere the drag ends without one.
  if (!viewport()->rect().contains(position) || !on_drop) return;
  const DropResult result = on_drop(SelectedRows(), RowAt(position.y()));
  if (result.moved) SelectDropped(result);
}

void TrackListView::SelectDropped(const DropResult& result) {
  QItemSelection selection;
  if (result.count > 0) {
    selection.select(model()->index(result.first, 0),
                     model()->index(result.first + result.count - 1, model()->columnCount() - 1));
  }
  selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
  const QModelIndex focus = model()->index(result.focus, 0);
  if (focus.isValid()) selectionModel()->setCurrentIndex(focus, QItemSelectionModel::NoUpdate);
}

void TrackListView::lvTrackInfoEndDrag() {
  drag_object_.reset();
  drag_images_.reset();
  SetDragCursor(DragCursor::kNone);
}

void TrackListView::SetDragCursor(DragCursor cursor) {
  if (cursor == drag_cursor_) return;
  drag_cursor_ = cursor;
  switch (cursor) {
    case DragCursor::kNone:
      viewport()->unsetCursor();
      break;
    case DragCursor::kSingle:
      viewport()->setCursor(Qt::DragMoveCursor);
      break;
    case DragCursor::kMultiple:
      viewport()->setCursor(MultipleItemCursor());
      break;
    case DragCursor::kNoDrop:
      viewport()->setCursor(Qt::ForbiddenCursor);
      break;
  }
}

}  // namespace tarvello
