#include "output/card_capacity.h"

#include <algorithm>

namespace tarvello {

CardCapacity CapacityOf(const TDriveInfo* drive, const OutputTotals& totals) {
  CardCapacity capacity;
  if (drive == nullptr || !drive->HasMedium || drive->TotalBytes <= 0) return capacity;
  capacity.known = true;
  capacity.total = drive->TotalBytes;
  const int64_t available =
      std::clamp<int64_t>(drive->FreeBytes + drive->OutputFolderBytes, 0, drive->TotalBytes);
  capacity.other = drive->TotalBytes - available;
  capacity.songs = std::max<int64_t>(totals.Space, 0);
  capacity.fits = capacity.songs <= available;
  capacity.free = capacity.fits ? available - capacity.songs : 0;
  return capacity;
}

}  // namespace tarvello
