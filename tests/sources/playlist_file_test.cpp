// Playlist files as their formats' documentation describes them, added through the
// shared entry adding: order, relative and URL entries, escapes, charsets, entries that
// cannot be added, and playlists that name themselves.

#include "sources/playlist_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "common/cp932.h"
#include "sources/playlist_adding.h"
#include "sources/source_test.h"
#include "sources/track_list_file.h"

namespace tarvello {
namespace {

class PlaylistFileTest : public testing::SourceTest {
 protected:
  PlaylistFileTest() {
    adding_.on_summary = [this](const PlaylistSummary& summary) { summaries_.push_back(summary); };
  }

  // A copy of the tagged test song at `name` inside the temporary folder.
  std::string Song(const std::string& name) {
    const std::string path = temp_.Path(name);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::filesystem::copy_file(TestSong("tagged.m4a"), path,
                               std::filesystem::copy_options::overwrite_existing);
    return path;
  }
  std::string Write(const std::string& name, const std::string& bytes) {
    fakes::WriteFile(temp_.Path(name), bytes);
    return temp_.Path(name);
  }
  std::vector<std::string> StoredPaths() const {
    std::vector<std::string> paths;
    for (int32_t i = 0; i < table_.TrackCount(); ++i) {
      paths.emplace_back(FieldText(table_[i].FileName));
    }
    return paths;
  }
  std::vector<std::string> NotePaths(EntryProblem problem) const {
    std::vector<std::string> paths;
    for (const EntryNote& note : summaries_.at(0).notes) {
      if (note.problem == problem) paths.push_back(note.path);
    }
    return paths;
  }

