// The song list model over real rows: texts, icons, alignment, header images and the
// row notifications a view relies on.

#include <QApplication>
#include <QColor>
#include <QFont>
#include <QPalette>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "catalogue/track_list.h"
#include "gui/image_list.h"
#include "gui/track_list_model.h"

namespace tarvello {
namespace {

// Compares texts bytewise; the model test does not care about the locale.
class BytewiseCollator : public TextCollator {
 public:
  int Compare(const std::string& a, const std::string& b) const override { return a.compare(b); }
};

// The contrast ratio of two colours as the accessibility guidelines define it.
double Contrast(const QColor& a, const QColor& b) {
  const auto luminance = [](const QColor& c) {
    const auto channel = [](double v) {
      return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
  };
  const double la = luminance(a);
  const double lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TTrackInfo Song(const char* title_cp932, int32_t seconds, int64_t size, const char* path) {
  TTrackInfo track{};
  StoreText(track.Title, title_cp932);
  track.Time = seconds;
  track.FileSize = size;
  track.TrackNo = 3;
  track.TrackTotal = 12;
  track.SampleRate = 44100;
  track.BitRate = 128000;
  StoreText(track.FileName, path);
  return track;
}

}  // namespace

class TrackListModelTest : public QObject {
  Q_OBJECT

 private:
  struct Fixture {
    NumberSymbols symbols;
    TrackTable table;
    OutputTotals totals;
    TrackList rows{symbols, std::make_unique<BytewiseCollator>()};
    ImageList images;
    TrackListModel model{rows, images};

    void Add(const TTrackInfo& track) {
      const int first = rows.RowCount();
      table.StoreTrack(table.TrackCount(), track);
      rows.BuildRows(first, table.TrackCount() - 1, table, totals, 0);
    }
  };

 private slots:
  void ShowsRowTextsAsUtf8WithTheRowIcon() {
    Fixture f;
    f.Add(Song("\x8B\xC8", 245, 1024, "/music/曲.m4a"));  // CP932 for 曲
    f.model.RowsAppended();

    QCOMPARE(f.model.rowCount(), 1);
    QCOMPARE(f.model.columnCount(), kColumnCount);
    QCOMPARE(f.model.data(f.model.index(0, 0), Qt::DisplayRole).toString(), QString("曲"));
    QCOMPARE(f.model.data(f.model.index(0, 1), Qt::DisplayRole).toString(), QString("4:05"));
    QCOMPARE(f.model.data(f.model.index(0, 5), Qt::DisplayRole).toString(), QString("3/12"));
    QCOMPARE(f.model.data(f.model.index(0, 10), Qt::DisplayRole).toString(),
             QString("/music/曲.m4a"));
    // Only the first column carries the icon, and it follows the row's mark.
    const auto marked = f.model.data(f.model.index(0, 0), Qt::DecorationRole).value<QIcon>();
    QCOMPARE(marked.pixmap(16).toImage(), f.images.Icon(kIconMarked).pixmap(16).toImage());
    QVERIFY(!f.model.data(f.model.index(0, 1), Qt::DecorationRole).isValid());
    f.rows.Row(0).icon = kIconFileMissing;
    const auto missing = f.model.data(f.model.index(0, 0), Qt::DecorationRole).value<QIcon>();
    QCOMPARE(missing.pixmap(16).toImage(), f.images.Icon(kIconFileMissing).pixmap(16).toImage());
  }

  void AlignsTheNumberColumnsRightInCellsAndHeader() {
    Fixture f;
    f.Add(Song("A", 1, 1, "/a.m4a"));
    f.model.RowsAppended();
    for (int column = 0; column < kColumnCount; ++column) {
      const bool right = column == 1 || column == 5 || column == 7 || column == 8 || column == 9;
      const auto cell =
          f.model.data(f.model.index(0, column), Qt::TextAlignmentRole).value<Qt::Alignment>();
      const auto header =
          f.model.headerData(column, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>();
      QCOMPARE(bool(cell & Qt::AlignRight), right);
      QCOMPARE(bool(header & Qt::AlignRight), right);
    }
  }

  void HeaderShowsCaptionsAndTheSortArrow() {
    Fixture f;
    const QStringList captions = {"曲名",           "時間",         "アーティスト", "アルバム",
                                  "ジャンル",       "トラック番号", "年",           "ビットレート",
                                  "サンプルレート", "サイズ",       "ファイル名"};
    for (int column = 0; column < kColumnCount; ++column) {
      QCOMPARE(f.model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString(),
               captions[column]);
      QVERIFY(!f.model.headerData(column, Qt::Horizontal, Qt::DecorationRole).isValid());
    }
    f.Add(Song("B", 2, 1, "/b.m4a"));
    f.Add(Song("A", 1, 1, "/a.m4a"));
    f.model.RowsAppended();
    QSignalSpy header_changes(&f.model, &QAbstractItemModel::headerDataChanged);
    f.rows.SortRows(1);
    f.model.HeaderImagesChanged();
    QCOMPARE(header_changes.count(), 1);
    auto arrow = [&](int column) {
      return f.model.headerData(column, Qt::Horizontal, Qt::DecorationRole)
          .value<QIcon>()
          .pixmap(16)
          .toImage();
    };
    QCOMPARE(arrow(1), f.images.Icon(kHeaderAscending).pixmap(16).toImage());
    f.rows.SortRows(1);
    QCOMPARE(arrow(1), f.images.Icon(kHeaderDescending).pixmap(16).toImage());
    QVERIFY(!f.model.headerData(0, Qt::Horizontal, Qt::DecorationRole).isValid());
  }

  void AppendsOnlyTheRowsTheViewsLack() {
    Fixture f;
    QSignalSpy inserted(&f.model, &QAbstractItemModel::rowsInserted);
    f.Add(Song("A", 1, 1, "/a.m4a"));
    f.Add(Song("B", 1, 1, "/b.m4a"));
    // Until told, the views keep the count they know.
    QCOMPARE(f.model.rowCount(), 0);
    f.model.RowsAppended();
    f.model.RowsAppended();  // a repeated notice adds nothing
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted[0][1].toInt(), 0);
    QCOMPARE(inserted[0][2].toInt(), 1);
    QCOMPARE(f.model.rowCount(), 2);
  }

  void SurvivesRowsVanishingBeforeTheReset() {
    Fixture f;
    f.Add(Song("A", 1, 1, "/a.m4a"));
    f.model.RowsAppended();
    f.rows.Clear();
    // A view painting before the reset gets nothing rather than a stale row.
    QVERIFY(!f.model.data(f.model.index(0, 0), Qt::DisplayRole).isValid());
    QSignalSpy changed(&f.model, &QAbstractItemModel::dataChanged);
    f.model.RowsChanged(0, 5);
    QCOMPARE(changed.count(), 1);  // the view still knows row 0
    QSignalSpy reset(&f.model, &QAbstractItemModel::modelReset);
    f.model.RowsReset();
    QCOMPARE(reset.count(), 1);
    QCOMPARE(f.model.rowCount(), 0);
    f.model.RowsChanged(0, 5);
    QCOMPARE(changed.count(), 1);  // nothing left to change
  }

  void RefreshesChangedRowsAcrossAllColumns() {
    Fixture f;
    f.Add(Song("A", 1, 1, "/a.m4a"));
    f.Add(Song("B", 1, 1, "/b.m4a"));
    f.model.RowsAppended();
    QSignalSpy changed(&f.model, &QAbstractItemModel::dataChanged);
    f.model.RowsChanged(1, 1);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed[0][0].toModelIndex(), f.model.index(1, 0));
    QCOMPARE(changed[0][1].toModelIndex(), f.model.index(1, kColumnCount - 1));
  }

  void ShowsEachConversionStateOnItsRowOnly() {
    Fixture f;
    f.Add(Song("A", 1, 1, "/music/a.mp3"));
    f.Add(Song("B", 1, 1, "/music/b.m4a"));
    f.model.RowsAppended();
    const int column = TrackListModel::kConversionColumn;
    const auto cell = [&](int row, int at, int role) { return f.model.index(row, at).data(role); };
    const auto glyph = [&](int row) {
      return cell(row, column, Qt::DecorationRole).value<QIcon>().pixmap(16).toImage();
    };
    struct Case {
      ConversionState state;
      int glyph;
      QString text;
      bool estimate;
    };
    const std::vector<Case> cases = {
        {ConversionState::kWaiting, kGlyphConversionWaiting, "変換待ち", true},
        {ConversionState::kConverting, kGlyphConverting, "変換中", true},
        {ConversionState::kReady, kGlyphConverted, "変換済み", false},
        {ConversionState::kFailed, kGlyphConversionFailed, "変換失敗: no audio stream", true},
        {ConversionState::kCancelled, kGlyphConversionCancelled, "変換中止", true},
    };
    std::vector<QImage> seen;
    for (const Case& c : cases) {
      f.rows.Row(0).conversion = {c.state,
                                  c.state == ConversionState::kFailed ? "no audio stream" : ""};
      // The glyph in the play time's cell, one of its own for each state.
      QCOMPARE(glyph(0), f.images.Icon(c.glyph).pixmap(16).toImage());
      QVERIFY(std::find(seen.begin(), seen.end(), glyph(0)) == seen.end());
      seen.push_back(glyph(0));
      // The tooltip names the state (and a failure's reason) before the file.
      const QString tip = cell(0, column, Qt::ToolTipRole).toString();
      QVERIFY2(tip.startsWith(c.text) && tip.endsWith("\n/music/a.mp3"), qPrintable(tip));
      // Screen readers hear it on every cell of the row.
      QVERIFY(cell(0, 3, Qt::AccessibleDescriptionRole).toString().startsWith(c.text));
      // Values still estimated are set apart in every column.
      for (int at = 0; at < kColumnCount; ++at) {
        QCOMPARE(cell(0, at, Qt::FontRole).value<QFont>().italic(), c.estimate);
        QCOMPARE(cell(0, at, Qt::ForegroundRole).isValid(), c.estimate);
      }
      // The mark keeps its place in the first column.
      QCOMPARE(cell(0, 0, Qt::DecorationRole).value<QIcon>().pixmap(16).toImage(),
               f.images.Icon(kIconMarked).pixmap(16).toImage());
    }
    // A song never converted looks exactly as before.
    for (int at = 0; at < kColumnCount; ++at) {
      for (int role :
           {int(Qt::FontRole), int(Qt::ForegroundRole), int(Qt::AccessibleDescriptionRole)}) {
        QVERIFY(!cell(1, at, role).isValid());
      }
      QCOMPARE(cell(1, at, Qt::ToolTipRole), cell(1, at, Qt::DisplayRole));
    }
    QVERIFY(!cell(1, column, Qt::DecorationRole).isValid());
  }

  void EstimatesStayReadableOnLightAndDarkPalettes() {
    Fixture f;
    f.Add(Song("A", 1, 1, "/music/a.mp3"));
    f.model.RowsAppended();
    f.rows.Row(0).conversion = {ConversionState::kWaiting, ""};
    const QPalette original = QApplication::palette();
    QPalette dark = original;
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    dark.setColor(QPalette::Text, QColor(230, 230, 230));
    for (const QPalette& palette : {original, dark}) {
      QApplication::setPalette(palette);
      const QColor shown = f.model.index(0, 2).data(Qt::ForegroundRole).value<QColor>();
      const QColor base = palette.color(QPalette::Base);
      const QColor text = palette.color(QPalette::Text);
      QVERIFY2(Contrast(shown, base) >= 4.5, qPrintable(shown.name()));
      // Set apart from exact values all the same.
      QVERIFY2(Contrast(shown, text) >= 1.5, qPrintable(shown.name()));
    }
    QApplication::setPalette(original);
  }
};

}  // namespace tarvello

QTEST_MAIN(tarvello::TrackListModelTest)
#include "track_list_model_test.moc"
