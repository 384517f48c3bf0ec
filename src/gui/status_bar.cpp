#include "gui/status_bar.h"

#include "gui/capacity_bar.h"

#include <algorithm>

namespace tarvello {
namespace {

// A panel that ends a text too long for it in "…" and offers the whole text as a tip.
class StatusPanel : public QLabel {
 public:
  using QLabel::QLabel;

  void SetFullText(const QString& text) {
    full_text_ = text;
    Fit();
  }
  const QString& FullText() const { return full_text_; }

 protected:
  void resizeEvent(QResizeEvent* event) override {
    QLabel::resizeEvent(event);
    Fit();
  }

 private:
  void Fit() {
    const int room = contentsRect().width() - 2 * std::max(indent(), 0) - 2 * margin();
    const QString shown = fontMetrics().elidedText(full_text_, Qt::ElideRight, std::max(room, 0));
    if (text() != shown) setText(shown);
    const QString tip = shown == full_text_ ? QString() : full_text_;
    if (toolTip() != tip) setToolTip(tip);
  }

  QString full_text_;
};

}  // namespace

StatusBar::StatusBar(QWidget* parent) : QWidget(parent) {
  for (int i = 0; i < kPanelCount; ++i) {
    auto* panel = new StatusPanel(this);
    panel->setObjectName(QStringLiteral("Panel%1").arg(i));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    panel->setTextFormat(Qt::PlainText);
    panel->setIndent(2);
    panels_[i] = panel;
  }
  capacity_ = new CapacityBar(this);
}

QLabel* StatusBar::Panel(int panel) const {
  return panel >= 0 && panel < kPanelCount ? panels_[panel] : nullptr;
}

void StatusBar::SetPanelText(int panel, const QString& text) {
  if (QLabel* label = Panel(panel)) static_cast<StatusPanel*>(label)->SetFullText(text);
}

QString StatusBar::PanelText(int panel) const {
  const QLabel* label = Panel(panel);
  return label ? static_cast<const StatusPanel*>(label)->FullText() : QString();
}

QString StatusBar::ShownText(int panel) const {
  const QLabel* label = Panel(panel);
  return label ? label->text() : QString();
}

void StatusBar::SetPanelAlignment(int panel, Qt::Alignment alignment) {
  if (QLabel* label = Panel(panel)) label->setAlignment(alignment | Qt::AlignVCenter);
}

void StatusBar::SetFirstPanelWidth(int first_width) {
  first_width_ = std::max(first_width, 0);
  PlacePanels();
}

int StatusBar::PanelWidth(int panel) const {
  const QLabel* label = Panel(panel);
  return label ? label->width() : 0;
}

void StatusBar::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  PlacePanels();
}

void StatusBar::PlacePanels() {
  static constexpr int kCapacityWidth = 120;
  const int first = std::min(first_width_, width());
  const int capacity = std::clamp(width() - first - 80, 0, kCapacityWidth);
  panels_[0]->setGeometry(0, 0, first, height());
  panels_[1]->setGeometry(first, 0, width() - first - capacity, height());
  if (capacity_ != nullptr) capacity_->setGeometry(width() - capacity, 0, capacity, height());
}

}  // namespace tarvello
