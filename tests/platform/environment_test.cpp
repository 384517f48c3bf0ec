#include <stdlib.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "platform/posix/posix_environment.h"
#include "platform/posix/posix_platform.h"

namespace tarvello {
namespace {

// Sets an environment variable for one test and puts the old value back.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    if (const char* old = ::getenv(name)) old_ = old;
    if (value != nullptr) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~ScopedVariable() {
    if (old_) {
      ::setenv(name_, old_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(PosixEnvironmentTest, ReadsVariables) {
  PosixEnvironment environment;
  ScopedVariable set("TARVELLO_TEST_VARIABLE", "C:\\TEMP 一時");
  EXPECT_EQ(environment.GetVariable("TARVELLO_TEST_VARIABLE"), "C:\\TEMP 一時");
  ScopedVariable unset("TARVELLO_TEST_UNSET", nullptr);
  EXPECT_EQ(environment.GetVariable("TARVELLO_TEST_UNSET"), std::nullopt);
}

TEST(PosixEnvironmentTest, KnowsItsFolders) {
  PosixEnvironment environment;
  EXPECT_EQ(environment.CurrentDirectory(), std::filesystem::current_path().string());
  EXPECT_EQ(std::filesystem::path(environment.ExecutablePath()).filename(), "test_platform");
  {
    ScopedVariable home("HOME", "/home/someone");
    EXPECT_EQ(environment.HomeDirectory(), "/home/someone");
  }
  ScopedVariable no_home("HOME", nullptr);
  EXPECT_FALSE(environment.HomeDirectory().empty());  // from the password database
}

TEST(PosixPlatformTest, HandsOutItsParts) {
  PosixPlatform posix;
  Platform& platform = posix.Get();
  EXPECT_EQ(&platform.files, static_cast<FileSystem*>(&posix.files()));
  EXPECT_TRUE(platform.files.DirectoryExists("/"));
  EXPECT_TRUE(platform.volumes.Measure("/").has_value());
}

}  // namespace
}  // namespace tarvello
