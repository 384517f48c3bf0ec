// The UTF-8 check of text arguments, on a parser of its own.

#include "cli/text_arguments.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarvello::cli {
namespace {

// Parses "--title VALUE"; true when the parser accepted it.
bool Accepts(const std::string& value) {
  CLI::App app;
  std::string title;
  app.add_option("--title", title)->check(Utf8Text());
  std::vector<std::string> arguments = {value, "--title"};  // CLI11 takes them in reverse
  try {
    app.parse(arguments);
  } catch (const CLI::ValidationError&) {
    return false;
  }
  return title == value;
}

TEST(Utf8TextTest, TextArgumentsMustBeUtf8) {
  EXPECT_TRUE(Accepts("SDS"));
  EXPECT_TRUE(Accepts("曲名／アーティスト"));
  EXPECT_FALSE(Accepts("\x93\xFA\x96\x7B"));  // CP932 bytes
  EXPECT_FALSE(Accepts("ab\xE6\x97"));
}

}  // namespace
}  // namespace tarvello::cli
