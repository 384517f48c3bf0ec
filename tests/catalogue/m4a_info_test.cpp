// The JSON lines of `tarvello-cli info`: the record's fields, and one line per
// file with the exit status.

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <sstream>
#include <string>
#include <system_error>

#include "catalogue/box_builder.h"
#include "catalogue/m4a_info.h"
#include "catalogue/m4a_memory_files.h"
#include "catalogue/track_json.h"
#include "platform/platform.h"

namespace tarvello {
namespace {

TEST(TrackJsonLineTest, RefusedFileHasOnlyPathAndFlag) {
  EXPECT_EQ(TrackJsonLine("/m/a.m4a", nullptr), R"({"path":"/m/a.m4a","accepted":false})");
}

TEST(TrackJsonLineTest, EveryFieldByNameInRecordOrder) {
  TTrackInfo track{};
  track.TrackID = 7;
  StoreText(track.Title, "\x93\xFA\x96\x7B");  // 日本 in CP932
  track.Time = 215;
  StoreText(track.Artist, "A \"quoted\" name");
  StoreText(track.Year, "2004");
  StoreText(track.Comment, "line\r\nbreak");
  track.TrackNo = 3;
  track.TrackTotal = 12;
  track.DiskNo = -1;
  track.Compilation = 1;
  track.ChNum = 2;
  track.SampleRate = 44100;
  track.BitRate = 160000;
  track.FileSize = int64_t{5} * 1000 * 1000 * 1000;
  StoreText(track.FileName, "/music/\xE6\x97\xA5\xFF.m4a");
  EXPECT_EQ(TrackJsonLine("/music/\xE6\x97\xA5\xFF.m4a", &track),
            "{\"path\":\"/music/日\xEF\xBF\xBD.m4a\",\"accepted\":true,\"Deleted\":0,"
            "\"TrackID\":7,\"Title\":\"日本\",\"Time\":215,"
            "\"Artist\":\"A \\\"quoted\\\" name\",\"Album\":\"\",\"Genre\":\"\","
            "\"Year\":\"2004\",\"Writer\":\"\",\"Group\":\"\","
            "\"Comment\":\"line\\u000d\\u000abreak\",\"Tool\":\"\",\"TrackNo\":3,"
            "\"TrackTotal\":12,\"DiskNo\":-1,\"DiskTotal\":0,\"Tempo\":0,\"GenreNo\":0,"
            "\"Compilation\":1,\"ChNum\":2,\"SampleSize\":0,\"SampleRate\":44100,"
            "\"BitRate\":160000,\"AvgBitRate\":0,\"FileSize\":5000000000,"
            "\"FileName\":\"/music/日\xEF\xBF\xBD.m4a\"}");
}

TEST(WriteM4aInfoTest, OneLinePerFileInOrderAndStatusOne) {
  testing::MemoryFileSystem files;
  testing::SongLayout song;
  song.items = {testing::TextItem("\xA9nam", "\xE6\x98\xA5")};  // 春
  files.Add("/a.m4a", testing::BuildSong(song));
  files.Add("/b.xml", "<?xml version=\"1.0\"?>");
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(WriteM4aInfo(files, {"/b.xml", "/a.m4a", "/gone.m4a", "/a.m4a"}, out, err), 1);

  std::istringstream lines(out.str());
  std::string line;
  std::vector<std::string> all;
  while (std::getline(lines, line)) all.push_back(line);
  ASSERT_EQ(all.size(), 4u);
  EXPECT_EQ(all[0],
            R"({"path":"/b.xml","accepted":false,"reason":"no file type box at the start"})");
  EXPECT_EQ(all[1].rfind(R"({"path":"/a.m4a","accepted":true,"Deleted":0,"TrackID":0,)"
                         R"("Title":"春","Time":200,)",
                         0),
            0u)
      << all[1];
  // The system's message, without the path the line holds already.
  EXPECT_EQ(all[2], R"({"path":"/gone.m4a","accepted":false,"reason":")" +
                        std::system_category().message(EIO) + "\"}");
  EXPECT_EQ(all[3], all[1]);
  EXPECT_NE(err.str().find("not an M4A song (no file type box at the start): /b.xml"),
            std::string::npos);
  EXPECT_NE(err.str().find(FileError(EIO, "/gone.m4a").what()), std::string::npos);
  EXPECT_EQ(err.str().find("/a.m4a"), std::string::npos);
}

TEST(WriteM4aInfoTest, ManyFilesGiveOneLineEach) {
  // More output than one written block.
  testing::MemoryFileSystem files;
  testing::SongLayout song;
  song.items = {testing::TextItem("\xA9nam", std::string(200, 'x'))};
  files.Add("/a.m4a", testing::BuildSong(song));
  const std::vector<std::string> paths(600, "/a.m4a");
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(WriteM4aInfo(files, paths, out, err), 0);
  const std::string text = out.str();
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 600);
  EXPECT_EQ(text.substr(text.size() - 2), "}\n");
}

TEST(WriteM4aInfoTest, StatusZeroWhenEveryFileIsAccepted) {
  testing::MemoryFileSystem files;
  files.Add("/a.m4a", testing::BuildSong({}));
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(WriteM4aInfo(files, {"/a.m4a", "/a.m4a"}, out, err), 0);
  EXPECT_EQ(err.str(), "");
}

}  // namespace
}  // namespace tarvello
