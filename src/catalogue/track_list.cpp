#include "catalogue/track_list.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <numeric>
#include <string_view>
#include <utility>

#include "catalogue/genre_names.h"
#include "common/cp932.h"
#include "common/text_tools.h"

namespace tarvello {
namespace {

// The sort key of each column: 1 is the caption, k >= 2 is sub-item k - 2.
constexpr std::array<int32_t, kColumnCount> kColumnKeys = {1, 13, 3, 4, 5, 14, 15, 16, 17, 18, 11};
// Keys from here on name the zero-padded number columns (sub-items 10..16).
constexpr int32_t kFirstNumericKey = 12;

template <typename... Args>
std::string Printf(const char* format, Args... args) {
  char text[64];
  std::snprintf(text, sizeof text, format, args...);
  return text;
}

template <size_t N>
std::string DisplayText(const char (&field)[N]) {
  return Cp932ToUtf8(FieldText(field));
}

// "%d:%.2d" of minutes and seconds; a negative time from a broken header keeps its sign
// in front instead of on both parts.
std::string PlayTimeText(int32_t time) {
  const int64_t magnitude = time < 0 ? -int64_t{time} : int64_t{time};
  return Printf("%s%" PRId64 ":%.2" PRId64, time < 0 ? "-" : "", magnitude / 60, magnitude % 60);
}

std::string GenreText(const TTrackInfo& track) {
  if (track.Genre[0] != '\0') return DisplayText(track.Genre);
  return std::string(GenreName(track.GenreNo));
}

std::string TrackNumberText(const TTrackInfo& track) {
  if (track.TrackNo < 1) return {};
  if (track.TrackTotal > 0) return Printf("%d/%d", track.TrackNo, track.TrackTotal);
  return Printf("%d", track.TrackNo);
}

// A year that is not a whole number (tags hold anything) sorts as 0.
int YearNumber(std::string_view year) {
  return ParseInteger<int>(year).value_or(0);
}

const std::string& KeyText(const TrackRow& row, int32_t key) {
  return key == 1 ? row.caption : row.sub_items[key - 2];
}

// The number keys compare as numbers, so a value wider than its padding (a file of
// 10 GB, a play time of 28 hours) or a negative one still sorts in numeric order.
int64_t NumericKey(const std::string& text) {
  return ParseInteger<int64_t>(text).value_or(std::numeric_limits<int64_t>::min());
}

template <typename T>
int ThreeWay(const T& a, const T& b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

// Orders `order` stably by `keys`; equal keys keep their current order either way.
template <typename Key>
void StableOrder(std::vector<int>& order, const std::vector<Key>& keys, bool descending) {
  if (descending) {
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return keys[b] < keys[a]; });
  } else {
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return keys[a] < keys[b]; });
  }
}

}  // namespace

TrackList::TrackList(const NumberSymbols& symbols, std::unique_ptr<TextCollator> collator)
    : symbols_(symbols), collator_(std::move(collator)) {
  header_images_.fill(kNoHeaderImage);
}

TrackList::~TrackList() = default;

void TrackList::RefreshCaption(int row, const TrackTable& table) {
  const int32_t index = TableIndex(row);
  if (index < 0 || index >= table.TrackCount()) return;
  rows_[row].caption = DisplayText(table[index].Title);
}

int32_t TrackList::TableIndex(int row) const {
  if (row < 0 || row >= RowCount()) return -1;
  const std::string& text = rows_[row].sub_items[kSubTableIndex];
  return ParseInteger<int32_t>(text).value_or(-1);
}

void TrackList::FillSubItems(TrackRow& row, const TTrackInfo& track) const {
  auto& sub = row.sub_items;
  sub[0] = PlayTimeText(track.Time);
  sub[1] = DisplayText(track.Artist);
  sub[2] = DisplayText(track.Album);
  sub[3] = GenreText(track);
  sub[4] = TrackNumberText(track);
  sub[5] = DisplayText(track.Year);
  sub[6] = Printf("%d kbps", track.BitRate / 1000);
  sub[7] = track.SampleRate < 1 ? std::string() : FormatKilohertz(track.SampleRate, symbols_);
  sub[8] = FormatFileSize(track.FileSize, symbols_);
  sub[11] = Printf("%.5d", track.Time);
  sub[12] = Printf("%.4d", track.TrackNo);
  sub[13] = sub[5].empty() ? "0000" : Printf("%.4d", YearNumber(FieldText(track.Year)));
  sub[14] = Printf("%.6d", track.BitRate);
  sub[15] = Printf("%.6d", track.SampleRate);
  sub[16] = Printf("%.10" PRId64, track.FileSize);
}

