#pragma once

// A presenter whose converted songs go to a cache folder of their own, with a folder for
// the music the tests make. Skips when the ffmpeg command that makes it is missing.

#include "app/presenter_fixture.h"
#include "convert/made_sources.h"

namespace tarvello {

class ConversionPresenterTest : public PresenterTest {
 protected:
  void SetUp() override {
    if (!testing::HaveFfmpeg()) GTEST_SKIP() << "the ffmpeg command is not installed";
    fake_.environment.variables["XDG_CACHE_HOME"] = cache_.path();
  }

  TempDir music_;
  TempDir cache_;
};

}  // namespace tarvello
