#include "gui/drive_combo_box.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFontMetrics>
#include <QProxyStyle>
#include <QScrollBar>
#include <QStyle>
#include <QStyleFactory>
#include <algorithm>

#include "gui/image_list.h"

namespace tarvello {

namespace {

// Holds a flag up while the box is changed from code.
class FlagScope {
 public:
  explicit FlagScope(bool& flag) : flag_(flag), previous_(flag) { flag_ = true; }
  ~FlagScope() { flag_ = previous_; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

 private:
  bool& flag_;
  bool previous_;
};

// Styles that open a box as a menu over itself show every item and ignore the visible
// count; this box always drops down a list of eight with a scroll bar.
class DropDownListStyle : public QProxyStyle {
 public:
  using QProxyStyle::QProxyStyle;

  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returned) const override {
    if (hint == SH_ComboBox_Popup) return 0;
    return QProxyStyle::styleHint(hint, option, widget, returned);
  }
};

}  // namespace

DriveComboBox::DriveComboBox(QWidget* parent) : QComboBox(parent) {
  auto* style = new DropDownListStyle(QStyleFactory::create(QApplication::style()->name()));
  style->setParent(this);
  setStyle(style);
  setMaxVisibleItems(kDropDownCount);
  setIconSize(QSize(16, 16));
  connect(this, &QComboBox::currentIndexChanged, this, &DriveComboBox::IndexChanged);
}

void DriveComboBox::SetDriveItems(const std::vector<DriveItem>& items) {
  FlagScope scope(updating_);
  clear();
  for (const DriveItem& item : items) {
    addItem(DriveIconFor(item.icon),
            QString::fromUtf8(item.caption.data(), static_cast<qsizetype>(item.caption.size())));
  }
  setCurrentIndex(-1);
}

void DriveComboBox::SetDriveIndex(int index) {
  FlagScope scope(updating_);
  setCurrentIndex(index >= 0 && index < count() ? index : -1);
}

void DriveComboBox::IndexChanged(int index) {
  if (updating_ || index < 0 || !on_change_) return;
  on_change_(index);
}

int DriveComboBox::DropDownWidth() const {
  const QFontMetrics metrics(font());
  int widest = 0;
  for (int i = 0; i < count(); ++i) {
    widest = std::max(widest, metrics.horizontalAdvance(itemText(i)));
  }
  int width = widest + kDropDownPadding;
  if (count() > kDropDownCount) width += style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  return width;
}

void DriveComboBox::showPopup() {
  // Like the native box, a drop-down never gets narrower than the box itself.
  view()->setMinimumWidth(DropDownWidth());
  QComboBox::showPopup();
  QWidget* popup = view()->window();
  if (popup != window() && popup->width() < DropDownWidth()) {
    popup->resize(DropDownWidth(), popup->height());
  }
}

}  // namespace tarvello
