// The one box that names the refused files of an adding.

#include "sources/refusal_list.h"

#include <gtest/gtest.h>

#include <string>

namespace tarvello {
namespace {

RefusedFile NotASong(int number) {
  return {"追加できる曲情報ではありません.", "/music/" + std::to_string(number) + ".m4a",
          "ムービーボックスがありません"};
}

TEST(RefusalListTest, OneFileKeepsItsOwnMessageWithTheReasonBelow) {
  RefusalList list;
  EXPECT_TRUE(list.Empty());
  EXPECT_EQ(list.BoxText(), "");
  list.Add(NotASong(1));
  EXPECT_EQ(list.BoxText(),
            "追加できる曲情報ではありません.\r\n/music/1.m4a\r\nムービーボックスがありません");
  list.Clear();
  list.Add({"ファイルがオープンできません.", "/music/gone.m4a", ""});
  EXPECT_EQ(list.BoxText(), "ファイルがオープンできません.\r\n/music/gone.m4a");
}

TEST(RefusalListTest, SeveralFilesAreCountedAndTheFirstTwentyListedInOrder) {
  for (int count : {2, 20, 21, 45}) {
    RefusalList list;
    for (int number = 1; number <= count; ++number) list.Add(NotASong(number));
    const std::string text = list.BoxText();
    SCOPED_TRACE(text);
    EXPECT_EQ(text.rfind(std::to_string(count) + " 個のファイルを追加できませんでした.", 0), 0u);
    size_t previous = 0;
    for (int number = 1; number <= count; ++number) {
      const size_t at = text.find("\r\n/music/" + std::to_string(number) + ".m4a\r\n");
      if (number > 20) {
        EXPECT_EQ(at, std::string::npos) << number;
        continue;
      }
      ASSERT_NE(at, std::string::npos) << number;
      EXPECT_GT(at, previous);
      previous = at;
    }
    const std::string more =
        "ほかに " + std::to_string(count - 20) + " 個のファイルを追加できませんでした.";
    EXPECT_EQ(text.find(more) != std::string::npos, count > 20);
    EXPECT_NE(text.find("(ムービーボックスがありません)"), std::string::npos);
  }
}

}  // namespace
}  // namespace tarvello