bool TrackList::BuildRows(int first, int last, const TrackTable& table, OutputTotals& totals,
                          int64_t cluster_size) {
  if (first < 0 || first > RowCount() || first > last || last >= table.TrackCount()) {
    return false;
  }
  if (rows_.empty()) totals = OutputTotals{};
  TotalsDelta added;
  for (int i = first; i <= last; ++i) {
    if (i == RowCount()) {
      const TTrackInfo& track = table[i];
      TrackRow& row = rows_.emplace_back();
      row.icon = kIconMarked;
      row.caption = DisplayText(track.Title);
      row.sub_items[kSubFileName] = std::string(FieldText(track.FileName));
      row.sub_items[kSubTableIndex] = Printf("%.5d", i);
      added.Add(track.Time, track.FileSize, cluster_size);
      FillSubItems(row, track);
      continue;
    }
    const int32_t index = TableIndex(i);
    if (index < 0 || index >= table.TrackCount()) continue;
    FillSubItems(rows_[i], table[index]);
  }
  AdjustTotals(totals, +1, added, cluster_size);
  return table.TrackCount() >= kMaxTracks;
}

void TrackList::SortRows(int code) {
  if (code < kSortForget || code >= kColumnCount) return;
  header_images_.fill(kNoHeaderImage);
  if (code == kSortForget) {
    sort_key_ = kSortKeyAdditionOrder;
    return;
  }
  if (code == kSortAdditionOrder) {
    sort_key_ = kSortKeyAdditionOrder;
  } else {
    const int32_t key = kColumnKeys[code];
    sort_key_ = key == std::abs(sort_key_) ? -sort_key_ : key;
  }
  SortByCurrentKey();
  if (code >= 0) header_images_[code] = sort_key_ > 0 ? kHeaderAscending : kHeaderDescending;
}

void TrackList::SortByCurrentKey() {
  const int32_t key = std::abs(sort_key_);
  if (key == 0 || rows_.size() < 2) return;
  const bool descending = sort_key_ < 0;
  std::vector<int> order(rows_.size());
  std::iota(order.begin(), order.end(), 0);
  if (key >= kFirstNumericKey) {
    std::vector<int64_t> keys;
    keys.reserve(rows_.size());
    for (const TrackRow& row : rows_) keys.push_back(NumericKey(KeyText(row, key)));
    StableOrder(order, keys, descending);
  } else if (auto keys = CollationKeys(key)) {
    StableOrder(order, *keys, descending);
  } else {
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return lvTrackInfoCompare(rows_[a], rows_[b]) < 0; });
  }
  std::vector<TrackRow> sorted;
  sorted.reserve(rows_.size());
  for (const int index : order) sorted.push_back(std::move(rows_[index]));
  rows_.swap(sorted);
}

std::optional<std::vector<std::string>> TrackList::CollationKeys(int32_t key) const {
  std::vector<std::string> keys;
  keys.reserve(rows_.size());
  for (const TrackRow& row : rows_) {
    std::optional<std::string> collation_key = collator_->CollationKey(KeyText(row, key));
    if (!collation_key) return std::nullopt;
    keys.push_back(std::move(*collation_key));
  }
  return keys;
}

int TrackList::lvTrackInfoCompare(const TrackRow& first, const TrackRow& second) const {
  const int32_t key = std::abs(sort_key_);
  if (key == 0) return 0;
  const std::string& a = KeyText(first, key);
  const std::string& b = KeyText(second, key);
  const int result =
      key >= kFirstNumericKey ? ThreeWay(NumericKey(a), NumericKey(b)) : collator_->Compare(a, b);
  return sort_key_ < 0 ? -result : result;
}

void TrackList::Clear() {
  rows_.clear();
}

}  // namespace tarvello
