#pragma once

// The items of the output options' lists, shared by the options dialog and the card's
// content dialog so both offer the same choices in the same order.

class QComboBox;

namespace tarvello {

// "曲名", "曲名/アーティスト", "アーティスト/曲名", indexed like the title format option.
void AddTitleFormatItems(QComboBox* box);
// The separators, indexed like the separator option.
void AddSeparatorItems(QComboBox* box);
// The offered bit rates, each item's data its kbps.
void AddBitRateItems(QComboBox* box);
// Selects the item of `kbps`, or the default bit rate when it is not offered.
void SelectBitRate(QComboBox* box, int kbps);

}  // namespace tarvello
