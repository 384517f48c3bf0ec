// Every kind of source the converter meets, made with the ffmpeg command: what it
// becomes, and that the song written is one the M4A walk accepts with the source's play
// time, tags and (for a remux) the very same audio frames.

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>

#include "catalogue/m4a_fields.h"
#include "catalogue/m4a_reader.h"
#include "convert/convert_song.h"
#include "convert/made_sources.h"
#include "platform/posix/posix_file_system.h"

namespace tarvello {
namespace {

using testing::ReadBack;
using testing::ReadBackFile;
using testing::RunFfmpeg;
using testing::Tone;

constexpr double kSeconds = 2.0;

const std::string kTags =
    "-metadata title=\"テストの歌\" -metadata artist=\"Ärtist\" -metadata album=Album "
    "-metadata genre=Jazz -metadata date=2019-04-01 -metadata track=3/9 -metadata disc=1/2 "
    "-metadata composer=\"作曲者\" -metadata comment=\"a comment\" -metadata grouping=Grp "
    "-metadata compilation=1 ";

struct SourceCase {
  std::string name;
  std::string file;
  std::string arguments;  // ffmpeg's, after the input
  ConvertAction action;
  int channels = 2;
  int rate = 44100;
  int tempo = 0;  // FFmpeg does not read an M4A's tempo, so the walk's is checked against this
};

// A second input for the cases that are a movie with a sound track.
const std::string kPicture = "-f lavfi -i color=c=blue:s=32x32:d=2 -c:v mpeg4 ";

const std::vector<SourceCase>& Cases() {
  static const std::vector<SourceCase> cases = {
      {"mp3", "a.mp3", "-ac 2 -c:a libmp3lame -metadata TBPM=120 " + kTags, ConvertAction::kEncoded,
       2, 44100, 120},
      {"flac", "a.flac", "-ac 2 -metadata BPM=120 " + kTags, ConvertAction::kEncoded, 2, 44100,
       120},
      {"vorbis", "a.ogg", "-ac 2 -c:a libvorbis -metadata BPM=120 " + kTags,
       ConvertAction::kEncoded, 2, 44100, 120},
      {"opus", "a.opus", "-ac 2 -c:a libopus " + kTags, ConvertAction::kEncoded, 2, 48000},
      {"wav", "a.wav", "-ac 2 " + kTags, ConvertAction::kEncoded},
      {"alac", "alac.m4a",
       "-ac 2 -c:a alac -f ipod -movflags +faststart -metadata tmpo=120 " + kTags,
       ConvertAction::kEncoded, 2, 44100, 120},
      {"movie_last", "last.m4a", "-ac 2 -c:a aac -f ipod -metadata tmpo=120 " + kTags,
       ConvertAction::kRemuxed, 2, 44100, 120},
      {"mp42", "a.mp4",
       "-ac 2 -c:a aac -f mp4 -brand mp42 -movflags +faststart -metadata tmpo=96 " + kTags,
       ConvertAction::kRemuxed, 2, 44100, 96},
      {"mp42_movie_last", "last.mp4",
       "-ac 2 -c:a aac -f mp4 -brand mp42 -metadata tmpo=140 " + kTags, ConvertAction::kRemuxed, 2,
       44100, 140},
      {"isom_movie_last_mp3", "mp3.mp4",
       "-ac 2 -c:a libmp3lame -f mp4 -brand isom -metadata tmpo=77 " + kTags,
       ConvertAction::kEncoded, 2, 44100, 77},
      {"video", "video.mp4", kPicture + "-ac 2 -c:a aac -shortest -metadata tmpo=128 " + kTags,
       ConvertAction::kRemuxed, 2, 44100, 128},
      {"adts", "a.aac", "-ac 2 -c:a aac -f adts", ConvertAction::kRemuxed},
      {"surround_32k", "six.flac", "-ac 6 -ar 32000 " + kTags, ConvertAction::kEncoded, 2, 44100},
      {"mono_48k", "mono.wav", "-ac 1 -ar 48000 " + kTags, ConvertAction::kEncoded, 1, 48000},
  };
  return cases;
}

class ConvertSongTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!testing::HaveFfmpeg()) return;
    sources_ = new fakes::TempDir();
    for (const SourceCase& source : Cases()) {
      const int rate = source.rate == 48000 || source.name == "surround_32k" ? 48000 : 44100;
      ASSERT_TRUE(RunFfmpeg(Tone(kSeconds, rate) + " " + source.arguments + " " +
                            sources_->Path(source.file)))
          << source.name;
    }
    MakeCorruptMp3(sources_->Path("corrupt.mp3"));
  }
  static void TearDownTestSuite() {
    delete sources_;
    sources_ = nullptr;
  }

  // An MP3 cut off at two thirds, with a stretch of noise in its middle.
  static void MakeCorruptMp3(const std::string& path) {
    ASSERT_TRUE(RunFfmpeg(Tone(kSeconds) + " -ac 2 -c:a libmp3lame " + kTags + path));
    const auto size = std::filesystem::file_size(path);
    std::filesystem::resize_file(path, size * 2 / 3);
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(static_cast<std::streamoff>(size / 3));
    for (int i = 0; i < 2000; ++i) file.put(static_cast<char>(i * 37));
  }

  void SetUp() override {
    if (!sources_) GTEST_SKIP() << "the ffmpeg command is not installed";
  }

  ConvertResult Convert(const std::string& path) {
    return ConvertSong(files_, cache_, helper_, path, ConvertSettings{}, cancel_);
  }

  // The song is one the M4A walk accepts, and it says what the source says.
  void ExpectCardReady(const std::string& source, const ConvertResult& result, int channels,
                       int rate, int tempo) {
    ASSERT_TRUE(result.Ready()) << result.reason;
    auto record = std::make_unique<TTrackInfo>();
    ASSERT_TRUE(ReadM4aRecord(files_, *record, result.song_path, result.song_path).Accepted());
    const ReadBack before = ReadBackFile(source);
    const ReadBack after = ReadBackFile(result.song_path);
    EXPECT_EQ(after.codec, "aac");
    EXPECT_EQ(after.major_brand, "M4A ");
    EXPECT_EQ(after.channels, channels);
    EXPECT_EQ(after.sample_rate, rate);
    EXPECT_NEAR(after.decoded_seconds, before.decoded_seconds, 0.05);
    SongTags expected = before.tags;
    expected.tempo = 0;
    EXPECT_EQ(after.tags, expected);
    // The walk reads every tag of the source from the song.
    EXPECT_EQ(FieldText(record->Title), TagTextToCp932(before.tags.title));
    EXPECT_EQ(FieldText(record->Artist), TagTextToCp932(before.tags.artist));
    EXPECT_EQ(FieldText(record->Album), TagTextToCp932(before.tags.album));
    EXPECT_EQ(FieldText(record->Genre), TagTextToCp932(before.tags.genre));
    EXPECT_EQ(FieldText(record->Writer), TagTextToCp932(before.tags.composer));
    EXPECT_EQ(FieldText(record->Comment), TagTextToCp932(before.tags.comment));
    EXPECT_EQ(FieldText(record->Group), TagTextToCp932(before.tags.grouping));
    EXPECT_EQ(FieldText(record->Year), before.tags.year);
    EXPECT_EQ(record->TrackNo, before.tags.track);
    EXPECT_EQ(record->TrackTotal, before.tags.track_total);
    EXPECT_EQ(record->DiskNo, before.tags.disc);
    EXPECT_EQ(record->DiskTotal, before.tags.disc_total);
    EXPECT_EQ(record->Tempo, tempo);
    EXPECT_EQ(record->Compilation != 0, before.tags.compilation);
    EXPECT_EQ(record->ChNum, channels);
    EXPECT_EQ(record->SampleRate, rate);
    if (result.action == ConvertAction::kRemuxed) {
      EXPECT_EQ(after.packets, before.packets) << "the audio frames changed";
    }
  }

  static fakes::TempDir* sources_;
  fakes::TempDir cache_dir_;
  PosixFileSystem files_;
  ConvertCache cache_{cache_dir_.path()};
  HelperWorker helper_{TARVELLO_CONVERT_PATH, cache_dir_.path(), std::chrono::seconds(60)};
  std::atomic<bool> cancel_{false};
};

