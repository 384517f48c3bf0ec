#pragma once

// The program-wide values of one main window, owned by its presenter.

#include <cstdint>
#include <string>
#include <vector>

#include "app/settings.h"
#include "catalogue/output_totals.h"
#include "catalogue/track_list.h"
#include "catalogue/track_table.h"
#include "common/common_routine.h"
#include "common/number_format.h"
#include "output/drive_list.h"

namespace tarvello {

struct AppState {
  AppState(const NumberSymbols& number_symbols, std::unique_ptr<TextCollator> collator)
      : symbols(number_symbols), rows(number_symbols, std::move(collator)) {}

  // Paths made at start-up.
  std::string IniFileName;
  std::string BackupFolder;
  std::string TempFolder;
  std::string LibraryFileName;
  std::string LibraryCopyName;

  NumberSymbols symbols;
  Settings settings;  // start-up values and OutputOptions
  TrackTable table;
  TTrackInfo StagingTrack{};
  TrackList rows;
  OutputTotals totals;
  DriveList drives;
  int CurrentDrive = -1;
  std::string DriveStatusText;       // status panel 1 as last shown
  bool DriveStatusNoMedium = false;  // panel 1 says the chosen drive has no medium
  // The output command is enabled: there is something to output and it fits the card.
  bool OutputAllowed = false;
  int32_t ListedCount = 0;
  int32_t CurrentTrackIndex = 0;
  TempNameCounter temp_names;
  // The playlist box's items (CP932) and, parallel to them, each playlist's track IDs.
  std::vector<std::string> PlaylistNames;
  std::vector<std::string> PlaylistTrackIds;
  std::vector<std::string> TrackIdList;
};

}  // namespace tarvello
