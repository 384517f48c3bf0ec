// The playlist scanner: header test, the playlists array's depth, names and track IDs.

#include "sources/library_playlists.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/memory_byte_file.h"
#include "sources/library_builder.h"
#include "sources/source_test.h"

namespace tarvello {
namespace {

using testing::BuildLibrary;
using testing::LibraryLayout;
using testing::LibraryPlaylist;
using testing::LibraryTrack;

PlaylistCatalogue Scan(const std::string& bytes) {
  MemoryByteFile file(bytes);
  return ScanPlaylists(file);
}

TEST(ScanPlaylistsTest, NamesAndTrackIdsInEveryLayout) {
  const std::vector<LibraryTrack> tracks{{1, "a"}, {2, "b"}};
  const std::vector<LibraryPlaylist> playlists{
      {"Library", {1, 2}}, {"Rock &#38; Roll", {2, 1, 2}}, {"Empty", {}, false}, {"Library", {1}}};
  for (const LibraryLayout& layout : {LibraryLayout{"\t", "\n"}, LibraryLayout{"  ", "\r\n"}}) {
    const PlaylistCatalogue found = Scan(BuildLibrary(tracks, playlists, layout));
    // Names are not entity-decoded; duplicate names and duplicate IDs stay.
    EXPECT_EQ(found.names,
              (std::vector<std::string>{"Library", "Rock &#38; Roll", "Empty", "Library"}));
    EXPECT_EQ(found.track_ids, (std::vector<std::string>{"1,2,", "2,1,2,", "", "1,"}));
  }
}

TEST(ScanPlaylistsTest, NamesBecomeCp932AndBrokenUtf8Empty) {
  const PlaylistCatalogue found =
      Scan(BuildLibrary({}, {{"\xE3\x81\x82\xF0\x9F\x98\x80", {}}, {"bad\xE3\x81", {}}}));
  EXPECT_EQ(found.names, (std::vector<std::string>{"\x82\xA0?", ""}));
}

TEST(ScanPlaylistsTest, WhatIsNotReadAsPlaylists) {
  const std::string library = BuildLibrary({{1, "a"}}, {{"P", {1}}});
  EXPECT_TRUE(Scan("").names.empty());
  EXPECT_TRUE(Scan(std::string(4096, '\0')).names.empty());
  EXPECT_TRUE(Scan("\xEF\xBB\xBF" + library).names.empty());
  // One line, or the key behind other text: the scanner never switches on.
  std::string one_line = library;
  std::erase(one_line, '\n');
  EXPECT_TRUE(Scan(one_line).names.empty());
  EXPECT_TRUE(Scan("<?xml version=\"1.0\"?>\n<dict><key>Playlists</key>\n<array>\n<dict>\n"
                   "<key>Name</key><string>P</string>\n")
                  .names.empty());
  // Cut inside a playlist's dictionary: what was read stays.
  EXPECT_EQ(Scan(library.substr(0, library.rfind("</array>") - 10)).names.size(), 1u);
}

TEST(ScanPlaylistsTest, LineRulesOfTheScanner) {
  const std::string text =
      "<?xml version=\"1.0\"?>\n"
      "<key>Playlists</key>\n<array>\n"
      "<array>\n<dict>\n<key>Track ID</key><integer>7</integer>\n</dict>\n</array>\n"
      "<dict>\n<key>Name</key>\n<string>split</string>\n"  // tags not on the key's line
      "<!-- <key>Name</key><string>comment</string> -->\n"
      "<key>Name</key><string>first</string>\n<array>\n<dict>\n"
      "<key>Track ID</key><integer>5</integer>\n<key>Track ID</key><integer>x</integer>\n"
      "</dict>\n</array>\n</dict>\n"
      "<dict>\n<key>Name</key><string>second</string>\n</dict>\n"
      "</array>\n"
      "<dict>\n<key>Name</key><string>after the end</string>\n";
  const PlaylistCatalogue found = Scan(text);
  // The ID before any playlist is passed over.
  EXPECT_EQ(found.names, (std::vector<std::string>{"first", "second"}));
  EXPECT_EQ(found.track_ids, (std::vector<std::string>{"5,x,", ""}));
}

TEST(ScanPlaylistsTest, PlaylistsFarIntoALargeFile) {
  std::vector<LibraryTrack> tracks;
  for (int id = 1; id <= 6000; ++id) tracks.push_back({id, "Song " + std::to_string(id)});
  const PlaylistCatalogue found = Scan(BuildLibrary(tracks, {{"Late", {6000, 1}}}));
  EXPECT_EQ(found.names, std::vector<std::string>{"Late"});
  EXPECT_EQ(found.track_ids, std::vector<std::string>{"6000,1,"});
}

using ReadLibraryPlaylistsTest = testing::SourceTest;

TEST_F(ReadLibraryPlaylistsTest, ReadsTheFileOrALockedFilesCopy) {
  const std::string library = temp_.Path("iTunes Music Library.xml");
  const auto read = [&] {
    return ReadLibraryPlaylists(files_, names_, library, temp_.path() + "/");
  };
  EXPECT_TRUE(read().read_path.empty());
  fakes::WriteFile(library, BuildLibrary({}, {{"P", {}}}));
  EXPECT_EQ(read().read_path, library);
  EXPECT_EQ(read().playlists.names, std::vector<std::string>{"P"});
  files_.locked.insert(library);
  const LibraryPlaylists copy = read();
  EXPECT_NE(copy.read_path, library);
  EXPECT_EQ(copy.playlists.names, std::vector<std::string>{"P"});
}

}  // namespace
}  // namespace tarvello
