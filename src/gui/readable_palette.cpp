#include "gui/readable_palette.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace tarvello {
namespace {

constexpr double kReadableContrast = 3.0;

double Linear(double channel) {
  return channel <= 0.03928 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double Luminance(const QColor& colour) {
  return 0.2126 * Linear(colour.redF()) + 0.7152 * Linear(colour.greenF()) +
         0.0722 * Linear(colour.blueF());
}

QColor Mix(const QColor& from, const QColor& to, double amount) {
  const auto channel = [amount](int a, int b) {
    return static_cast<int>(std::lround(a + (b - a) * amount));
  };
  return QColor(channel(from.red(), to.red()), channel(from.green(), to.green()),
                channel(from.blue(), to.blue()));
}

}  // namespace

double ContrastRatio(const QColor& first, const QColor& second) {
  const double a = Luminance(first) + 0.05;
  const double b = Luminance(second) + 0.05;
  return std::max(a, b) / std::min(a, b);
}

QPalette WithReadableDisabledText(QPalette palette) {
  const std::pair<QPalette::ColorRole, QPalette::ColorRole> pairs[] = {
      {QPalette::WindowText, QPalette::Window},
      {QPalette::Text, QPalette::Base},
      {QPalette::ButtonText, QPalette::Button}};
  for (const auto& [text, background] : pairs) {
    const QColor behind = palette.color(QPalette::Disabled, background);
    const QColor disabled = palette.color(QPalette::Disabled, text);
    const QColor active = palette.color(QPalette::Active, text);
    QColor readable = disabled;
    for (int step = 1; step <= 20 && ContrastRatio(readable, behind) < kReadableContrast; ++step) {
      readable = Mix(disabled, active, step / 20.0);
    }
    palette.setColor(QPalette::Disabled, text, readable);
  }
  return palette;
}

}  // namespace tarvello
