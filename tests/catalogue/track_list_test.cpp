#include "catalogue/track_list.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unicode/locid.h>

#include <climits>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "common/cp932.h"

namespace tarvello {
namespace {

using ::testing::ElementsAre;

constexpr int64_t kCluster = 4096;

NumberSymbols PinnedSymbols() {
  return NumberSymbols{",", "."};
}

TTrackInfo Song(const std::string& title, int32_t time = 200, int64_t size = 5000) {
  TTrackInfo track{};
  StoreText(track.Title, Utf8ToCp932(title));
  track.Time = time;
  track.FileSize = size;
  StoreText(track.FileName, "/music/" + title + ".m4a");
  return track;
}

class TrackListTest : public ::testing::Test {
 protected:
  TrackListTest() : list_(PinnedSymbols(), MakeLocaleCollator()) {}

  // Stores the songs and builds their rows the way the adding commands do.
  void Add(const std::vector<TTrackInfo>& songs) {
    const int first = list_.RowCount();
    for (const TTrackInfo& song : songs) table_.StoreTrack(table_.TrackCount(), song);
    list_.BuildRows(first, table_.TrackCount() - 1, table_, totals_, kCluster);
  }

  const TrackRow& BuildOne(const TTrackInfo& song) {
    Add({song});
    return list_.Row(list_.RowCount() - 1);
  }

  std::vector<std::string> Captions() const {
    std::vector<std::string> captions;
    for (int i = 0; i < list_.RowCount(); ++i) captions.push_back(list_.Row(i).caption);
    return captions;
  }

  std::vector<int> HeaderImages() const {
    std::vector<int> images;
    for (int column = 0; column < kColumnCount; ++column) {
      images.push_back(list_.HeaderImage(column));
    }
    return images;
  }

