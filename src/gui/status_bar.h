#pragma once

// StatusBar1: a bar of two sunken panels whose widths the window sets. A text too long
// for its panel ends in "…" and shows whole as the panel's tool-tip.

#include <QLabel>
#include <QWidget>
#include <array>

namespace tarvello {

class CapacityBar;

class StatusBar : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kPanelCount = 2;

  explicit StatusBar(QWidget* parent = nullptr);

  void SetPanelText(int panel, const QString& text);
  // The whole text of a panel, and what the panel shows of it.
  QString PanelText(int panel) const;
  QString ShownText(int panel) const;
  void SetPanelAlignment(int panel, Qt::Alignment alignment);
  // Panel 0 gets `first_width`; panel 1 the rest of the bar.
  void SetFirstPanelWidth(int first_width);
  int PanelWidth(int panel) const;
  QLabel* Panel(int panel) const;
  // The capacity bar at the right end of the bar.
  CapacityBar* Capacity() const { return capacity_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void PlacePanels();

  std::array<QLabel*, kPanelCount> panels_{};
  int first_width_ = 0;
  CapacityBar* capacity_ = nullptr;
};

}  // namespace tarvello
