// Existence checks for many files at once must answer exactly as one check per file,
// whichever way a folder is read.

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "fakes/fake_platform.h"
#include "platform/posix/posix_file_system.h"

namespace tarvello {
namespace {

using fakes::TempDir;
using fakes::WriteFile;

TEST(FilesExistTest, AnswersAsOneCheckPerFileForEveryKindOfEntry) {
  TempDir dir;
  std::vector<std::string> paths;
  for (int i = 0; i < 40; ++i) {
    const std::string song = dir.Path("songs/" + std::to_string(i) + ".m4a");
    if (i % 3 != 0) WriteFile(song, "x");  // every third song is missing
    paths.push_back(song);
  }
  WriteFile(dir.Path("songs/target"), "t");
  ASSERT_EQ(::mkdir(dir.Path("songs/folder.m4a").c_str(), 0755), 0);
  ASSERT_EQ(::symlink("target", dir.Path("songs/link.m4a").c_str()), 0);
  ASSERT_EQ(::symlink("folder.m4a", dir.Path("songs/dirlink.m4a").c_str()), 0);
  ASSERT_EQ(::symlink("nowhere", dir.Path("songs/broken.m4a").c_str()), 0);
  ASSERT_EQ(::mkfifo(dir.Path("songs/pipe.m4a").c_str(), 0644), 0);
  for (const char* name :
       {"folder.m4a", "link.m4a", "dirlink.m4a", "broken.m4a", "pipe.m4a", "1.m4a", ".", ".."}) {
    paths.push_back(dir.Path(std::string("songs/") + name));
  }
  // A few paths outside the big folder, and odd shapes.
  paths.push_back(dir.Path("alone.m4a"));
  WriteFile(dir.Path("alone.m4a"), "a");
  paths.push_back(dir.Path("missing-folder/x.m4a"));
  paths.push_back("relative-without-folder.m4a");
  paths.push_back(dir.Path("songs/"));
  paths.push_back("");

  PosixFileSystem files;
  const std::vector<bool> batch = files.FilesExist(paths);
  ASSERT_EQ(batch.size(), paths.size());
  int found = 0;
  for (size_t i = 0; i < paths.size(); ++i) {
    EXPECT_EQ(batch[i], files.FileExists(paths[i])) << paths[i];
    found += batch[i] ? 1 : 0;
  }
  // 26 songs, the link, the pipe, "1.m4a" asked twice, and alone.m4a.
  EXPECT_EQ(found, 26 + 1 + 1 + 1 + 1);
}

// Twenty songs in one folder, enough for the batch to read the folder's listing.
std::vector<std::string> TwentySongs(const TempDir& dir, const std::string& spelling = "Song") {
  std::vector<std::string> paths;
  for (int i = 0; i < 20; ++i) {
    WriteFile(dir.Path("songs/Song" + std::to_string(i) + ".m4a"), "x");
    paths.push_back(dir.Path("songs/" + spelling + std::to_string(i) + ".m4a"));
  }
  return paths;
}

TEST(FilesExistTest, AFolderWithoutSearchPermissionAnswersAsTheOneFileTest) {
  if (::geteuid() == 0) {
    GTEST_SKIP() << "running as root, which may search any folder; run as a user to test";
  }
  TempDir dir;
  const std::vector<std::string> paths = TwentySongs(dir);
  ASSERT_EQ(::chmod(dir.Path("songs").c_str(), 0644), 0);
  PosixFileSystem files;
  const std::vector<bool> batch = files.FilesExist(paths);
  ::chmod(dir.Path("songs").c_str(), 0755);  // lets the folder be removed
  for (size_t i = 0; i < paths.size(); ++i) EXPECT_FALSE(batch[i]) << paths[i];
}

// File names compared without regard to case, as on a FAT card.
class CaseBlindFileSystem : public PosixFileSystem {
 public:
  bool FileExists(const std::string& path) override {
    const size_t slash = path.rfind('/');
    const std::string wanted = Lower(path.substr(slash + 1));
    for (const DirEntry& entry : ListDirectory(path.substr(0, slash))) {
      if (Lower(entry.name) == wanted) return !entry.is_directory;
    }
    return false;
  }

 private:
  static std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
  }
};

TEST(FilesExistTest, NamesSpelledOtherwiseThanListedAnswerAsTheOneFileTest) {
  TempDir dir;
  const std::vector<std::string> paths = TwentySongs(dir, "SONG");
  CaseBlindFileSystem files;
  const std::vector<bool> batch = files.FilesExist(paths);
  for (size_t i = 0; i < paths.size(); ++i) {
    EXPECT_EQ(batch[i], files.FileExists(paths[i])) << paths[i];
    EXPECT_TRUE(batch[i]) << paths[i];
  }
}

}  // namespace
}  // namespace tarvello
