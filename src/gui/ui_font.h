#pragma once

// The one font of every window: a proportional Japanese gothic, 12 pixels high.

#include <QFont>

namespace tarvello {

QFont TarvelloFont();

}  // namespace tarvello