  std::vector<std::string> messages_;
  AddContext context_{files_,
                      names_,
                      temp_.path() + "/",
                      table_,
                      staging_,
                      [this](const std::string& path) {
                        return ReadTrackList(files_, path, table_, staging_, track_id_list_)
                            .accepted;
                      },
                      [this](const std::string& text) { messages_.push_back(text); }};
  PlaylistAdding adding_{context_};
  std::vector<PlaylistSummary> summaries_;
};

TEST_F(PlaylistFileTest, ExtendedM3u8TakesEveryKindOfEntryInOrder) {
  const std::string a = Song("music/a b.m4a");
  const std::string b = Song("music/日本語/曲.m4a");
  const std::string c = Song("c.m4a");
  std::filesystem::create_directories(temp_.Path("music/folder"));
  const std::string list = Write(
      "lists/mix.m3u8",
      "\xEF\xBB\xBF#EXTM3U\r\n"
      "#EXTINF:123,Artist - A\r\n"
      "../music/a b.m4a\r\n"
      "\r\n"
      "# a comment\r\n"
      "\t#EXTINF:7,an indented comment\r\n"
      " \v #EXTVLCOPT:x\n"
      "file://" + temp_.path() + "/music/%E6%97%A5%E6%9C%AC%E8%AA%9E/%E6%9B%B2.m4a\r\n"
      "http://radio.example/stream.mp3\n"
      "C:\\Music\\a.m4a\n"
      "\\\\server\\share\\b.m4a\n"
      "../music/folder\n"
      "../music/gone.m4a\n" + c + "\n");

  EXPECT_TRUE(adding_.ReadListFile(list));

  EXPECT_EQ(StoredPaths(), (std::vector<std::string>{a, b, c}));
  ASSERT_EQ(summaries_.size(), 1u);
  EXPECT_EQ(summaries_[0].added, 3);
  EXPECT_EQ(summaries_[0].missing, 3);
  EXPECT_EQ(summaries_[0].skipped, 2);
  EXPECT_EQ(NotePaths(EntryProblem::kMissing),
            (std::vector<std::string>{"C:\\Music\\a.m4a", "\\\\server\\share\\b.m4a",
                                      temp_.Path("music/gone.m4a")}));
  EXPECT_EQ(NotePaths(EntryProblem::kSkipped),
            (std::vector<std::string>{"http://radio.example/stream.mp3",
                                      temp_.Path("music/folder")}));
  const std::string text = PlaylistSummaryText(summaries_[0]);
  EXPECT_NE(text.find(temp_.Path("music/gone.m4a")), std::string::npos);
  EXPECT_NE(text.find("8 項目のうち 3 項目"), std::string::npos);
  EXPECT_TRUE(messages_.empty());
}

TEST_F(PlaylistFileTest, Cp932M3uIsDetectedAndDecoded) {
  const std::string song = Song("曲/さくら の うた.m4a");
  // Enough Japanese text for the detector, as a Windows player writes it.
  const std::string utf8 =
      "#EXTM3U\r\n#EXTINF:200,日本の歌手 - さくら の うた (ライブ録音、東京公演より)\r\n" +
      song + "\r\n#EXTINF:10,存在しない曲名のファイルです\r\n" + temp_.Path("ない曲.m4a") +
      "\r\n";
  const std::string list = Write("japanese.m3u", Utf8ToCp932(utf8));
  ASSERT_NE(Utf8ToCp932(utf8), utf8);

  EXPECT_TRUE(adding_.ReadListFile(list));

  EXPECT_EQ(StoredPaths(), std::vector<std::string>{song});
  ASSERT_EQ(summaries_.size(), 1u);
  EXPECT_EQ(NotePaths(EntryProblem::kMissing), std::vector<std::string>{temp_.Path("ない曲.m4a")});
}

TEST_F(PlaylistFileTest, PlsEntriesFollowTheirNumbers) {
  const std::string one = Song("one.m4a");
  const std::string two = Song("sub/two.m4a");
  const std::string list = Write("radio.pls",
                                 "[playlist]\n"
                                 "File2=sub/two.m4a\n"
                                 "Title2=Two\n"
                                 "Length2=-1\n"
                                 "file1=file://" + temp_.path() + "/one.m4a\n"
                                 "Title1=One\n"
                                 "File10=https://stream.example/live\n"
                                 "NumberOfEntries=3\n"
                                 "Version=2\n"
                                 "[other]\n"
                                 "File3=one.m4a\n");

  EXPECT_TRUE(adding_.ReadListFile(list));

  EXPECT_EQ(StoredPaths(), (std::vector<std::string>{one, two}));
  ASSERT_EQ(summaries_.size(), 1u);
  EXPECT_EQ(NotePaths(EntryProblem::kSkipped),
            std::vector<std::string>{"https://stream.example/live"});
}

TEST_F(PlaylistFileTest, XspfTakesTheFirstLocationOfEachTrackAndWhatPrecedesABreak) {
  const std::string one = Song("x/one & two.m4a");
  const std::string two = Song("x/ünï.m4a");
  const std::string list =
      Write("x/list.xspf",
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\">\n"
            "  <title>Mix</title>\n"
            "  <trackList>\n"
            "    <track><title>1</title><location>one%20&amp;%20two.m4a</location>"
            "<location>ignored.m4a</location></track>\n"
            "    <track/>\n"
            "    <track><location>file://" + temp_.path() + "/x/%C3%BCn%C3%AF.m4a</location></track>\n"
            "    <track><location>missing.m4a</location></track>\n"
            "    <track><location>one.m4a</loc");

  EXPECT_TRUE(adding_.ReadListFile(list));

  EXPECT_EQ(StoredPaths(), (std::vector<std::string>{one, two}));
  ASSERT_EQ(summaries_.size(), 1u);
  EXPECT_EQ(NotePaths(EntryProblem::kMissing), std::vector<std::string>{temp_.Path("x/missing.m4a")});
  EXPECT_EQ(summaries_[0].skipped, 1);  // the damaged file itself
}

TEST_F(PlaylistFileTest, APlaylistThatNamesItselfIsReadOnce) {
  const std::string song = Song("song.m4a");
  const std::string outer = Write("a.m3u", "song.m4a\n./a.m3u\nb.m3u\nsong.m4a\n");
  Write("b.m3u", "#EXTM3U\n" + outer + "\nsong.m4a\n");

  EXPECT_TRUE(adding_.ReadListFile(outer));

  // a: song, (a again: skipped), b -> (a: skipped), song; then song.
  EXPECT_EQ(StoredPaths(), (std::vector<std::string>{song, song, song}));
  ASSERT_EQ(summaries_.size(), 1u);
  EXPECT_EQ(summaries_[0].added, 3);
  EXPECT_EQ(NotePaths(EntryProblem::kSkipped),
            (std::vector<std::string>{temp_.Path("a.m3u"), outer}));
}

TEST_F(PlaylistFileTest, AZeroBytePathNamesNoFile) {
  const std::string song = Song("c.m4a");
  const std::string list = Write("z.m3u", "file://" + song + "%00.txt\n");
  EXPECT_TRUE(adding_.ReadListFile(list));
  EXPECT_EQ(table_.TrackCount(), 0);
  ASSERT_EQ(summaries_.size(), 1u);
  EXPECT_EQ(summaries_[0].missing, 1);
}

TEST_F(PlaylistFileTest, TheSongLimitEndsThePlaylistWithItsMessage) {
  Song("s.m4a");
  const std::string list = Write("many.m3u", "s.m4a\ns.m4a\ns.m4a\n");
  FillToOneBelowTheLimit();

  EXPECT_TRUE(adding_.ReadListFile(list));

  EXPECT_EQ(table_.TrackCount(), kMaxTracks);
  EXPECT_TRUE(adding_.Stopped());
  EXPECT_EQ(messages_, std::vector<std::string>{TrackLimitText()});
}

TEST_F(PlaylistFileTest, ContentDecidesBeforeTheExtension) {
  EXPECT_EQ(DetectPlaylistFormat("a.txt", "\xEF\xBB\xBF  #EXTM3U\n/x.m4a\n"), PlaylistFormat::kM3u);
  EXPECT_EQ(DetectPlaylistFormat("a.m3u", "\n[Playlist]\nFile1=x\n"), PlaylistFormat::kPls);
  EXPECT_EQ(DetectPlaylistFormat("a.pls",
                                 "<playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\"/>"),
            PlaylistFormat::kXspf);
  EXPECT_EQ(DetectPlaylistFormat("a.M3U8", "/x.m4a"), PlaylistFormat::kM3u8);
  EXPECT_EQ(DetectPlaylistFormat("a.xml", "<?xml version=\"1.0\"?><plist/>"), PlaylistFormat::kNone);
  // Files that are no playlist go on to "not a song".
  const std::string other = Write("notes.txt", "just text\n");
  EXPECT_FALSE(adding_.ReadListFile(other));
  EXPECT_TRUE(summaries_.empty());
}

// Model: random entries written as an M3U with random line ends, comments and blank lines
// read back as the same entries, resolved as the model resolves them.
TEST(M3uModelTest, WrittenEntriesReadBackInOrder) {
  std::mt19937 random(20261207);
  const std::vector<std::string> names = {"a.m4a", "日本語.m4a", "x y/z.m4a", "%41.m4a",
                                          "../up.m4a", "./here.m4a", "é.m4a"};
  const std::vector<std::string> ends = {"\n", "\r\n", "\r"};
  for (int round = 0; round < 300; ++round) {
    std::string text = random() % 2 == 0 ? "\xEF\xBB\xBF#EXTM3U\n" : "";
    PlaylistEntries expected;
    const int count = static_cast<int>(random() % 8);
    for (int i = 0; i < count; ++i) {
      const std::string& name = names[random() % names.size()];
      const std::string& end = ends[random() % ends.size()];
      if (random() % 3 == 0) text += "#EXTINF:1,title" + end;
      if (random() % 4 == 0) text += "  " + end;
      switch (random() % 3) {
        case 0:  // relative, taken as written
          text += name + end;
          expected.push_back({EntryKind::kFile, LexicallyNormalPath("/base/list/" + name)});
          break;
        case 1:  // absolute
          text += "/abs/" + name + end;
          expected.push_back({EntryKind::kFile, LexicallyNormalPath("/abs/" + name)});
          break;
        default:  // network
          text += "https://h.example/" + std::to_string(i) + end;
          expected.push_back({EntryKind::kNetwork, "https://h.example/" + std::to_string(i)});
      }
    }
    const PlaylistReading reading =
        ReadPlaylistBytes(PlaylistFormat::kM3u8, text, "/base/list");
    ASSERT_EQ(reading.entries.size(), expected.size()) << text;
    for (size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(reading.entries[i].kind, expected[i].kind) << text;
      EXPECT_EQ(reading.entries[i].path, expected[i].path) << text;
    }
  }
}

TEST(ResolveLocationTest, UrlsPathsAndWindowsForms) {
  const auto resolve = [](std::string_view location, LocationStyle style = LocationStyle::kPath) {
    return ResolveLocation(location, "/m/l", style);
  };
  EXPECT_EQ(resolve("file:///a/%E3%81%82%20b.m4a").path, "/a/あ b.m4a");
  EXPECT_EQ(resolve("FILE://localhost/a.m4a").path, "/a.m4a");
  EXPECT_EQ(resolve("file:/a.m4a").path, "/a.m4a");
  EXPECT_EQ(resolve("file:///a//b/./c/../d.m4a").path, "/a/b/d.m4a");
  EXPECT_EQ(resolve("file://nas/a.m4a").kind, EntryKind::kNetwork);
  EXPECT_EQ(resolve("file:///C:/Music/a.m4a").kind, EntryKind::kWindowsPath);
  EXPECT_EQ(resolve("file:///G:$/x.m4a").kind, EntryKind::kWindowsPath);
  EXPECT_EQ(resolve("d:\\x.m4a").kind, EntryKind::kWindowsPath);
  EXPECT_EQ(resolve("a%20b.m4a").path, "/m/l/a%20b.m4a");
  EXPECT_EQ(resolve("a%20b.m4a", LocationStyle::kUri).path, "/m/l/a b.m4a");
  EXPECT_EQ(resolve("../../../../x.m4a").path, "/x.m4a");
  EXPECT_EQ(resolve("  ").path, "");
}

}  // namespace
}  // namespace tarvello
