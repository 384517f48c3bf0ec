#include "gui/output_option_items.h"

#include <QComboBox>
#include <string_view>

#include "common/cp932.h"
#include "convert/convert_settings.h"
#include "output/output_options.h"

namespace tarvello {

void AddTitleFormatItems(QComboBox* box) {
  box->addItems({QStringLiteral("曲名"), QStringLiteral("曲名/アーティスト"),
                 QStringLiteral("アーティスト/曲名")});
}

void AddSeparatorItems(QComboBox* box) {
  for (const std::string_view separator : kSeparators) {
    box->addItem(QString::fromStdString(Cp932ToUtf8(separator)));
  }
}

void AddBitRateItems(QComboBox* box) {
  for (const int kbps : kOfferedBitRatesKbps) {
    box->addItem(QStringLiteral("%1 kbps").arg(kbps), kbps);
  }
}

void SelectBitRate(QComboBox* box, int kbps) {
  const int index = box->findData(kbps);
  box->setCurrentIndex(index >= 0 ? index : box->findData(kDefaultBitRateKbps));
}

}  // namespace tarvello
