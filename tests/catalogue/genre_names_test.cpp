#include "catalogue/genre_names.h"

#include <gtest/gtest.h>

namespace tarvello {
namespace {

TEST(GenreNamesTest, TableHoldsNotApplicableAndTheNumberedGenres) {
  EXPECT_EQ(GenreNames.size(), 149u);
  EXPECT_EQ(GenreNames[0], "N/A");
  EXPECT_EQ(GenreNames[1], "Blues");
  EXPECT_EQ(GenreNames[148], "SynthPop");
  for (const auto name : GenreNames) EXPECT_FALSE(name.empty());
}

TEST(GenreNamesTest, SpellingsThatAreEasyToGetWrong) {
  EXPECT_EQ(GenreName(8), "Hip-Hop");
  EXPECT_EQ(GenreName(15), "R&B");
  EXPECT_EQ(GenreName(30), "Jazz+Funk");
  EXPECT_EQ(GenreName(63), "Pop/Funk");
  EXPECT_EQ(GenreName(68), "Psychadelic");
  EXPECT_EQ(GenreName(94), "Psychedelic Rock");
  EXPECT_EQ(GenreName(86), "Bebob");
  EXPECT_EQ(GenreName(124), "A capella");
  EXPECT_EQ(GenreName(128), "Drum & Bass");
  EXPECT_EQ(GenreName(134), "NegerPunk");
  EXPECT_EQ(GenreName(141), "Contemporary C");
  EXPECT_EQ(GenreName(147), "JPop");
  EXPECT_EQ(GenreName(148), "SynthPop");
}

TEST(GenreNamesTest, NumbersOutsideTheTableHaveNoName) {
  EXPECT_EQ(GenreName(0), "");
  EXPECT_EQ(GenreName(149), "");
  EXPECT_EQ(GenreName(-1), "");
  EXPECT_EQ(GenreName(32767), "");
}

}  // namespace
}  // namespace tarvello
