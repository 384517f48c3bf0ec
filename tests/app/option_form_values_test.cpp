// The options dialog's values: loading, storing on OK, the chosen folder, the About texts.

#include <gtest/gtest.h>

#include "app/option_form_values.h"
#include "app/version_info.h"

namespace tarvello {
namespace {

TEST(OptionFormValues, StoredIndexesOutsideTheirListsSelectNothing) {
  TOutputOptions options;
  options.OutDir = "\\\x83\x7D\x83\x43";  // "\マイ" in CP932
  options.TitleFormat = 2;
  options.Separator = 9;
  options.AutoImport = false;
  const OptionFormValues values = LoadOptionForm(options);
  EXPECT_EQ(values.out_dir, "\\マイ");
  EXPECT_EQ(values.title_format, 2);
  EXPECT_EQ(values.separator, kNoItem);
  EXPECT_FALSE(values.auto_import);
  EXPECT_TRUE(values.backup);
  options.TitleFormat = 3;
  EXPECT_EQ(LoadOptionForm(options).title_format, kNoItem);
}

TEST(OptionFormValues, OkTakesTheFolderRuleAndKeepsEverythingElseAsTyped) {
  TOutputOptions options;
  OptionFormValues values{"PRIVATE\\MUSIC\\", "", "", 1, kNoItem, true, false};
  StoreOptionForm(values, options);
  EXPECT_EQ(options.OutDir, "\\PRIVATE\\MUSIC");
  EXPECT_EQ(options.Prefix, "");
  EXPECT_EQ(options.Ext, "");
  EXPECT_EQ(options.TitleFormat, 1);
  EXPECT_EQ(options.Separator, 0);  // never an index beyond the separators
  EXPECT_TRUE(options.AutoImport);
  EXPECT_FALSE(options.BackupBeforeOutput);

  values.out_dir = "";
  values.prefix = "日本";  // four bytes in CP932: cut to the one whole character that fits
  values.ext = "M4A";
  values.separator = 7;
  StoreOptionForm(values, options);
  EXPECT_EQ(options.OutDir, "\\");
  EXPECT_EQ(options.Prefix, "\x93\xfa");
  EXPECT_EQ(options.Ext, "M4A");
  EXPECT_EQ(options.Separator, 7);
  values.out_dir = "\\";
  StoreOptionForm(values, options);
  EXPECT_EQ(options.OutDir, "\\");
}

TEST(OptionFormValues, AChosenFolderIsTakenBelowItsVolume) {
  const std::vector<std::string> mounts = {"/", "/media/card", "/media/card2"};
  EXPECT_EQ(OutDirFromFolder("/media/card/PRIVATE/AU/DF/D_SD", mounts), "\\PRIVATE\\AU\\DF\\D_SD");
  EXPECT_EQ(OutDirFromFolder("/media/card", mounts), "\\");
  EXPECT_EQ(OutDirFromFolder("/media/card/", mounts), "\\");
  EXPECT_EQ(OutDirFromFolder("/media/card2/M", mounts), "\\M");
  EXPECT_EQ(OutDirFromFolder("/media/cardboard/M", mounts), "\\media\\cardboard\\M");
  EXPECT_EQ(OutDirFromFolder("/home/me", {}), "\\home\\me");
}

TEST(OptionFormValues, OnlyTheFolderAndTheImportSwitchSetOffTheFollowUp) {
  TOutputOptions options;
  EXPECT_FALSE(OutputFolderOptionsChanged(options.OutDir, options.AutoImport, options));
  EXPECT_TRUE(OutputFolderOptionsChanged("\\private\\au\\df\\d_sd", true, options));
  EXPECT_TRUE(OutputFolderOptionsChanged(options.OutDir, false, options));
}

TEST(AboutTexts, ComeFromTheVersionOrKeepTheirDesignTexts) {
  const AboutTexts texts = MakeAboutTexts("Tarvello", ProgramVersionInfo());
  EXPECT_EQ(texts.caption, "About Tarvello");
  EXPECT_EQ(texts.product_name, "Tarvello");
  EXPECT_EQ(texts.version, "Version 1.4 (1.4.0.0)");
  EXPECT_FALSE(texts.copyright.empty());
  EXPECT_TRUE(texts.show_picture);

  const AboutTexts same = MakeAboutTexts("T", VersionInfo{"N", "2.0", "2.0", "C"});
  EXPECT_EQ(same.version, "Version 2.0 (2.0)");
  const AboutTexts none = MakeAboutTexts("Tarvello", std::nullopt);
  EXPECT_EQ(none.caption, "About Tarvello");
  EXPECT_EQ(none.product_name, "Application Name");
  EXPECT_EQ(none.version, "Version 1.0.0.0");
  EXPECT_EQ(none.copyright, "Copyright (C)");
  EXPECT_FALSE(none.show_picture);
}

}  // namespace
}  // namespace tarvello
