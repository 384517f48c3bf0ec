#pragma once

// The rows of the song list: what each column shows, the hidden keys, the row icons and
// the sort state. Row order is output order. Texts in rows are UTF-8 for display.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/output_totals.h"
#include "catalogue/row_conversion.h"
#include "catalogue/track_table.h"
#include "common/number_format.h"

namespace tarvello {

inline constexpr int kColumnCount = 11;
inline constexpr int kSubItemCount = 17;

// Image indexes of the main window's image list.
inline constexpr int kIconFileMissing = 7;
inline constexpr int kIconMarked = 8;
inline constexpr int kIconUnmarked = 9;
inline constexpr int kHeaderAscending = 5;
inline constexpr int kHeaderDescending = 6;
inline constexpr int kNoHeaderImage = -1;

// Hidden sub-items.
inline constexpr int kSubArtist = 1;
inline constexpr int kSubFileName = 9;
inline constexpr int kSubTableIndex = 10;
inline constexpr int kSubTimeKey = 11;
inline constexpr int kSubSizeKey = 16;

// SortKey value of the order of addition (sub-item 10).
inline constexpr int32_t kSortKeyAdditionOrder = 12;
// SortRows codes besides the column indexes.
inline constexpr int kSortAdditionOrder = -1;
inline constexpr int kSortForget = -2;

// What a drop of dragged rows leaves selected: rows first..first + count - 1, with the
// row `focus` focused. `moved` is false when the drop changed nothing.
struct DropResult {
  bool moved = false;
  int first = 0;
  int count = 0;
  int focus = -1;
};

// The rows of `selected` that exist in a list of `row_count` rows, ascending, once each.
std::vector<int> ValidRows(std::vector<int> selected, int row_count);

struct TrackRow {
  std::string caption;
  std::array<std::string, kSubItemCount> sub_items;
  int icon = kIconMarked;
  // Set by whoever converts the row's song; BuildRows leaves it as it is.
  RowConversion conversion;
};

// Compares two texts the way the user's locale does, ignoring case.
class TextCollator {
 public:
  virtual ~TextCollator() = default;
  virtual int Compare(const std::string& a, const std::string& b) const = 0;
  // A byte string whose plain byte order is the order of Compare, so a sort can make
  // each key once; nullopt when this collator makes no such keys.
  virtual std::optional<std::string> CollationKey(const std::string& /*text*/) const {
    return std::nullopt;
  }
};

// The ICU collator of the locale named by the environment, at secondary strength.
std::unique_ptr<TextCollator> MakeLocaleCollator();
// The same collator with numbers compared by value, so "2 x" comes before "10 x".
std::unique_ptr<TextCollator> MakeNaturalCollator();

class TrackList {
 public:
  TrackList(const NumberSymbols& symbols, std::unique_ptr<TextCollator> collator);
  ~TrackList();

  int RowCount() const { return static_cast<int>(rows_.size()); }
  const TrackRow& Row(int row) const { return rows_[row]; }
  TrackRow& Row(int row) { return rows_[row]; }
  // The table index a row's hidden key names.
  int32_t TableIndex(int row) const;

  int32_t SortKey() const { return sort_key_; }
  int HeaderImage(int column) const { return header_images_[column]; }

  // Creates or refreshes rows first..last from the table; new rows are marked and
  // enter `totals`. Does nothing when the range is out of bounds. Returns true when the
  // table has reached its limit (the add command is then disabled).
  bool BuildRows(int first, int last, const TrackTable& table, OutputTotals& totals,
                 int64_t cluster_size);
  // Row `row` shows its record's title again (a record that took the title its file's own
  // tags give, once they were read).
  void RefreshCaption(int row, const TrackTable& table);
  // Sorts by a column (0..10), restores the order of addition (-1) or forgets the sort (-2).
  void SortRows(int code);
  int lvTrackInfoCompare(const TrackRow& first, const TrackRow& second) const;

  void Clear();
  // Removes the given rows; the others keep their order.
  void RemoveRows(const std::vector<int>& rows);
  // Moves the selected rows, in their order, to just before row `target`, or to the end
  // when `target` is -1 (a drop below the last row). Dropping onto a selected row changes
  // nothing. A move forgets the column sort. Records and keys stay as they are.
  DropResult MoveRows(const std::vector<int>& selected, int target);

 private:
  void FillSubItems(TrackRow& row, const TTrackInfo& track) const;
  void SortByCurrentKey();
  // The collation key of every row's text under `key`; nullopt when the collator makes none.
  std::optional<std::vector<std::string>> CollationKeys(int32_t key) const;

  NumberSymbols symbols_;
  std::unique_ptr<TextCollator> collator_;
  std::vector<TrackRow> rows_;
  int32_t sort_key_ = kSortKeyAdditionOrder;
  std::array<int, kColumnCount> header_images_;
};

}  // namespace tarvello
