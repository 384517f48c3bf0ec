#pragma once

// A presenter over a fake platform whose executable lives in a temporary folder, with a
// recording view.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include "app/main_presenter.h"
#include "fakes/fake_platform.h"
#include "fakes/recording_view.h"

namespace tarvello {

using fakes::FakePlatform;
using fakes::TempDir;
using testing::RecordingView;

class ByteOrderCollator : public TextCollator {
 public:
  int Compare(const std::string& a, const std::string& b) const override { return a.compare(b); }
};

// A presenter over a fake platform whose executable lives in a temporary folder.
class PresenterTest : public ::testing::Test {
 protected:
  PresenterTest() {
    fake_.environment.executable_path = program_dir_.Path("tarvello");
    fake_.environment.home = program_dir_.path();
    fake_.environment.variables["TEMP"] = temp_dir_.path();
  }

  MainPresenter& Start(ScreenSize screen = {1024, 768}) {
    presenter_ = std::make_unique<MainPresenter>(fake_.platform, view_, NumberSymbols{},
                                                 std::make_unique<ByteOrderCollator>());
    presenter_->SetProbeWait(probe_wait_);
    presenter_->FormCreate(screen);
    return *presenter_;
  }

  std::string IniPath() const { return program_dir_.Path("tarvello.INI"); }
  void WriteIni(const std::string& text) { fakes::WriteFile(IniPath(), text); }
  std::string Fixture(const std::string& name) const {
    return std::string(TARVELLO_TEST_DATA) + "/" + name;
  }
  ExitGeometry Geometry() const {
    ExitGeometry geometry;
    geometry.window = {10, 20, 700, 500};
    geometry.column_widths.fill(90);
    return geometry;
  }

  // An add waits this long for the helper to say what its files are: long enough here
  // that each add ends with its files looked at, unless a test says otherwise.
  std::chrono::milliseconds probe_wait_{std::chrono::seconds(60)};
  TempDir program_dir_;
  TempDir temp_dir_;
  FakePlatform fake_;
  RecordingView view_;
  std::unique_ptr<MainPresenter> presenter_;
};

}  // namespace tarvello
