// The extra settings file: what it reads back, what it refuses, and that the card options
// stored there survive alongside keys written by others.

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "app/card_options.h"
#include "common/extra_settings.h"
#include "fakes/fake_platform.h"

namespace tarvello {
namespace {

using fakes::ReadFile;
using fakes::TempDir;
using fakes::WriteFile;

// Random keys and values (printable, with blanks inside and "=" in values) come back as
// set after a write and a parse.
TEST(ExtraSettingsTest, WhatIsWrittenParsesBackToTheSameValues) {
  std::mt19937 random(42);
  const std::vector<std::string> alphabet = {"a", "b", "X", "_", ".", "0", " ", "=", "あ", "#"};
  auto text = [&](bool key) {
    std::string word;
    const int length = std::uniform_int_distribution<int>(1, 8)(random);
    for (int i = 0; i < length; ++i) {
      word += alphabet[std::uniform_int_distribution<size_t>(0, alphabet.size() - 1)(random)];
    }
    if (key) {
      std::erase(word, '=');
      std::erase(word, ' ');
      if (word.empty() || word[0] == '#' || word[0] == '[') word = "k" + word;
    } else {
      while (!word.empty() && word.back() == ' ') word.pop_back();
      while (!word.empty() && word.front() == ' ') word.erase(0, 1);
    }
    return word;
  };
  for (int round = 0; round < 200; ++round) {
    ExtraSettings settings;
    std::map<std::string, std::string> model;
    for (int entry = 0; entry < 6; ++entry) {
      const std::string key = text(true);
      const std::string value = text(false);
      settings.Set(kCardSection, key, value);
      model[key] = value;
    }
    const ExtraSettings parsed = ExtraSettings::Parse(settings.Write());
    EXPECT_EQ(parsed, settings);
    for (const auto& [key, value] : model) EXPECT_EQ(parsed.Get(kCardSection, key), value) << key;
  }
}

TEST(ExtraSettingsTest, BadValuesAndBadFilesGiveTheDefaults) {
  const ExtraSettings settings = ExtraSettings::Parse(
      "# comment\r\nflag = 2\r\nnumber=12x\r\nbig=1000\r\nno equals sign\r\n=orphan\r\nok=7\r\n");
  EXPECT_TRUE(settings.GetBool(kCardSection, "flag", true));
  EXPECT_FALSE(settings.GetBool(kCardSection, "flag", false));
  EXPECT_EQ(settings.GetInt(kCardSection, "number", 5, 0, 999), 5);
  EXPECT_EQ(settings.GetInt(kCardSection, "big", 5, 0, 999), 5);
  EXPECT_EQ(settings.GetInt(kCardSection, "ok", 5, 0, 999), 7);
  EXPECT_FALSE(settings.Get(kCardSection, "").has_value());
  // Not UTF-8: nothing of it is taken.
  EXPECT_FALSE(ExtraSettings::Parse("ok=7\n\xff\xfe").Get(kCardSection, "ok").has_value());

  ExtraSettings refused;
  refused.Set(kCardSection, "a=b", "1");
  refused.Set(kCardSection, "[a", "1");
  refused.Set("A]", "a", "1");
  refused.Set(kCardSection, "line", "one\ntwo");
  refused.Set(kCardSection, "bytes", "\x82\xa0");  // CP932: one bad value would spoil the whole file
  EXPECT_EQ(refused.Write(), "");
}

TEST(CardOptionsTest, DefaultsThenStoredBesideTheSettingsFileKeepingOtherKeys) {
  TempDir dir;
  fakes::LockingFileSystem files;
  const std::string ini = dir.Path("tarvello.INI");
  EXPECT_EQ(ExtraSettingsFileName(ini), dir.Path("tarvello-extra.ini"));
  EXPECT_EQ(ExtraSettingsFileName("/a.b/tarvello"), "/a.b/tarvello-extra.ini");

  CardOptions options;
  options.Load(files, ini);
  EXPECT_TRUE(options.verify());
  EXPECT_EQ(options.backups_to_keep(), 0);

  WriteFile(dir.Path("tarvello-extra.ini"), "convert_bitrate=256\n");
  OptionFormValues form;
  form.verify = false;
  form.backups_to_keep = 3;
  options.FromForm(form);
  ASSERT_TRUE(options.Save(files));
  EXPECT_EQ(ReadFile(dir.Path("tarvello-extra.ini")),
            "[Card]\nbackups_to_keep=3\nconvert_bitrate=256\nverify_after_write=0\n");

  CardOptions again;
  again.Load(files, ini);
  OptionFormValues shown;
  again.ToForm(shown);
  EXPECT_FALSE(shown.verify);
  EXPECT_EQ(shown.backups_to_keep, 3);
}

}  // namespace
}  // namespace tarvello
