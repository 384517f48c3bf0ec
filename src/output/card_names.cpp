#include "output/card_names.h"

#include <algorithm>
#include <cstdio>

#include "common/cp932.h"
#include "output/management_files.h"
#include "output/output_targets.h"

namespace tarvello {

std::string NumberedSongPath(const std::string& folder, const TOutputOptions& options,
                             int number) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%.4d", number);
  std::string name = Cp932ToUtf8(options.Prefix) + "_" + digits;
  if (!options.Ext.empty()) name.append(".").append(Cp932ToUtf8(options.Ext));
  // A "/" in the prefix or extension must not lead the song out of the folder.
  std::replace(name.begin(), name.end(), '/', '_');
  return folder + name;
}

std::vector<std::string> ManagementTitlesOf(const TrackList& rows, const TrackTable& table,
                                            const TOutputOptions& options) {
  std::vector<std::string> titles;
  for (int row = 0; row < rows.RowCount(); ++row) {
    if (!IsOutputTarget(rows.Row(row))) continue;
    const TTrackInfo* record = RowRecord(rows, table, row);
    const std::string title = record != nullptr ? std::string(FieldText(record->Title))
                                                : Utf8ToCp932(rows.Row(row).caption);
    const std::string artist = record != nullptr ? std::string(FieldText(record->Artist))
                                                 : Utf8ToCp932(rows.Row(row).sub_items[1]);
    titles.push_back(ManagementTitle(title, artist, options));
  }
  return titles;
}

}  // namespace tarvello
