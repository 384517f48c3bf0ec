#pragma once

// cbPlayLists: the library's playlists. It tells its owner when its list is about to drop
// down, so the drop-down's width can be set to fit the names first.

#include <QComboBox>
#include <functional>
#include <string>
#include <vector>

namespace tarvello {

class PlaylistComboBox : public QComboBox {
  Q_OBJECT

 public:
  // Items shown before the drop-down needs a scroll bar.
  static constexpr int kDropDownCount = 8;

  explicit PlaylistComboBox(QWidget* parent = nullptr);

  void SetOnDropDown(std::function<void()> handler) { on_drop_down_ = std::move(handler); }

  // Replaces the items (UTF-8); nothing is selected afterwards.
  void SetItems(const std::vector<std::string>& names);
  // Enabled boxes have the window colour, greyed ones the button face.
  void SetBoxEnabled(bool enabled);
  std::vector<int> ItemWidths() const;
  void SetDropDownWidth(int width);
  int DropDownWidth() const { return drop_down_width_; }

  void showPopup() override;

 private:
  std::function<void()> on_drop_down_;
  int drop_down_width_ = 0;
};

}  // namespace tarvello