  TrackTable table_;
  OutputTotals totals_;
  TrackList list_;
};

constexpr int kNo = kNoHeaderImage;

TEST_F(TrackListTest, NewRowShowsEveryColumnAndKey) {
  TTrackInfo song = Song("夜明け", 65, 5000000);
  StoreText(song.Artist, Utf8ToCp932("アーティスト"));
  StoreText(song.Album, "Album");
  song.GenreNo = 8;
  song.TrackNo = 3;
  song.TrackTotal = 12;
  StoreText(song.Year, "1999");
  song.BitRate = 127999;
  song.SampleRate = 44100;
  StoreText(song.FileName, "/music/夜明け.m4a");  // native bytes, not CP932
  const TrackRow& row = BuildOne(song);

  EXPECT_EQ(row.icon, kIconMarked);
  EXPECT_EQ(row.caption, "夜明け");
  EXPECT_THAT(row.sub_items,
              ElementsAre("1:05", "アーティスト", "Album", "Hip-Hop", "3/12", "1999", "127 kbps",
                          "44.1 kHz", "4.77 MB", "/music/夜明け.m4a", "00000", "00065", "0003",
                          "1999", "127999", "044100", "0005000000"));
}

TEST_F(TrackListTest, EmptyRecordShowsEmptyCellsAndZeroKeys) {
  TTrackInfo empty{};
  const TrackRow& row = BuildOne(empty);
  EXPECT_EQ(row.caption, "");
  EXPECT_THAT(row.sub_items,
              ElementsAre("0:00", "", "", "", "", "", "0 kbps", "", "0 バイト", "", "00000",
                          "00000", "0000", "0000", "000000", "000000", "0000000000"));
}

TEST_F(TrackListTest, ColumnsFollowTheirRules) {
  TTrackInfo lone_track = Song("a", 3599);
  lone_track.TrackNo = 7;
  lone_track.GenreNo = 149;
  EXPECT_EQ(BuildOne(lone_track).sub_items[0], "59:59");
  EXPECT_EQ(list_.Row(0).sub_items[4], "7");
  EXPECT_EQ(list_.Row(0).sub_items[3], "");

  TTrackInfo named_genre = Song("b", 3600);
  StoreText(named_genre.Genre, Utf8ToCp932("演歌"));
  named_genre.GenreNo = 8;  // the text wins over the number
  named_genre.TrackNo = 0;
  named_genre.TrackTotal = 9;
  const TrackRow& second = BuildOne(named_genre);
  EXPECT_EQ(second.sub_items[0], "60:00");
  EXPECT_EQ(second.sub_items[3], "演歌");
  EXPECT_EQ(second.sub_items[4], "");
  EXPECT_EQ(second.sub_items[12], "0000");
}

TEST_F(TrackListTest, YearThatIsNotAWholeNumberKeysAsZero) {
  TTrackInfo odd_year = Song("a");
  StoreText(odd_year.Year, "19x9");
  const TrackRow& row = BuildOne(odd_year);
  EXPECT_EQ(row.sub_items[5], "19x9");
  EXPECT_EQ(row.sub_items[13], "0000");

  TTrackInfo short_year = Song("b");
  StoreText(short_year.Year, "85");
  EXPECT_EQ(BuildOne(short_year).sub_items[13], "0085");
}

TEST_F(TrackListTest, BrokenPlayTimesStayReadable) {
  EXPECT_EQ(BuildOne(Song("a", -65)).sub_items[0], "-1:05");
  EXPECT_EQ(BuildOne(Song("b", INT_MIN)).sub_items[0], "-35791394:08");
  EXPECT_EQ(BuildOne(Song("c", INT_MAX)).sub_items[0], "35791394:07");
}

TEST_F(TrackListTest, NewRowsEnterTheTotalsAfterStaleTotalsAreCleared) {
  totals_ = OutputTotals{7, 7, 7, 7};  // left over from a list that was cleared
  Add({Song("a", 100, 5000), Song("b", 20, 4096)});
  EXPECT_EQ(totals_.Count, 2);
  EXPECT_EQ(totals_.Seconds, 120);
  EXPECT_EQ(totals_.Bytes, 9096);
  EXPECT_EQ(totals_.Space, 8192 + 4096 + 12288);

  Add({Song("c", 1, 1)});
  EXPECT_EQ(totals_.Count, 3);
  EXPECT_EQ(totals_.Space, 8192 + 4096 + 4096 + 12288);
}

TEST_F(TrackListTest, RefreshUpdatesAllButTitleFileNameAndMark) {
  Add({Song("first", 10, 100), Song("second", 20, 200)});
  list_.SortRows(1);
  list_.SortRows(1);  // time descending: "second" is row 0
  ASSERT_EQ(list_.Row(0).caption, "second");
  list_.Row(0).icon = kIconUnmarked;
  const OutputTotals before = totals_;

  TTrackInfo reread = Song("renamed", 125, 7000000);
  StoreText(reread.FileName, "/elsewhere/renamed.m4a");
  StoreText(reread.Artist, "New Artist");
  table_.StoreTrack(1, reread);
  list_.BuildRows(0, 0, table_, totals_, kCluster);

  const TrackRow& row = list_.Row(0);
  EXPECT_EQ(row.caption, "second");
  EXPECT_EQ(row.sub_items[kSubFileName], "/music/second.m4a");
  EXPECT_EQ(row.sub_items[kSubTableIndex], "00001");
  EXPECT_EQ(row.icon, kIconUnmarked);
  EXPECT_EQ(row.sub_items[0], "2:05");
  EXPECT_EQ(row.sub_items[1], "New Artist");
  EXPECT_EQ(row.sub_items[kSubTimeKey], "00125");
  EXPECT_EQ(row.sub_items[kSubSizeKey], "0007000000");
  EXPECT_EQ(list_.Row(1).caption, "first");
  EXPECT_EQ(totals_.Count, before.Count);
  EXPECT_EQ(totals_.Seconds, before.Seconds);
  EXPECT_EQ(totals_.Bytes, before.Bytes);
  EXPECT_EQ(totals_.Space, before.Space);
}

TEST_F(TrackListTest, RangesOutsideTheRuleDoNothing) {
  Add({Song("a"), Song("b")});
  table_.StoreTrack(2, Song("c"));
  table_.StoreTrack(3, Song("d"));
  const OutputTotals before = totals_;
  EXPECT_FALSE(list_.BuildRows(3, 3, table_, totals_, kCluster));   // leaves a gap
  EXPECT_FALSE(list_.BuildRows(-1, 2, table_, totals_, kCluster));  // negative
  EXPECT_FALSE(list_.BuildRows(2, 1, table_, totals_, kCluster));   // reversed
  EXPECT_FALSE(list_.BuildRows(2, 4, table_, totals_, kCluster));   // past the table
  EXPECT_EQ(list_.RowCount(), 2);
  EXPECT_EQ(totals_.Count, before.Count);
  EXPECT_EQ(totals_.Space, before.Space);
  list_.BuildRows(2, 3, table_, totals_, kCluster);
  EXPECT_THAT(Captions(), ElementsAre("a", "b", "c", "d"));
}

TEST_F(TrackListTest, ReportsWhenTheTableIsFull) {
  for (int i = 0; i < kMaxTracks - 1; ++i) table_.StoreTrack(i, Song("s"));
  EXPECT_FALSE(list_.BuildRows(0, kMaxTracks - 2, table_, totals_, kCluster));
  table_.StoreTrack(kMaxTracks - 1, Song("last"));
  EXPECT_TRUE(list_.BuildRows(kMaxTracks - 1, kMaxTracks - 1, table_, totals_, kCluster));
  EXPECT_EQ(list_.TableIndex(kMaxTracks - 1), 9999);
  EXPECT_EQ(totals_.Count, kMaxTracks);
}

TEST_F(TrackListTest, HeaderClicksSortAndReverse) {
  Add({Song("c", 30), Song("a", 10), Song("b", 20)});
  StoreText(table_[0].Artist, "zz");
  StoreText(table_[1].Artist, "yy");
  StoreText(table_[2].Artist, "xx");
  list_.BuildRows(0, 2, table_, totals_, kCluster);

  list_.SortRows(1);
  EXPECT_THAT(Captions(), ElementsAre("a", "b", "c"));
  EXPECT_EQ(list_.SortKey(), 13);
  EXPECT_THAT(HeaderImages(),
              ElementsAre(kNo, kHeaderAscending, kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo));
  list_.SortRows(1);
  EXPECT_THAT(Captions(), ElementsAre("c", "b", "a"));
  EXPECT_EQ(list_.SortKey(), -13);
  EXPECT_EQ(list_.HeaderImage(1), kHeaderDescending);

  list_.SortRows(2);
  EXPECT_THAT(Captions(), ElementsAre("b", "a", "c"));
  EXPECT_EQ(list_.SortKey(), 3);
  EXPECT_THAT(HeaderImages(),
              ElementsAre(kNo, kNo, kHeaderAscending, kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo));
}

TEST_F(TrackListTest, AdditionOrderComesBackAfterSorts) {
  Add({Song("c", 30), Song("a", 10), Song("b", 20), Song("d", 5)});
  list_.SortRows(0);
  list_.SortRows(1);
  list_.SortRows(1);
  list_.SortRows(kSortAdditionOrder);
  EXPECT_THAT(Captions(), ElementsAre("c", "a", "b", "d"));
  EXPECT_EQ(list_.SortKey(), kSortKeyAdditionOrder);
  EXPECT_THAT(HeaderImages(), ::testing::Each(kNo));
  list_.SortRows(kSortAdditionOrder);  // never reverses
  EXPECT_THAT(Captions(), ElementsAre("c", "a", "b", "d"));
}

TEST_F(TrackListTest, ForgettingTheSortKeepsRowsAndStartsOverAscending) {
  Add({Song("c", 30), Song("a", 10), Song("b", 20)});
  list_.SortRows(1);
  list_.SortRows(1);
  list_.SortRows(kSortForget);
  EXPECT_THAT(Captions(), ElementsAre("c", "b", "a"));
  EXPECT_EQ(list_.SortKey(), kSortKeyAdditionOrder);
  EXPECT_THAT(HeaderImages(), ::testing::Each(kNo));
  list_.SortRows(1);
  EXPECT_THAT(Captions(), ElementsAre("a", "b", "c"));
  EXPECT_EQ(list_.HeaderImage(1), kHeaderAscending);
}

TEST_F(TrackListTest, TextsSortIgnoringCaseWithJapanese) {
  Add({Song("さくら"), Song("b"), Song("Zebra"), Song("あさ"), Song("B"), Song("apple"),
       Song("カメ")});
  list_.SortRows(0);
  // Equal keys ("b", "B") keep their order.
  EXPECT_THAT(Captions(), ElementsAre("apple", "b", "B", "Zebra", "あさ", "カメ", "さくら"));
  list_.SortRows(0);
  EXPECT_THAT(Captions(), ElementsAre("さくら", "カメ", "あさ", "Zebra", "b", "B", "apple"));
}

TEST_F(TrackListTest, NumberKeysSortByValuePastTheirPadding) {
  Add({Song("ten GB", 100000, 10'000'000'000), Song("nine GB", 99999, 9'000'000'000),
       Song("broken", -5, 1)});
  list_.SortRows(9);
  EXPECT_THAT(Captions(), ElementsAre("broken", "nine GB", "ten GB"));
  list_.SortRows(1);
  list_.SortRows(1);
  EXPECT_THAT(Captions(), ElementsAre("ten GB", "nine GB", "broken"));
  EXPECT_GT(list_.lvTrackInfoCompare(list_.Row(2), list_.Row(0)), 0);
}

TEST_F(TrackListTest, TableIndexAndClear) {
  Add({Song("a"), Song("b"), Song("c")});
  list_.SortRows(0);
  list_.SortRows(0);
  EXPECT_EQ(list_.TableIndex(0), 2);
  EXPECT_EQ(list_.TableIndex(2), 0);
  EXPECT_EQ(list_.TableIndex(3), -1);
  list_.Clear();
  EXPECT_EQ(list_.RowCount(), 0);
}

// A collator without collation keys: sorting falls back to pairwise comparison.
class ByteOrderCollator : public TextCollator {
 public:
  int Compare(const std::string& a, const std::string& b) const override {
    return a < b ? -1 : (b < a ? 1 : 0);
  }
};

TEST(TrackListFallbackTest, SortsThroughCompareWhenTheCollatorMakesNoKeys) {
  TrackList list(PinnedSymbols(), std::make_unique<ByteOrderCollator>());
  TrackTable table;
  OutputTotals totals;
  for (const char* title : {"b", "a", "c", "a"}) table.StoreTrack(table.TrackCount(), Song(title));
  list.BuildRows(0, 3, table, totals, 0);
  list.SortRows(0);
  EXPECT_THAT((std::vector<int>{list.TableIndex(0), list.TableIndex(1), list.TableIndex(2),
                                list.TableIndex(3)}),
              ElementsAre(1, 3, 0, 2));
  list.SortRows(0);
  EXPECT_THAT((std::vector<int>{list.TableIndex(0), list.TableIndex(1), list.TableIndex(2),
                                list.TableIndex(3)}),
              ElementsAre(2, 0, 1, 3));
}

TEST(LocaleCollatorTest, IgnoresCaseAndKeysAgreeWithCompare) {
  const auto collator = MakeLocaleCollator();
  EXPECT_EQ(collator->Compare("apple", "APPLE"), 0);
  EXPECT_LT(collator->Compare("a", "B"), 0);
  EXPECT_GT(collator->Compare("résumé", "resume"), 0);  // accents still count

  const std::vector<std::string> texts = {"",   "a",  "A",  "b",  "B", "résumé",  "resume",
                                          "あ", "ア", "亜", "10", "9", "\xff\xfe"};
  for (const std::string& a : texts) {
    for (const std::string& b : texts) {
      const auto key_a = collator->CollationKey(a);
      const auto key_b = collator->CollationKey(b);
      ASSERT_TRUE(key_a && key_b);
      const int by_key = *key_a < *key_b ? -1 : (*key_b < *key_a ? 1 : 0);
      EXPECT_EQ(by_key, collator->Compare(a, b)) << a << " / " << b;
    }
  }
}

// ICU names the C and POSIX locales en_US_POSIX, whose collation is ASCII code order.
class PosixLocaleCollatorTest : public ::testing::Test {
 protected:
  void SetUp() override { SetDefault(icu::Locale("en_US_POSIX")); }
  void TearDown() override { SetDefault(before_); }

