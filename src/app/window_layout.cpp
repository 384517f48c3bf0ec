#include "app/window_layout.h"

#include <cmath>
#include <cstdint>

namespace tarvello {
namespace {

constexpr double kFirstPanelShare = 0.44;

// Limits a remembered size to the screen; smaller (even negative) sizes stand.
int LimitToScreen(int size, int screen) {
  return size > screen ? screen : size;
}

// The centred place of a side; 64-bit so that any remembered size is safe. The result
// always fits: both terms are 32-bit and their difference is halved.
int CentredPlace(int screen, int size) {
  return static_cast<int>((static_cast<int64_t>(screen) - size) / 2);
}

int PlaceOf(int remembered, int origin, int screen, int size) {
  if (remembered != kCentreMarker) return remembered;
  return static_cast<int>(origin + int64_t{CentredPlace(screen, size)});
}

}  // namespace

void SetDefaultWindowSize(int screen_width, int screen_height, Settings& settings) {
  settings.width = screen_width / 3 * 2;
  settings.height = screen_height / 3 * 2;
}

WindowGeometry PlaceWindow(const Settings& settings, const WindowGeometry& screen) {
  WindowGeometry geometry;
  geometry.height = LimitToScreen(settings.height, screen.height);
  geometry.width = LimitToScreen(settings.width, screen.width);
  geometry.top = PlaceOf(settings.top, screen.top, screen.height, geometry.height);
  geometry.left = PlaceOf(settings.left, screen.left, screen.width, geometry.width);
  return geometry;
}

MainLayout LayOutMainWindow(int client_height, int client_width) {
  MainLayout layout;
  layout.list_width = client_width;
  layout.list_height = client_height - 79;
  layout.label_top = client_height - 42;
  layout.drives_top = client_height - 47;
  layout.out_dir_top = client_height - 42;
  layout.status_top = client_height - 23;
  layout.status_width = client_width;
  layout.panel_widths[0] = RoundHalfEven(client_width * kFirstPanelShare);
  layout.panel_widths[1] = client_width - layout.panel_widths[0];
  return layout;
}

int RoundHalfEven(double value) {
  // The ties-to-even rule is explicit here rather than left to the current rounding mode.
  const double floor = std::floor(value);
  const double fraction = value - floor;
  double rounded = floor;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(floor, 2.0) != 0.0)) rounded += 1.0;
  return static_cast<int>(rounded);
}

}  // namespace tarvello
