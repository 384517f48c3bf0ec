#pragma once

// Shows the presenter's song rows in lvTrackInfo: a flat table of eleven columns. The
// rows live in the core; the presenter tells the model what changed, through the window.

#include <QAbstractItemModel>
#include <string>
#include <vector>

#include "catalogue/track_list.h"
#include "gui/image_list.h"

namespace tarvello {

class TrackListModel : public QAbstractItemModel {
  Q_OBJECT

 public:
  TrackListModel(const TrackList& rows, const ImageList& images, QObject* parent = nullptr);

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // Rows were appended to the list; the views learn of exactly the rows they lack.
  void RowsAppended();
  void RowsChanged(int first, int last);
  void RowsReset();
  // Around a sort: selection, focus and every other persistent index move with their rows.
  void RowsAboutToMove();
  void RowsMoved();
  void HeaderImagesChanged();

  static bool IsRightAligned(int column);
  // The column whose cells show a song's conversion state: the play time, next to the title,
  // so the state is seen however narrow the window.
  static constexpr int kConversionColumn = 1;
  // What a row says of its song's conversion ("変換待ち"...); empty for a song never converted.
  static QString ConversionText(const RowConversion& conversion);

 private:
  QString CellText(const TrackRow& row, int column) const;
  QVariant Decoration(const TrackRow& row, int column) const;
  QVariant ToolTip(const TrackRow& row, int column) const;
  const std::string& RowIdentity(int row) const;

  const TrackList& rows_;
  const ImageList& images_;
  // The row count the attached views know; it moves only between begin/end signals.
  int row_count_ = 0;
  // While rows move: the persistent indexes and the identities of their rows.
  QModelIndexList moving_from_;
  std::vector<std::string> moving_rows_;
};

}  // namespace tarvello
