// Shift-JIS tags that were read as Latin-1 come back as Japanese; text that really is
// Latin-1 (or Windows-1252 read as Latin-1) is never touched.

#include "convert/misread_shift_jis.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "common/cp932.h"
#include "convert/made_sources.h"
#include "convert/helper/ffmpeg_probe.h"
#include "platform/posix/posix_file_system.h"

namespace tarvello {
namespace {

// What FFmpeg makes of `bytes` in a frame that says ISO-8859-1: each byte one character.
std::string ReadAsLatin1(const std::string& bytes) {
  std::string utf8;
  for (const char byte : bytes) {
    const auto code = static_cast<unsigned char>(byte);
    if (code < 0x80) {
      utf8.push_back(byte);
    } else {
      utf8.push_back(static_cast<char>(0xC0 | (code >> 6)));
      utf8.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
  }
  return utf8;
}

TEST(MisreadShiftJisTest, JapaneseTextComesBackWhole) {
  for (const std::string japanese :
       {"さくら", "桜坂", "カラオケ", "残酷な天使のテーゼ", "ＡＢＣの全角", "B'z - ultra soul",
        "ｶﾀｶﾅ と ひらがな", "第九 (ベートーヴェン)", "椎名林檎", "Mr.Children「名もなき詩」",
        "宇多田ヒカル", "ドラえもん", "～波ダッシュ～"}) {
    SCOPED_TRACE(japanese);
    const std::string misread = ReadAsLatin1(Utf8ToCp932(japanese));
    EXPECT_EQ(RepairMisreadShiftJis(misread), Cp932ToUtf8(Utf8ToCp932(japanese)));
  }
}

TEST(MisreadShiftJisTest, RealLatin1AndOtherTextIsLeftAlone) {
  // Windows-1252 quotation marks and dashes arrive as C1 characters (U+0080-U+009F).
  for (const std::string text :
       {"Crème Brûlée", "Mötley Crüe", "Björk", "Sigur Rós", "Beyoncé", "Café del Mar",
        "Françoise Hardy", "Ærøskøbing", "Señor Ñandú", "Don\u0092t Stop", "\u0093Quoted\u0094",
        "Rock \u0096 Roll", "Dvořák", "plain ASCII", "", "日本語は既に UTF-8", "Ñ", "ÿ",
        "Gr\u00fc\u00dfe"}) {
    SCOPED_TRACE(text);
    EXPECT_EQ(RepairMisreadShiftJis(text), text);
  }
}

// An ID3v2.3 tag with one title frame marked ISO-8859-1, holding `bytes`.
std::string Id3TitleTag(const std::string& bytes) {
  const std::string body = std::string(1, '\0') + bytes;
  std::string frame = "TIT2";
  for (int shift = 24; shift >= 0; shift -= 8) frame.push_back(char((body.size() >> shift) & 0xFF));
  frame += std::string(2, '\0') + body;
  std::string tag = std::string("ID3\x03\x00\x00", 6);
  for (int shift = 21; shift >= 0; shift -= 7) tag.push_back(char((frame.size() >> shift) & 0x7F));
  return tag + frame;
}

TEST(MisreadShiftJisTest, AnMp3WithAShiftJisTitleIsListedInJapanese) {
  if (!testing::HaveFfmpeg()) GTEST_SKIP() << "the ffmpeg command is not installed";
  fakes::TempDir dir;
  const std::string bare = dir.path() + "/bare.mp3";
  ASSERT_TRUE(testing::RunFfmpeg(testing::Tone(0.5) + " -write_id3v2 0 -c:a libmp3lame " +
                                 testing::Quoted(bare)));
  std::ifstream in(bare, std::ios::binary);
  const std::string audio((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::string tagged = dir.path() + "/tagged.mp3";
  std::ofstream(tagged, std::ios::binary) << Id3TitleTag(Utf8ToCp932("さくらの唄")) << audio;

  PosixFileSystem files;
  const SourceProbe probe = ProbeSource(files, tagged);
  ASSERT_EQ(probe.kind, SourceKind::kEncode) << probe.reason;
  EXPECT_EQ(probe.tags.title, "さくらの唄");
}

}  // namespace
}  // namespace tarvello
