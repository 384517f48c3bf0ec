#pragma once

// Everything the main window does, without the window: start-up, exit, the commands,
// the drive box and dropped files. The window forwards its events here and shows what
// the presenter tells it through MainView.

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/main_view.h"
#include "catalogue/track_list.h"
#include "platform/platform.h"

namespace tarvello {

struct ScreenSize {
  int width = 0;
  int height = 0;
};

// What the window hands over at exit.
struct ExitGeometry {
  WindowGeometry window;
  std::array<int, 11> column_widths{};
};

class MainPresenter {
 public:
  MainPresenter(Platform& platform, MainView& view, const NumberSymbols& symbols,
                std::unique_ptr<TextCollator> collator);
  ~MainPresenter();

  // Life cycle.
  void FormCreate(const ScreenSize& screen);
  void Timer1Timer();
  // Returns false when the settings file could not be written (the view says so once).
  void FormDestroy(const ExitGeometry& geometry);

  // Commands.
  void Add1Click();
  void Import1Click();
  void Dest1Click();
  void Execute1Click();
  void Property1Click();
  void Check1Click();
  void Uncheck1Click();
  void Delete1Click();
  void Option1Click();
  void UnOrder1Click();
  void Refresh1Click();
  void About1Click();

  // List, drives and drops.
  void lvTrackInfoColumnClick(int column);
  void cbxDrivesChange(int index);
  void FilesDropped(const std::vector<std::string>& paths);

  const TrackList& Rows() const { return state_.rows; }
  const AppState& State() const { return state_; }

 private:
  Platform& platform_;
  MainView& view_;
  AppState state_;
};

}  // namespace tarvello
