#include "common/closest_cp932.h"

#include <gtest/gtest.h>
#include <unicode/utf8.h>

#include <string>

#include "catalogue/track_info.h"
#include "common/cp932.h"

namespace tarvello {
namespace {

struct Name {
  const char* utf8;
  std::string cp932;
};

const Name kNames[] = {
    {"Beyoncé", "Beyonce"},
    {"Mötley Crüe", "Motley Crue"},
    {"Sigur Rós", "Sigur Ros"},
    {"Ærø ß Œuvre", "AEro ss OEuvre"},
    {"Łódź", "Lodz"},
    {"Dvořák", "Dvorak"},
    {"ﬁnal ǅ", "final Dz"},  // ligatures
    {"Ágætis byrjun", "Agaetis byrjun"},
    {"Beyonce\u0301", "Beyonce"},            // a combining accent CP932 lacks
    {"\u304B\u3099", "\x82\xAA"},            // か and a combining voiced mark: が
    {"张学友", "\x92\xA3\x8A\x77\x97\x46"},  // 張学友
    {"邓丽君", "\xFB\xB9\x97\xED\x8C\x4E"},  // 鄧麗君, 鄧 an IBM extension
    {"这是 周杰倫", "\x94\x87\x90\xA5 \x8E\xFC\x9E\x5E\x97\xCF"},  // 這是 周杰倫
    {"방탄소년단", "bangtansonyeondan"},
    {"아이유", "aiyu"},
    {"ภาษาไทย", "phas'a thiy"},
    {"فيروز", "fyrwz"},
    {"שלום", "slwm"},
    {"नमस्ते", "namaste"},
    {"Sơn Tùng M-TP", "Son Tung M-TP"},
    {"Hồ Chí Minh", "Ho Chi Minh"},
    {"Ελληνικά", "\x83\xA3\x83\xC9\x83\xC9\x83\xC5\x83\xCB\x83\xC7\x83\xC8\x83\xBF"},  // Ελληνικα
    {"Кино", "\x84\x4B\x84\x79\x84\x7E\x84\x80"},
    {"Їжак", "I\x84\x77\x84\x70\x84\x7B"},  // Ukrainian Ї has no CP932 form: Iжак
    {"ＡＢＣ１２３", "\x82\x60\x82\x61\x82\x62\x82\x50\x82\x51\x82\x52"},
    {"〜ラブ・ソング〜", "\x81\x60\x83\x89\x83\x75\x81\x45\x83\x5C\x83\x93\x83\x4F\x81\x60"},
    {"さくらの唄 ∞", "\x82\xB3\x82\xAD\x82\xE7\x82\xCC\x89\x53 \x81\x87"},
    {"🎵 Halo ❤️", "? Halo ?"},
    {"\xFF\xFE", "??"},  // not UTF-8
    {"Beyoncé — Halo 张学友 방탄 Ærø ß ō ∞ 🎵",
     "Beyonce \x81\x5C Halo \x92\xA3\x8A\x77\x97\x46 bangtan AEro ss o \x81\x87 ?"},
};

TEST(ClosestCp932Test, NamesOfEveryScriptTakeTheirClosestCp932Form) {
  for (const Name& name : kNames) {
    EXPECT_EQ(Utf8ToClosestCp932(name.utf8), name.cp932) << name.utf8;
    // Neighbours CP932 holds are never touched: full-width and one-way mapped alike.
    EXPECT_EQ(Utf8ToClosestCp932(std::string("Ａ") + name.utf8 + "\u301C"),
              "\x82\x60" + name.cp932 + "\x81\x60")
        << name.utf8;
  }
}

TEST(ClosestCp932Test, EveryCharacterCp932HoldsConvertsAsBefore) {
  for (UChar32 c = 0; c < 0x10000; ++c) {
    if (U_IS_SURROGATE(c)) continue;
    char utf8[U8_MAX_LENGTH];
    int32_t length = 0;
    U8_APPEND_UNSAFE(utf8, length, c);
    const std::string_view text(utf8, static_cast<size_t>(length));
    const std::string plain = Utf8ToCp932(text);
    if (plain == "?" && c != '?') continue;
    ASSERT_EQ(Utf8ToClosestCp932(text), plain) << "U+" << std::hex << c;
  }
}

TEST(ClosestCp932Test, TheFieldCutComesAfterTheReplacement) {
  TTrackInfo track{};
  const std::string start(62, 'a');
  StoreText(track.Title, Utf8ToClosestCp932(start + "ßé"));  // "ss" then "e": 65 bytes
  EXPECT_EQ(FieldText(track.Title), start + "ss");
  StoreText(track.Title, Utf8ToClosestCp932(start + "é张"));  // "e" then 張 whole or not at all
  EXPECT_EQ(FieldText(track.Title), start + "e");
  StoreText(track.Title, Utf8ToClosestCp932(start + "张"));
  EXPECT_EQ(FieldText(track.Title), start + "\x92\xA3");
}

}  // namespace
}  // namespace tarvello
