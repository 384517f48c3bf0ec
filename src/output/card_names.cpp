#include "output/card_names.h"

#include <algorithm>
#include <cstdio>

#include "common/cp932.h"
#include "output/management_files.h"
#include "output/output_targets.h"

namespace tarvello {

std::string NumberedSongPath(const std::string& folder, const TOutputOptions& options, int number) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%.4d", number);
  std::string name = Cp932ToUtf8(options.Prefix) + "_" + digits;
  if (!options.Ext.empty()) name.append(".").append(Cp932ToUtf8(options.Ext));
  // A "/" in the prefix or extension must not lead the song out of the folder.
  std::replace(name.begin(), name.end(), '/', '_');
  return folder + name;
}

std::vector<std::string> ManagementTitlesOf(const TrackList& rows, const TOutputOptions& options) {
  std::vector<std::string> titles;
  for (int row = 0; row < rows.RowCount(); ++row) {
    if (!IsOutputTarget(rows.Row(row))) continue;
    // The row's caption and artist, as the list shows them: after the properties
    // command re-read a retagged song, the record is newer than the row.
    const TrackRow& shown = rows.Row(row);
    titles.push_back(ManagementTitle(Utf8ToCp932(shown.caption),
                                     Utf8ToCp932(shown.sub_items[kSubArtist]), options));
  }
  return titles;
}

}  // namespace tarvello
