#pragma once

// The bar above the song list that says what an update of the chosen card would do,
// with a button that starts it and one that puts it off. Hidden until there is a plan.

#include <QFrame>
#include <QString>

class QLabel;
class QPushButton;

namespace tarvello {

class UpdateBar : public QFrame {
  Q_OBJECT

 public:
  explicit UpdateBar(QWidget* parent = nullptr);

  // Shows the bar with `text`; the update button takes the keyboard focus only when
  // `focus` is set, so a bar that comes by itself never takes it from the list.
  void ShowPlan(const QString& text, bool focus = false);
  QString Text() const;
  // The height the bar takes above the list while it is shown.
  int BarHeight() const;

 signals:
  void UpdateRequested();
  void Dismissed();

 private:
  QLabel* lbPlan_;
  QPushButton* btUpdate_;
  QPushButton* btDismiss_;
};

}  // namespace tarvello