fakes::TempDir* ConvertSongTest::sources_ = nullptr;

TEST_F(ConvertSongTest, EveryKindOfSourceBecomesASongTheWalkAccepts) {
  for (const SourceCase& source : Cases()) {
    SCOPED_TRACE(source.name);
    const std::string path = sources_->Path(source.file);
    const ConvertResult result = Convert(path);
    EXPECT_EQ(result.action, source.action) << result.reason;
    ExpectCardReady(path, result, source.channels, source.rate, source.tempo);
  }
  // The tags the table sets really reached the sources, so the equality above means something.
  const ReadBack mp3 = ReadBackFile(sources_->Path("a.mp3"), false);
  EXPECT_EQ(mp3.tags.title, "テストの歌");
  EXPECT_EQ(mp3.tags.track_total, 9);
  EXPECT_EQ(mp3.tags.tempo, 120);
  EXPECT_TRUE(mp3.tags.compilation);
  EXPECT_EQ(ReadBackFile(sources_->Path("a.flac"), false).tags.tempo, 120);
  const ReadBack movie_last = ReadBackFile(sources_->Path("last.mp4"), false);
  EXPECT_EQ(movie_last.major_brand, "mp42");
  EXPECT_EQ(movie_last.tags.grouping, "Grp");
  EXPECT_EQ(movie_last.tags.disc_total, 2);
}

