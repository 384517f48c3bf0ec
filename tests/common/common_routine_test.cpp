#include "common/common_routine.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "fakes/fake_platform.h"

namespace tarvello {
namespace {

using fakes::FakeEnvironment;
using fakes::FakeVolumes;
using fakes::FileOp;
using fakes::LockingFileSystem;
using fakes::ReadFile;
using fakes::TempDir;
using fakes::WriteFile;

TEST(GetTempFolderTest, TakesTempThenTmpdirThenTmp) {
  FakeEnvironment environment;
  EXPECT_EQ(GetTempFolder(environment), "/tmp/");
  environment.variables["TMPDIR"] = "/var/tmp";
  EXPECT_EQ(GetTempFolder(environment), "/var/tmp/");
  environment.variables["TEMP"] = "/home/me/tmp/";
  EXPECT_EQ(GetTempFolder(environment), "/home/me/tmp/");
  environment.variables["TEMP"] = "";  // an empty variable counts as unset
  EXPECT_EQ(GetTempFolder(environment), "/var/tmp/");
}

TEST(GetTempFolderTest, LongValuesStayWhole) {
  FakeEnvironment environment;
  const std::string longer = "/tmp/" + std::string(300, 'x');
  environment.variables["TEMP"] = longer;
  EXPECT_EQ(GetTempFolder(environment), longer + "/");
}

class SpecialFolderTest : public ::testing::Test {
 protected:
  void SetUp() override { environment_.home = home_.path(); }
  std::string Documents() { return GetSpecialFolderPath(environment_, files_, kCsidlPersonal); }
  TempDir home_;
  FakeEnvironment environment_;
  LockingFileSystem files_;
};

TEST_F(SpecialFolderTest, DocumentsDefaultsToTheHomeFolder) {
  EXPECT_EQ(Documents(), home_.path() + "/Documents");
}

TEST_F(SpecialFolderTest, DocumentsComeFromUserDirs) {
  WriteFile(home_.Path(".config/user-dirs.dirs"),
            "# written by xdg-user-dirs-update\n"
            "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
            "XDG_DOCUMENTS_DIR=\"$HOME/\\\"Doku\\\" mente/\"\n"
            "XDG_MUSIC_DIR=\"$HOME/Music\"\n");
  EXPECT_EQ(Documents(), home_.path() + "/\"Doku\" mente");
}

TEST_F(SpecialFolderTest, UserDirsThatCannotBeReadCountAsAbsent) {
  WriteFile(home_.Path(".config/user-dirs.dirs"), "XDG_DOCUMENTS_DIR=\"$HOME/Doku\"\n");
  files_.unreadable.insert(home_.Path(".config/user-dirs.dirs"));
  EXPECT_EQ(Documents(), home_.path() + "/Documents");
}

TEST_F(SpecialFolderTest, ConfigHomeAndAbsolutePathsAreHonoured) {
  TempDir config;
  environment_.variables["XDG_CONFIG_HOME"] = config.path();
  WriteFile(config.Path("user-dirs.dirs"), "XDG_DOCUMENTS_DIR=\"/srv/書類\"\r\n");
  WriteFile(home_.Path(".config/user-dirs.dirs"), "XDG_DOCUMENTS_DIR=\"$HOME/Wrong\"\n");
  EXPECT_EQ(Documents(), "/srv/書類");
}

TEST_F(SpecialFolderTest, InvalidEntriesFallBackToDocuments) {
  WriteFile(home_.Path(".config/user-dirs.dirs"),
            "XDG_DOCUMENTS_DIR=relative/path\n"
            "XDG_DOCUMENTS_DIR=\"relative\"\n"
            "XDG_DOCUMENTS_DIRX=\"/elsewhere\"\n");
  EXPECT_EQ(Documents(), home_.path() + "/Documents");
}

TEST_F(SpecialFolderTest, UnknownFoldersAreEmpty) {
  EXPECT_EQ(GetSpecialFolderPath(environment_, files_, 0), "");
  EXPECT_EQ(GetSpecialFolderPath(environment_, files_, 13), "");
  EXPECT_EQ(GetSpecialFolderPath(environment_, files_, -1), "");
}

TEST(GetDriveLettersTest, ListsVolumesInMountPointOrder) {
  FakeVolumes volumes;
  volumes.Add("/media/z", "Z (/media/z)");
  volumes.Add("/media/a", "A (/media/a)");
  volumes.Add("/media/c", "C (/media/c)").removed = true;
  const std::vector<VolumeEntry> listed = GetDriveLetters(volumes);
  ASSERT_EQ(listed.size(), 2u);
  EXPECT_EQ(listed[0].root, "/media/a");
  EXPECT_EQ(listed[1].root, "/media/z");
}

class TempNameTest : public ::testing::Test {
 protected:
  std::string Make() { return MakeTempFileName(files_, counter_, folder_, "VARKELIN", "TMP"); }
  TempDir dir_;
  std::string folder_ = dir_.path() + "/";
  LockingFileSystem files_;
  TempNameCounter counter_;
};

TEST_F(TempNameTest, NumbersCountUpAndSkipTakenNames) {
  EXPECT_EQ(Make(), folder_ + "~VARKELIN00000.TMP");
  WriteFile(folder_ + "~VARKELIN00002.TMP", "taken");
  ASSERT_TRUE(files_.CreateDirectories(folder_ + "~VARKELIN00003.TMP"));
  EXPECT_EQ(Make(), folder_ + "~VARKELIN00001.TMP");
  EXPECT_EQ(Make(), folder_ + "~VARKELIN00004.TMP");  // each candidate used up a number
  EXPECT_EQ(counter_.value(), 5);
}

TEST_F(TempNameTest, NumbersGrowPastFiveDigits) {
  while (counter_.value() < 99999) counter_.Next();
  EXPECT_EQ(Make(), folder_ + "~VARKELIN99999.TMP");
  EXPECT_EQ(Make(), folder_ + "~VARKELIN100000.TMP");
}

TEST_F(TempNameTest, OtherPrefixesShareTheCounter) {
  EXPECT_EQ(MakeTempFileName(files_, counter_, folder_, "RN", "TMP"), folder_ + "~RN00000.TMP");
  EXPECT_EQ(Make(), folder_ + "~VARKELIN00001.TMP");
}

class ReadablePathTest : public ::testing::Test {
 protected:
  std::string Readable(const std::string& path, bool copy = true) {
    return GetReadablePath(files_, counter_, path, copy, temp_.path() + "/", kCopyPrefix,
                           kCopyExtension);
  }
  TempDir music_;
  TempDir temp_;
  LockingFileSystem files_;
  TempNameCounter counter_;
  std::string song_ = music_.Path("曲.m4a");
};

TEST_F(ReadablePathTest, ReadableFilesAreReadInPlace) {
  WriteFile(song_, "ftyp");
  EXPECT_EQ(Readable(song_), song_);
  EXPECT_EQ(files_.copy_to_new_calls, 0);
  EXPECT_EQ(counter_.value(), 0);
}

TEST_F(ReadablePathTest, MissingFilesGiveNothing) {
  EXPECT_EQ(Readable(music_.Path("missing.m4a")), "");
  EXPECT_EQ(Readable(music_.path()), "");  // a folder is not a file
  EXPECT_EQ(Readable(""), "");
  EXPECT_EQ(files_.copy_to_new_calls, 0);
  EXPECT_TRUE(files_.ListDirectory(temp_.path()).empty());
}

TEST_F(ReadablePathTest, LockedFilesAreReadFromAFreshCopy) {
  WriteFile(song_, "locked song");
  files_.locked.insert(song_);
  const std::string copy = Readable(song_);
  EXPECT_EQ(copy, temp_.Path("~VARKELIN00000.TMP"));
  EXPECT_EQ(ReadFile(copy), "locked song");
  EXPECT_EQ(Readable(song_, /*copy=*/false), "");
}

TEST_F(ReadablePathTest, CopiesNeverReuseANumber) {
  WriteFile(song_, "locked song");
  files_.locked.insert(song_);
  const std::string first = Readable(song_);
  ASSERT_TRUE(files_.DeleteFile(first));  // read and thrown away, as callers do
  const std::string second = Readable(song_);
  EXPECT_EQ(second, temp_.Path("~VARKELIN00001.TMP"));
  EXPECT_NE(first, second);
}

TEST_F(ReadablePathTest, ANameTakenJustBeforeTheCopyMovesOnToTheNextNumber) {
  WriteFile(song_, "locked song");
  files_.locked.insert(song_);
  // Another program takes the free name between the test and the copy.
  files_.before = [&](FileOp op, int call) {
    if (op == FileOp::kCopyToNew && call == 1) WriteFile(temp_.Path("~VARKELIN00000.TMP"), "its");
  };
  EXPECT_EQ(Readable(song_), temp_.Path("~VARKELIN00001.TMP"));
  EXPECT_EQ(ReadFile(temp_.Path("~VARKELIN00000.TMP")), "its");
  EXPECT_EQ(ReadFile(temp_.Path("~VARKELIN00001.TMP")), "locked song");
  EXPECT_EQ(counter_.value(), 2);
}

TEST_F(ReadablePathTest, APlantedLinkIsPassedOverAndTheCopyIsPrivate) {
  WriteFile(song_, "locked song");
  files_.locked.insert(song_);
  const std::string victim = music_.Path("victim");
  ASSERT_EQ(::symlink(victim.c_str(), temp_.Path("~VARKELIN00000.TMP").c_str()), 0);
  const std::string copy = Readable(song_);
  EXPECT_EQ(copy, temp_.Path("~VARKELIN00001.TMP"));
  EXPECT_FALSE(files_.FileExists(victim));
  struct stat info {};
  ASSERT_EQ(::lstat(copy.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(ReadablePathTest, AFailedCopyGivesNothing) {
  WriteFile(song_, "locked song");
  files_.locked.insert(song_);
  files_.FailAt(FileOp::kCopyToNew, 1);
  EXPECT_EQ(Readable(song_), "");
  EXPECT_TRUE(files_.ListDirectory(temp_.path()).empty());
  // A copy into a folder that does not exist fails the same way.
  EXPECT_EQ(GetReadablePath(files_, counter_, song_, true, temp_.Path("none/"), kCopyPrefix,
                            kCopyExtension),
            "");
}

}  // namespace
}  // namespace tarvello
