#pragma once

// lvTrackInfo: the song list's own painting and mouse handling. An empty list shows how to
// add songs, and the file name column cuts long paths in the middle so the file names
// stay visible. A click on a row's icon toggles its
// output mark, a right click on a row opens the context menu, and a left drag of the
// selection moves the rows inside the list. The row drag is the list's own, with the mouse
// held by the list: it never leaves the window, so files dragged in from outside (the
// window's uri-list drops) are never mistaken for it.

#include <QStyledItemDelegate>
#include <QTreeView>
#include <functional>
#include <memory>
#include <vector>

#include "catalogue/track_list.h"
#include "gui/custom_drag.h"

namespace tarvello {

enum class DragCursor { kNone, kSingle, kMultiple, kNoDrop };

// Long paths lose their middle, not the file name at their end.
class MiddleElideDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

class TrackListView : public QTreeView {
  Q_OBJECT

 public:
  static constexpr const char* kEmptyHint =
      "ファイル → 追加 (Ctrl+O) または ドラッグ＆ドロップで曲を追加";

  explicit TrackListView(QWidget* parent = nullptr);
  ~TrackListView() override;

  // True while the list has no rows and shows the hint.
  bool ShowsEmptyHint() const;

  // What the window does with the list's events.
  std::function<void(int row)> on_icon_click;
  std::function<void(const QPoint& global_position)> on_context_menu;
  std::function<DropResult(const std::vector<int>& selected, int target_row)> on_drop;
  // The desktop's usual keys: Space toggles the selected rows' marks; a double click or
  // Enter on a row opens it.
  std::function<void()> on_toggle_marks;
  std::function<void(int row)> on_open_row;

  std::vector<int> SelectedRows() const;
  // The row under viewport height `y`; -1 for none.
  int RowAt(int y) const;
  // The left edge of a row's label, in viewport coordinates: the icon lies left of it.
  int LabelLeft(int row) const;
  bool IsOverIcon(int row, int x) const;

  bool Dragging() const { return drag_object_ != nullptr; }
  DragCursor CurrentDragCursor() const { return drag_cursor_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  bool DragMayStart() const;
  void lvTrackInfoStartDrag();
  void lvTrackInfoDragOver(const QPoint& position);
  void lvTrackInfoDragDrop(const QPoint& position);
  void lvTrackInfoEndDrag();
  void SetDragCursor(DragCursor cursor);
  void SelectDropped(const DropResult& result);
  void OpenContextMenuAtFocus();

  bool drag_armed_ = false;      // a left press on a row that may start a drag
  bool kept_selection_ = false;  // that press left a multiple selection as it was
  int pressed_row_ = -1;
  QPoint press_position_;
  std::unique_ptr<DragImageList> drag_images_;
  std::unique_ptr<TCustomDragObject> drag_object_;
  DragCursor drag_cursor_ = DragCursor::kNone;
};

}  // namespace tarvello
