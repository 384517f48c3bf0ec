// The properties dialog's texts for one record.

#include "catalogue/track_properties.h"

#include <gtest/gtest.h>

#include "common/cp932.h"

namespace tarvello {
namespace {

TEST(TrackProperties, EveryFieldFollowsItsRule) {
  TTrackInfo track{};
  StoreText(track.Title, Utf8ToCp932("春の海"));
  track.Time = 3725;
  track.GenreNo = 8;
  track.TrackNo = 3;
  track.DiskNo = 1;
  track.DiskTotal = 2;
  track.BitRate = 127999;
  track.SampleRate = 44100;
  track.ChNum = 2;
  track.Compilation = 1;
  StoreText(track.Comment, "one line");
  track.FileSize = 5000000;
  StoreText(track.FileName, "/music/春.m4a");
  const TrackProperties texts = PropertyTexts(track, NumberSymbols{",", "."});
  EXPECT_EQ(texts.title, "春の海");
  EXPECT_EQ(texts.time, "62:05");
  EXPECT_EQ(texts.genre, "Hip-Hop");
  EXPECT_EQ(texts.track_no, "3");
  EXPECT_EQ(texts.track_total, "");
  EXPECT_EQ(texts.disk_no, "1");
  EXPECT_EQ(texts.disk_total, "2");
  EXPECT_EQ(texts.tempo, "");
  EXPECT_EQ(texts.channels, "2");
  EXPECT_EQ(texts.bit_rate, "127 kbps");
  EXPECT_EQ(texts.sample_rate, "44.1 kHz");
  EXPECT_TRUE(texts.compilation);
  EXPECT_EQ(texts.comment, "one line");
  EXPECT_EQ(texts.file_size, "4.77 MB");
  EXPECT_EQ(texts.file_name, "/music/春.m4a");
}

TEST(TrackProperties, EmptyAndEdgeValues) {
  TTrackInfo track{};
  for (const auto& [time, text] : {std::pair{59, "0:59"}, {60, "1:00"}, {3600, "60:00"}}) {
    track.Time = time;
    EXPECT_EQ(PropertyTexts(track, {}).time, text);
  }
  track.GenreNo = 149;
  const TrackProperties texts = PropertyTexts(track, {});
  EXPECT_EQ(texts.genre, "");
  EXPECT_EQ(texts.bit_rate, "0 kbps");
  EXPECT_EQ(texts.sample_rate, "");
  EXPECT_EQ(texts.channels, "");
  EXPECT_FALSE(texts.compilation);
  StoreText(track.Genre, "Rock");
  EXPECT_EQ(PropertyTexts(track, {}).genre, "Rock");
}

}  // namespace
}  // namespace tarvello
