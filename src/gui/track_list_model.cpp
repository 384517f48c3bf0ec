#include "gui/track_list_model.h"

#include <QApplication>
#include <QColor>
#include <QFont>
#include <QPalette>
#include <algorithm>
#include <array>
#include <unordered_map>

namespace tarvello {
namespace {

constexpr std::array<const char*, kColumnCount> kCaptions = {
    "曲名", "時間",         "アーティスト",   "アルバム", "ジャンル",  "トラック番号",
    "年",   "ビットレート", "サンプルレート", "サイズ",   "ファイル名"};

constexpr Qt::Alignment kRightAligned = Qt::AlignRight | Qt::AlignVCenter;
constexpr Qt::Alignment kLeftAligned = Qt::AlignLeft | Qt::AlignVCenter;

int ConversionGlyph(ConversionState state) {
  switch (state) {
    case ConversionState::kNone:
      break;
    case ConversionState::kProbing:
    case ConversionState::kWaiting:
      return kGlyphConversionWaiting;
    case ConversionState::kConverting:
      return kGlyphConverting;
    case ConversionState::kReady:
      return kGlyphConverted;
    case ConversionState::kFailed:
      return kGlyphConversionFailed;
    case ConversionState::kCancelled:
      return kGlyphConversionCancelled;
  }
  return -1;
}

// Values that are still the source's guesses are told apart from exact ones: italic, in a
// colour between the text's and the background's that still reads at 4.5:1 on either
// palette (the disabled text colour is too faint for values one needs to read).
QColor EstimateColour() {
  const QPalette palette = QApplication::palette();
  const QColor text = palette.color(QPalette::Text);
  const QColor base = palette.color(QPalette::Base);
  constexpr double kTowardBase = 0.42;
  const auto mix = [](int from, int to) {
    return static_cast<int>(from + (to - from) * kTowardBase + 0.5);
  };
  return QColor(mix(text.red(), base.red()), mix(text.green(), base.green()),
                mix(text.blue(), base.blue()));
}

QFont EstimateFont() {
  QFont font = QApplication::font();
  font.setItalic(true);
  return font;
}

}  // namespace

TrackListModel::TrackListModel(const TrackList& rows, const ImageList& images, QObject* parent)
    : QAbstractItemModel(parent), rows_(rows), images_(images), row_count_(rows.RowCount()) {}

bool TrackListModel::IsRightAligned(int column) {
  return column == 1 || column == 5 || column == 7 || column == 8 || column == 9;
}

QModelIndex TrackListModel::index(int row, int column, const QModelIndex& parent) const {
  if (parent.isValid() || row < 0 || row >= row_count_ || column < 0 || column >= kColumnCount) {
    return {};
  }
  return createIndex(row, column);
}

QModelIndex TrackListModel::parent(const QModelIndex&) const {
  return {};
}

int TrackListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : row_count_;
}

int TrackListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QString TrackListModel::CellText(const TrackRow& row, int column) const {
  const std::string& text = column == 0 ? row.caption : row.sub_items[column - 1];
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString TrackListModel::ConversionText(const RowConversion& conversion) {
  switch (conversion.state) {
    case ConversionState::kNone:
      break;
    case ConversionState::kProbing:
      return QStringLiteral("変換前の確認中");
    case ConversionState::kWaiting:
      return QStringLiteral("変換待ち");
    case ConversionState::kConverting:
      return QStringLiteral("変換中");
    case ConversionState::kReady:
      return QStringLiteral("変換済み");
    case ConversionState::kFailed:
      return conversion.failure.empty()
                 ? QStringLiteral("変換失敗")
                 : QStringLiteral("変換失敗: ") + QString::fromStdString(conversion.failure);
    case ConversionState::kCancelled:
      return QStringLiteral("変換中止 (出力実行で再開します)");
  }
  return {};
}

QVariant TrackListModel::Decoration(const TrackRow& row, int column) const {
  if (column == 0) return images_.Icon(row.icon);
  if (column != kConversionColumn) return {};
  const int glyph = ConversionGlyph(row.conversion.state);
  if (glyph < 0) return {};
  return images_.Icon(glyph);
}

// The state's cell says the conversion state and the file it is about; the other cells
// show their text.
QVariant TrackListModel::ToolTip(const TrackRow& row, int column) const {
  if (column != kConversionColumn || row.conversion.state == ConversionState::kNone) {
    return CellText(row, column);
  }
  const std::string& file = row.sub_items[kSubFileName];
  return ConversionText(row.conversion) + QLatin1Char('\n') +
         QString::fromUtf8(file.data(), static_cast<qsizetype>(file.size()));
}

QVariant TrackListModel::data(const QModelIndex& index, int role) const {
  // The list may have shrunk before the presenter's reset reached us.
  if (!index.isValid() || index.row() >= rows_.RowCount()) return {};
  const TrackRow& row = rows_.Row(index.row());
  switch (role) {
    case Qt::DisplayRole:
      return CellText(row, index.column());
    case Qt::ToolTipRole:
      return ToolTip(row, index.column());
    case Qt::DecorationRole:
      return Decoration(row, index.column());
    case Qt::AccessibleDescriptionRole: {
      // Screen readers hear the state on every cell, not only where the glyph is.
      const QString state = ConversionText(row.conversion);
      return state.isEmpty() ? QVariant() : QVariant(state);
    }
    case Qt::FontRole:
      if (row.conversion.Estimated()) return EstimateFont();
      return {};
    case Qt::ForegroundRole:
      if (row.conversion.Estimated()) return EstimateColour();
      return {};
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(IsRightAligned(index.column()) ? kRightAligned : kLeftAligned);
    default:
      return {};
  }
}

QVariant TrackListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount) return {};
  switch (role) {
    case Qt::DisplayRole:
      return QString::fromUtf8(kCaptions[section]);
    case Qt::DecorationRole: {
      const int image = rows_.HeaderImage(section);
      if (image == kNoHeaderImage) return {};
      return images_.Icon(image);
    }
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(IsRightAligned(section) ? kRightAligned : kLeftAligned);
    default:
      return {};
  }
}

void TrackListModel::RowsAppended() {
  const int total = rows_.RowCount();
  if (total <= row_count_) {
    if (total < row_count_) RowsReset();
    return;
  }
  beginInsertRows({}, row_count_, total - 1);
  row_count_ = total;
  endInsertRows();
}

void TrackListModel::RowsChanged(int first, int last) {
  first = std::max(first, 0);
  last = std::min(last, row_count_ - 1);
  if (first > last) return;
  emit dataChanged(index(first, 0), index(last, kColumnCount - 1));
}

void TrackListModel::RowsReset() {
  beginResetModel();
  row_count_ = rows_.RowCount();
  endResetModel();
}

// Rows are known by their table index (sub-item 10), which no sort changes.
const std::string& TrackListModel::RowIdentity(int row) const {
  return rows_.Row(row).sub_items[kSubTableIndex];
}

void TrackListModel::RowsAboutToMove() {
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  moving_from_ = persistentIndexList();
  moving_rows_.clear();
  moving_rows_.reserve(moving_from_.size());
  for (const QModelIndex& index : moving_from_) {
    moving_rows_.push_back(index.row() < rows_.RowCount() ? RowIdentity(index.row())
                                                          : std::string());
  }
}

void TrackListModel::RowsMoved() {
  std::unordered_map<std::string, int> row_of;
  row_of.reserve(static_cast<size_t>(rows_.RowCount()));
  for (int row = 0; row < rows_.RowCount(); ++row) row_of.emplace(RowIdentity(row), row);
  QModelIndexList moved_to;
  moved_to.reserve(moving_from_.size());
  for (qsizetype i = 0; i < moving_from_.size(); ++i) {
    const auto found = row_of.find(moving_rows_[static_cast<size_t>(i)]);
    moved_to.push_back(found == row_of.end()
                           ? QModelIndex()
                           : createIndex(found->second, moving_from_[i].column()));
  }
  changePersistentIndexList(moving_from_, moved_to);
  moving_from_.clear();
  moving_rows_.clear();
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void TrackListModel::HeaderImagesChanged() {
  emit headerDataChanged(Qt::Horizontal, 0, kColumnCount - 1);
}

}  // namespace tarvello
