#include "gui/playlist_combo_box.h"

#include <QAbstractItemView>
#include <QFontMetrics>
#include <QPalette>

namespace tarvello {

PlaylistComboBox::PlaylistComboBox(QWidget* parent) : QComboBox(parent) {
  setMaxVisibleItems(kDropDownCount);
}

void PlaylistComboBox::SetItems(const std::vector<std::string>& names) {
  const QSignalBlocker quiet(this);
  clear();
  for (const std::string& name : names) addItem(QString::fromStdString(name));
  setCurrentIndex(-1);
}

void PlaylistComboBox::SetBoxEnabled(bool enabled) {
  QPalette colours = palette();
  colours.setColor(QPalette::Base, colours.color(enabled ? QPalette::Base : QPalette::Button));
  colours.setColor(QPalette::Button, colours.color(enabled ? QPalette::Base : QPalette::Button));
  setPalette(enabled ? QPalette() : colours);
  setEnabled(enabled);
}

std::vector<int> PlaylistComboBox::ItemWidths() const {
  const QFontMetrics metrics(font());
  std::vector<int> widths;
  widths.reserve(static_cast<size_t>(count()));
  for (int i = 0; i < count(); ++i) widths.push_back(metrics.horizontalAdvance(itemText(i)));
  return widths;
}

void PlaylistComboBox::SetDropDownWidth(int width) {
  drop_down_width_ = width;
  view()->setMinimumWidth(width);
}

void PlaylistComboBox::showPopup() {
  if (on_drop_down_) on_drop_down_();
  QComboBox::showPopup();
}

}  // namespace tarvello
