// Existence checks for many files at once must answer exactly as one check per file,
// whichever way a folder is read.

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace tarvello
