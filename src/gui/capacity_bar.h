#pragma once

// The capacity bar: how full the card will be, in three parts (other files, the marked
// songs, what stays free), drawn in the desktop palette's colours; red when the songs do
// not fit.

#include <QWidget>

#include "output/card_capacity.h"

namespace tarvello {

class CapacityBar : public QWidget {
  Q_OBJECT

 public:
  explicit CapacityBar(QWidget* parent = nullptr);

  void SetCapacity(const CardCapacity& capacity, const QString& tooltip);
  const CardCapacity& Capacity() const { return capacity_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  CardCapacity capacity_;
};

}  // namespace tarvello