 private:
  static void SetDefault(const icu::Locale& locale) {
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale::setDefault(locale, status);
    ASSERT_TRUE(U_SUCCESS(status));
  }

  const icu::Locale before_ = icu::Locale::getDefault();
};

TEST_F(PosixLocaleCollatorTest, ListsAndFoldersSortAsPeopleReadThem) {
  const auto list = MakeLocaleCollator();
  EXPECT_EQ(list->Compare("apple", "APPLE"), 0);
  EXPECT_LT(list->Compare("b", "C"), 0);

  const auto natural = MakeNaturalCollator();
  EXPECT_LT(natural->Compare("b", "C"), 0);
  EXPECT_LT(natural->Compare("album 2", "Album 10"), 0);
  EXPECT_LT(natural->Compare("Album 9", "album 10"), 0);
  EXPECT_LT(natural->Compare("apple", "APPLE"), 0);  // case still tells identical names apart
}

}  // namespace
}  // namespace tarvello

namespace tarvello {
namespace {

// Whoever converts a row's song sets its state once; every rearranging of the list after
// that carries the state with its row, and a refresh from the table keeps it.
TEST_F(TrackListTest, ConversionStatesTravelWithTheirRows) {
  constexpr int kSongs = 12;
  std::map<std::string, RowConversion> expected;
  for (int i = 0; i < kSongs; ++i) {
    const std::string title = "song " + std::to_string(i);
    Add({Song(title, 100 + (i * 7) % 13, 1000 + (i * 5) % 11)});
    const auto state = static_cast<ConversionState>(i % 6);
    RowConversion conversion{state, state == ConversionState::kFailed ? "why " + title : ""};
    list_.Row(list_.RowCount() - 1).conversion = conversion;
    expected[title] = conversion;
  }
  std::mt19937 random(7);
  const auto pick = [&](int bound) {
    return std::uniform_int_distribution<int>(0, bound - 1)(random);
  };
  for (int step = 0; step < 200 && list_.RowCount() > 1; ++step) {
    switch (pick(4)) {
      case 0:
        list_.SortRows(pick(kColumnCount + 1) - 1);
        break;
      case 1:
        list_.MoveRows({pick(list_.RowCount()), pick(list_.RowCount())}, pick(list_.RowCount()));
        break;
      case 2: {
        const int row = pick(list_.RowCount());
        list_.BuildRows(row, row, table_, totals_, kCluster);
        break;
      }
      case 3:
        if (pick(10) == 0) list_.RemoveRows({pick(list_.RowCount())});
        break;
    }
    for (int row = 0; row < list_.RowCount(); ++row) {
      ASSERT_EQ(list_.Row(row).conversion, expected[list_.Row(row).caption])
          << "step " << step << " row " << row;
    }
  }
}

}  // namespace
}  // namespace tarvello
