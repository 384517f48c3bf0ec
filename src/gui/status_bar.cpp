#include "gui/status_bar.h"

#include <algorithm>

namespace tarvello {

StatusBar::StatusBar(QWidget* parent) : QWidget(parent) {
  for (int i = 0; i < kPanelCount; ++i) {
    auto* panel = new QLabel(this);
    panel->setObjectName(QStringLiteral("Panel%1").arg(i));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    panel->setTextFormat(Qt::PlainText);
    panel->setIndent(2);
    panels_[i] = panel;
  }
}

QLabel* StatusBar::Panel(int panel) const {
  return panel >= 0 && panel < kPanelCount ? panels_[panel] : nullptr;
}

void StatusBar::SetPanelText(int panel, const QString& text) {
  if (QLabel* label = Panel(panel)) label->setText(text);
}

QString StatusBar::PanelText(int panel) const {
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
  const int first = std::min(first_width_, width());
  panels_[0]->setGeometry(0, 0, first, height());
  panels_[1]->setGeometry(first, 0, width() - first, height());
}

}  // namespace tarvello
