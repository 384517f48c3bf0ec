#include "gui/update_bar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace tarvello {

UpdateBar::UpdateBar(QWidget* parent) : QFrame(parent) {
  setObjectName(QStringLiteral("UpdateBar"));
  setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
  // The tool-tip colours mark the bar as a notice about the window's content.
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::ToolTipBase);
  setForegroundRole(QPalette::ToolTipText);

  lbPlan_ = new QLabel(this);
  lbPlan_->setObjectName(QStringLiteral("lbPlan"));
  lbPlan_->setTextFormat(Qt::PlainText);
  lbPlan_->setForegroundRole(QPalette::ToolTipText);
  lbPlan_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  btUpdate_ = new QPushButton(QStringLiteral("更新(&U)"), this);
  btUpdate_->setObjectName(QStringLiteral("btUpdate"));
  btDismiss_ = new QPushButton(QStringLiteral("今はしない(&N)"), this);
  btDismiss_->setObjectName(QStringLiteral("btNotNow"));

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(6, 2, 4, 2);
  layout->addWidget(lbPlan_, 1);
  layout->addWidget(btUpdate_);
  layout->addWidget(btDismiss_);

  // Whoever shows the bar hides it, so the window can give the list its room back.
  connect(btUpdate_, &QPushButton::clicked, this, &UpdateBar::UpdateRequested);
  connect(btDismiss_, &QPushButton::clicked, this, &UpdateBar::Dismissed);
  hide();
}

void UpdateBar::ShowPlan(const QString& text, bool focus) {
  lbPlan_->setText(text);
  lbPlan_->setToolTip(text);
  show();
  raise();
  if (focus) btUpdate_->setFocus();
}

QString UpdateBar::Text() const {
  return lbPlan_->text();
}

int UpdateBar::BarHeight() const {
  return sizeHint().height();
}

}  // namespace tarvello
