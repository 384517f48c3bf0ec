#pragma once

// Where the main window goes at start-up and where its controls go when it is resized.
// Plain arithmetic in pixels, so the window only applies the figures.

#include <array>

#include "app/main_view.h"
#include "app/settings.h"

namespace tarvello {

// The size a first start uses: two thirds of each side of the screen's available area
// (divided by 3 first).
void SetDefaultWindowSize(int screen_width, int screen_height, Settings& settings);

// The outer rectangle for the remembered size and place within `screen`, the screen's
// available area (panels left out): the size is limited to the area, the centring
// marker centres that side within it, any other place is taken unchanged.
WindowGeometry PlaceWindow(const Settings& settings, const WindowGeometry& screen);

// The places that change when the main window is resized.
struct MainLayout {
  int list_width = 0;  // lvTrackInfo; its top stays where it is
  int list_height = 0;
  int label_top = 0;    // Label1
  int drives_top = 0;   // cbxDrives
  int out_dir_top = 0;  // lbOutDir
  int status_top = 0;   // StatusBar1
  int status_width = 0;
  std::array<int, 2> panel_widths{};

  bool operator==(const MainLayout&) const = default;
};

// Figures for a client area of `client_height` x `client_width`; the list fills the
// client area's width. Nothing is clamped: a tiny window gives negative sizes. The
// figures come from the window system, which keeps them far from the int limits.
MainLayout LayOutMainWindow(int client_height, int client_width);

// Nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4); `value` must lie
// within the int range.
int RoundHalfEven(double value);

}  // namespace tarvello