TEST_F(ConvertSongTest, ABrokenOffMp3KeepsWhatDecodes) {
  const std::string path = sources_->Path("corrupt.mp3");
  const ConvertResult result = Convert(path);
  EXPECT_EQ(result.action, ConvertAction::kEncoded) << result.reason;
  ExpectCardReady(path, result, 2, 44100, 0);
  EXPECT_GT(ReadBackFile(result.song_path).decoded_seconds, 0.5);
}

TEST_F(ConvertSongTest, AnAcceptedAacSongIsNeverTouched) {
  const std::string path = sources_->Path("ready.m4a");
  ASSERT_TRUE(RunFfmpeg(Tone(kSeconds) + " -c:a aac -f ipod -movflags +faststart " + kTags + path));
  const auto bytes = files_.ReadWholeFile(path);
  const ConvertResult result = Convert(path);
  EXPECT_EQ(result.action, ConvertAction::kAccepted);
  EXPECT_EQ(result.song_path, path);
  EXPECT_EQ(files_.ReadWholeFile(path), bytes);
  EXPECT_TRUE(std::filesystem::is_empty(cache_dir_.path()));
}

TEST_F(ConvertSongTest, FilesWithoutPlayableAudioAreRefusedWithAReason) {
  const std::string text = sources_->Path("notes.txt");
  fakes::WriteFile(text, "not music at all\n");
  const std::string picture = sources_->Path("cover.png");
  ASSERT_TRUE(RunFfmpeg("-f lavfi -i color=c=red:s=16x16 -frames:v 1 " + picture));
  const std::string encrypted = sources_->Path("locked.mp4");
  ASSERT_TRUE(RunFfmpeg("-i " + sources_->Path("last.m4a") +
                        " -c copy -encryption_scheme cenc-aes-ctr"
                        " -encryption_key 00112233445566778899aabbccddeeff"
                        " -encryption_kid 00112233445566778899aabbccddeeff " +
                        encrypted));
  const std::map<std::string, std::pair<std::string, ConvertProblem>> reasons = {
      {text, {"cannot open", ConvertProblem::kCannotOpen}},
      {picture, {"no audio stream", ConvertProblem::kNoAudio}},
      {encrypted, {"encrypted", ConvertProblem::kEncrypted}},
      {sources_->Path("missing.mp3"), {"cannot open", ConvertProblem::kCannotOpen}},
  };
  for (const auto& [path, reason] : reasons) {
    SCOPED_TRACE(path);
    const ConvertResult result = Convert(path);
    EXPECT_EQ(result.action, ConvertAction::kRefused);
    EXPECT_NE(result.reason.find(reason.first), std::string::npos) << result.reason;
    EXPECT_EQ(result.problem, reason.second);
    EXPECT_TRUE(result.song_path.empty());
  }
  EXPECT_TRUE(std::filesystem::is_empty(cache_dir_.path()));
}

TEST_F(ConvertSongTest, TheCacheFindsAMovedSourceAndKeepsSettingsApart) {
  const std::string path = sources_->Path("a.flac");
  const ConvertResult first = Convert(path);
  ASSERT_EQ(first.action, ConvertAction::kEncoded);
  EXPECT_FALSE(first.from_cache);
  const std::string moved = sources_->Path("moved elsewhere.flac");
  std::filesystem::copy_file(path, moved);
  const ConvertResult again = Convert(moved);
  EXPECT_TRUE(again.from_cache);
  EXPECT_EQ(again.action, ConvertAction::kEncoded);
  EXPECT_EQ(again.song_path, first.song_path);
  const ConvertResult other_rate =
      ConvertSong(files_, cache_, helper_, path, ConvertSettings{true, 192}, cancel_);
  EXPECT_FALSE(other_rate.from_cache);
  EXPECT_NE(other_rate.song_path, first.song_path);
  // A remux does not depend on the bit rate.
  const ConvertResult remux = Convert(sources_->Path("a.aac"));
  const ConvertResult remux_again =
      ConvertSong(files_, cache_, helper_, sources_->Path("a.aac"), ConvertSettings{true, 256}, cancel_);
  EXPECT_TRUE(remux_again.from_cache);
  EXPECT_EQ(remux_again.action, ConvertAction::kRemuxed);
  EXPECT_EQ(remux_again.song_path, remux.song_path);
}

}  // namespace
}  // namespace tarvello
