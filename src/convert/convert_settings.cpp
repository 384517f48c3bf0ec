#include "convert/convert_settings.h"

#include <algorithm>

namespace tarvello {

bool IsOfferedBitRate(int kbps) {
  return std::find(kOfferedBitRatesKbps.begin(), kOfferedBitRatesKbps.end(), kbps) !=
         kOfferedBitRatesKbps.end();
}

}  // namespace tarvello
