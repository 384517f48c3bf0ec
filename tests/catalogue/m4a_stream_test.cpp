// The stream values the M4A reader takes from the movie header and the sample
// descriptions: which entries count as audio, the bit rates behind descriptor lengths of
// any size, the channels of the AAC configuration and 64-bit movie headers.

#include <gtest/gtest.h>

#include <string>

#include "catalogue/box_builder.h"
#include "catalogue/m4a_memory_files.h"
#include "catalogue/m4a_reader.h"
#include "catalogue/m4a_sample_entry.h"

namespace tarvello {
namespace {

using testing::AudioEntry;
using testing::Box;
using testing::Ftyp;
using testing::Mdat;
using testing::Mvhd;
using testing::StsdOf;
using testing::Trak;

constexpr char kPath[] = "/music/stream.m4a";

class M4aStreamTest : public ::testing::Test {
 protected:
  // Reads a song whose movie box holds `movie_children` and returns its record.
  TTrackInfo ReadMovie(const std::vector<Box>& movie_children) {
    Box moov("moov");
    for (const Box& child : movie_children) moov.Add(child);
    files_.Add(kPath, Ftyp().Bytes() + moov.Bytes() + Mdat().Bytes());
    TTrackInfo track{};
    EXPECT_TRUE(ReadM4aRecord(files_, track, kPath, kPath).Accepted());
    return track;
  }

  TTrackInfo ReadAudio(const Box& entry) {
    return ReadMovie({Mvhd(1000, 1000), Trak(StsdOf(entry))});
  }

