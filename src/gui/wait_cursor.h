#pragma once

// The hourglass while the presenter works; the previous cursor comes back when the
// guard goes, on every way out.

#include <QApplication>

#include "app/main_view.h"

namespace tarvello {

class WaitCursor : public CursorGuard {
 public:
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() override { QApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace tarvello
