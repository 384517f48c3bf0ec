#pragma once

// Disabled texts in the palette's own disabled colour, made just strong enough to read
// where a colour scheme puts them too close to their background.

#include <QPalette>

namespace tarvello {

// The contrast ratio of two colours as the accessibility guidelines define it, 1 to 21.
double ContrastRatio(const QColor& first, const QColor& second);

// `palette` with each disabled text colour (window text, text, button text) moved from the
// scheme's disabled colour towards the active one until it reaches a contrast of 3:1
// against its background. Colours that already reach it stay as they are.
QPalette WithReadableDisabledText(QPalette palette);

}  // namespace tarvello