  testing::MemoryFileSystem files_;
};

TEST_F(M4aStreamTest, BitRatesFollowDescriptorLengthsOfEverySize) {
  for (int length_bytes = 1; length_bytes <= 4; ++length_bytes) {
    AudioEntry entry;
    entry.max_bit_rate = 256000;
    entry.avg_bit_rate = 255001;
    entry.length_bytes = length_bytes;
    const TTrackInfo track = ReadAudio(testing::Mp4a(entry));
    EXPECT_EQ(track.BitRate, 256000) << length_bytes;
    EXPECT_EQ(track.AvgBitRate, 255001) << length_bytes;
    EXPECT_EQ(track.ChNum, 2) << length_bytes;
    EXPECT_EQ(track.SampleRate, 44100) << length_bytes;
  }
}

TEST_F(M4aStreamTest, NoAacDecoderConfigurationMeansNoBitRates) {
  // Apple Lossless: the entry's own box holds an average bit rate where an AAC entry's
  // descriptor would be.
  Box alac = testing::SoundEntry({2, 16, 44100, 0, 0, -1, 4, 0x40, "alac"});
  alac.Add(Box("alac").U32(0).U32(4096).Raw({"\0\x10\x28\x0a\x0e\x02\0\xff", 8}));
  alac.U32(0).U32(0x436A2000).U32(44100);
  TTrackInfo track = ReadAudio(alac);
  EXPECT_EQ(track.BitRate, 0);
  EXPECT_EQ(track.AvgBitRate, 0);
  EXPECT_EQ(track.ChNum, 2);
  EXPECT_EQ(track.SampleSize, 16);
  EXPECT_EQ(track.SampleRate, 44100);

  // MPEG audio in an mp4a entry is not AAC either.
  AudioEntry mp3;
  mp3.object_type = 0x6B;
  mp3.channel_config = 1;
  track = ReadAudio(testing::Mp4a(mp3));
  EXPECT_EQ(track.BitRate, 0);
  EXPECT_EQ(track.AvgBitRate, 0);
  EXPECT_EQ(track.ChNum, 2);

  // MPEG-2 AAC low complexity is.
  AudioEntry mpeg2;
  mpeg2.object_type = 0x67;
  EXPECT_EQ(ReadAudio(testing::Mp4a(mpeg2)).BitRate, 160000);

  // An entry without its descriptor box.
  track = ReadAudio(testing::SoundEntry({}));
  EXPECT_EQ(track.BitRate, 0);
  EXPECT_EQ(track.SampleRate, 44100);
}

TEST_F(M4aStreamTest, ChannelsComeFromTheAacConfigurationWhenItNamesThem) {
  struct Case {
    int config;
    int16_t channels;
  };
  // Configuration 7 is 7.1 (eight channels); 0 leaves the layout to elsewhere, and 8 to
  // 15 name no count either: the entry's count stands.
  for (const Case& c :
       {Case{1, 1}, Case{2, 2}, Case{6, 6}, Case{7, 8}, Case{0, 2}, Case{8, 2}, Case{15, 2}}) {
    AudioEntry entry;
    entry.channels = 2;
    entry.channel_config = c.config;
    EXPECT_EQ(ReadAudio(testing::Mp4a(entry)).ChNum, c.channels) << c.config;
  }
}

TEST_F(M4aStreamTest, ChapterTrackReadLastLeavesTheAudioValues) {
  Box text("text");
  text.Zeros(6).U16(1).Zeros(48).Raw(
      "\x0D"
      "Chapter font");
  const TTrackInfo track =
      ReadMovie({Mvhd(1000, 1000), Trak(testing::Stsd({1, 16, 48000, 96000, 64000})),
                 Trak(StsdOf(text), "text")});
  EXPECT_EQ(track.ChNum, 1);
  EXPECT_EQ(track.SampleSize, 16);
  EXPECT_EQ(track.SampleRate, 48000);
  EXPECT_EQ(track.BitRate, 96000);
  EXPECT_EQ(track.AvgBitRate, 64000);
}

TEST_F(M4aStreamTest, SoundHandlerOrAudioEntryTypeMakesAnEntryAudio) {
  AudioEntry unknown_coding;
  unknown_coding.type = "zzzz";
  unknown_coding.channels = 6;
  // An entry type the reader does not know counts on a sound track...
  EXPECT_EQ(ReadMovie({Trak(StsdOf(testing::Mp4a(unknown_coding)), "soun")}).SampleRate, 44100);
  // ...but not on a video track, where only an audio entry type counts.
  EXPECT_EQ(ReadMovie({Trak(StsdOf(testing::Mp4a(unknown_coding)), "vide")}).SampleRate, 0);
  EXPECT_EQ(ReadMovie({Trak(testing::Stsd({}), "vide")}).SampleRate, 44100);
  // A track without a handler box is judged by its entry type alone.
  const Box bare_track = Box("trak").Add(
      Box("mdia").Add(Box("minf").Add(Box("stbl").Add(StsdOf(testing::Mp4a(unknown_coding))))));
  EXPECT_EQ(ReadMovie({Trak(testing::Stsd({1, 16, 22050, 1, 1}), "soun"), bare_track}).ChNum, 1);
  EXPECT_EQ(ReadMovie({bare_track}).SampleRate, 0);
}

TEST_F(M4aStreamTest, QuickTimeSoundDescriptionKeepsItsDescriptorInAWaveBox) {
  AudioEntry entry;
  entry.channel_config = 1;
  Box sound("mp4a");
  sound.Zeros(6).U16(1).U16(1).Zeros(6).U16(2).U16(16).U16(0xFFFE).U16(0).U16(32000).U16(0);
  sound.U32(1024).U32(0).U32(0).U32(2);  // version 1 fields
  Box wave("wave");
  wave.Add(Box("frma").Raw("mp4a")).Add(Box("mp4a").U32(0)).Add(testing::Esds(entry));
  sound.Add(wave.Add(Box("\0\0\0\0")));
  const TTrackInfo track = ReadAudio(sound);
  EXPECT_EQ(track.SampleRate, 32000);
  EXPECT_EQ(track.BitRate, 160000);
  EXPECT_EQ(track.ChNum, 1);
}

TEST_F(M4aStreamTest, DescriptorBeyondWhatIsReadIsNotLookedFor) {
  AudioEntry entry;
  Box sound = testing::SoundEntry(entry);
  sound.Add(Box("pad ").Zeros(kSampleDescriptionSize)).Add(testing::Esds(entry));
  const TTrackInfo track = ReadAudio(sound);
  EXPECT_EQ(track.SampleRate, 44100);
  EXPECT_EQ(track.BitRate, 0);
  EXPECT_LE(files_.stats().largest_read, kSampleDescriptionSize);
}

TEST_F(M4aStreamTest, BrokenDescriptorsGiveNoBitRates) {
  AudioEntry entry;
  const std::string esds = testing::Esds(entry).Bytes();
  // Cut the descriptor box at every length: its own size shrinks with it.
  for (size_t length = 8; length < esds.size(); ++length) {
    std::string cut = esds.substr(0, length);
    cut.replace(0, 4, testing::BigEndian32Bytes(static_cast<uint32_t>(length)));
    const TTrackInfo track = ReadAudio(testing::SoundEntry(entry).Raw(cut));
    if (track.BitRate != 0) {
      EXPECT_EQ(track.BitRate, 160000) << length;
      EXPECT_EQ(track.AvgBitRate, 128000) << length;
    }
  }
  // Lengths that claim more than there is.
  const std::string huge = std::string("\x03\xFF\xFF\xFF\xFF", 5);
  const TTrackInfo track = ReadAudio(testing::SoundEntry(entry).Add(Box("esds").U32(0).Raw(huge)));
  EXPECT_EQ(track.BitRate, 0);
}

TEST_F(M4aStreamTest, Version1MovieHeaderGivesTheTimeFrom64BitFields) {
  EXPECT_EQ(ReadMovie({testing::MvhdVersion1(44100, 44100ull * 300 + 5)}).Time, 300);
  // A duration beyond 32 bits.
  EXPECT_EQ(ReadMovie({testing::MvhdVersion1(1000, 5'000'000'000ull)}).Time, 5'000'000);
  // An unknown duration (all ones), a time past the field and a zero scale give none.
  EXPECT_EQ(ReadMovie({testing::MvhdVersion1(1000, ~0ull)}).Time, 0);
  EXPECT_EQ(ReadMovie({testing::MvhdVersion1(1, 1ull << 31)}).Time, 0);
  EXPECT_EQ(ReadMovie({testing::MvhdVersion1(0, 5000)}).Time, 0);
  // Version 0 is read as before.
  EXPECT_EQ(ReadMovie({Mvhd(600, 2999)}).Time, 4);
}

}  // namespace
}  // namespace tarvello

namespace tarvello {
namespace {

// The verdict names the audio coding of the entry the record's stream values came from,
// so the adding can tell an ALAC song from an AAC one without FFmpeg.
TEST_F(M4aStreamTest, TheVerdictNamesTheAudioEntryTheRecordDescribes) {
  const auto audio_entry_of = [&](const std::vector<Box>& movie_children) {
    Box moov("moov");
    for (const Box& child : movie_children) moov.Add(child);
    files_.Add(kPath, Ftyp().Bytes() + moov.Bytes() + Mdat().Bytes());
    TTrackInfo track{};
    const M4aVerdict verdict = ReadM4aRecord(files_, track, kPath, kPath);
    EXPECT_TRUE(verdict.Accepted());
    return std::make_pair(std::string(verdict.audio_entry.begin(), verdict.audio_entry.end()),
                          verdict.AudioIsNotAac());
  };
  AudioEntry alac;
  alac.type = "alac";
  alac.sample_rate = 48000;
  Box text("text");
  text.Zeros(6).U16(1).Zeros(48);
  const std::vector<std::pair<std::vector<Box>, std::pair<std::string, bool>>> cases = {
      {{Trak(testing::Stsd({}))}, {"mp4a", false}},
      {{Trak(StsdOf(testing::Mp4a(alac)))}, {"alac", true}},
      // A chapter track is no audio: the AAC track before it decides.
      {{Trak(testing::Stsd({})), Trak(StsdOf(text), "text")}, {"mp4a", false}},
      // Two audio tracks: the values and the type both come from the last.
      {{Trak(testing::Stsd({})), Trak(StsdOf(testing::Mp4a(alac)))}, {"alac", true}},
      // No audio entry at all is not a reason to convert.
      {{Trak(StsdOf(text), "text")}, {std::string(4, '\0'), false}},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    EXPECT_EQ(audio_entry_of(cases[i].first), cases[i].second) << "case " << i;
  }
  // The record and the type agree on which entry they describe.
  TTrackInfo track{};
  ReadM4aRecord(files_, track, kPath, kPath);
  EXPECT_EQ(track.SampleRate, 0);
  audio_entry_of({Trak(testing::Stsd({})), Trak(StsdOf(testing::Mp4a(alac)))});
  ReadM4aRecord(files_, track, kPath, kPath);
  EXPECT_EQ(track.SampleRate, 48000);
}

}  // namespace
}  // namespace tarvello
