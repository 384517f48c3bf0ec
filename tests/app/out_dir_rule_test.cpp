// The output folder's dot rule, the same at every door: the settings file, the options
// dialog and the rule itself, against std::filesystem's lexical normal form as the model.

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "app/option_form_values.h"
#include "app/settings.h"
#include "common/cp932.h"
#include "output/drives.h"
#include "output/output_folder_rule.h"

namespace tarvello {
namespace {

std::string WithoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// The model: a folder is sound when normalising it lexically changes nothing but
// doubled and trailing slashes, i.e. no part of it is "." or "..".
bool LexicallyPlain(const std::string& path) {
  std::string collapsed;
  for (const char c : path) {
    if (c == '/' && !collapsed.empty() && collapsed.back() == '/') continue;
    collapsed += c;
  }
  const std::string normal = std::filesystem::path(path).lexically_normal().string();
  return WithoutTrailingSlashes(normal) == WithoutTrailingSlashes(collapsed);
}

// OutDir texts (UTF-8) from parts that look like dots and parts that only resemble them.
std::string RandomOutDir(std::mt19937& random) {
  static const std::vector<std::string> parts = {"",        ".",  "..", "...",  ".a", "a.",  "a..b",
                                                 "PRIVATE", "表", "．", "．．", "ソ", ". .", "x"};
  static const std::vector<std::string> separators = {"\\", "/", "\\\\"};
  std::uniform_int_distribution<size_t> part(0, parts.size() - 1);
  std::uniform_int_distribution<size_t> separator(0, separators.size() - 1);
  std::uniform_int_distribution<int> count(1, 5);
  std::string out_dir = random() % 4 == 0 ? "" : "\\";
  for (int n = count(random); n > 0; --n) {
    out_dir += parts[part(random)];
    if (n > 1 || random() % 3 == 0) out_dir += separators[separator(random)];
  }
  return out_dir;
}

TEST(OutDirRuleTest, EveryDoorRefusesExactlyTheFoldersThatLeaveOrStandStill) {
  const unsigned seed = std::random_device{}();
  std::mt19937 random(seed);
  const std::string root = "/media/card";
  for (int i = 0; i < 3000; ++i) {
    const std::string typed = RandomOutDir(random);
    SCOPED_TRACE("seed " + std::to_string(seed) + ", OutDir \"" + typed + "\"");
    const std::string out_dir = NormalizeOutDir(Utf8ToCp932(typed));
    const std::string folder = OutputFolderPath(root, out_dir);
    const bool sound = LexicallyPlain(folder);

    EXPECT_EQ(OutDirHasDotParts(out_dir), !sound);
    if (sound) {
      const std::string normal = std::filesystem::path(folder).lexically_normal().string();
      EXPECT_TRUE(normal.starts_with(root)) << normal;
    }

    // The settings file: a refused folder gives the default, a sound one is kept and,
    // once the folder rule has taken its one trailing backslash, written back byte for byte.
    Settings settings;
    settings.options.OutDir = "\\EARLIER";
    ReadSettings("OUTDIR = " + out_dir + "\r\n", settings);
    EXPECT_EQ(settings.options.OutDir, sound ? NormalizeOutDir(out_dir) : TOutputOptions{}.OutDir);
    if (sound && NormalizeOutDir(settings.options.OutDir) == settings.options.OutDir) {
      const std::string written = WriteSettings(settings);
      Settings again;
      ReadSettings(written, again);
      EXPECT_EQ(WriteSettings(again), written);
    }

    // The options dialog: OK is refused with its message, and storing keeps the old folder.
    OptionFormValues values = LoadOptionForm(TOutputOptions{});
    values.out_dir = typed;
    EXPECT_EQ(OptionFormRefusal(values).empty(), sound);
    TOutputOptions options;
    options.OutDir = "\\OLD";
    StoreOptionForm(values, options);
    EXPECT_EQ(options.OutDir, sound ? out_dir : "\\OLD");
  }
}

TEST(OutDirRuleTest, TheSecondByteOfADoubleByteCharacterSeparatesNothing) {
  // "表" is 95 5C in CP932: its second byte is a backslash byte, yet ". 表." is no dot part.
  EXPECT_FALSE(OutDirHasDotParts("\\.\x95\x5C."));
  EXPECT_TRUE(OutDirHasDotParts("\\\x95\x5C\\.."));
  EXPECT_EQ(OptionFormRefusal({"\\..\\victim", "SDS", "3G2", 0, 0, true, true}),
            "出力先フォルダに「.」や「..」は指定できません.");
}

}  // namespace
}  // namespace tarvello
