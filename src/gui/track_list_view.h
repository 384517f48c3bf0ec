#pragma once

// lvTrackInfo: the song list. An empty list shows how to add songs; the file name
// column cuts long paths in the middle so the file names stay visible.

#include <QStyledItemDelegate>
#include <QTreeView>

namespace tarvello {

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

  // True while the list has no rows and shows the hint.
  bool ShowsEmptyHint() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace tarvello
