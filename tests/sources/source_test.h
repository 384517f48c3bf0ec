#pragma once

// What the song source tests share: a temporary folder, a file system that can lock
// files, and the table the sources fill.

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/track_table.h"
#include "common/common_routine.h"
#include "fakes/fake_platform.h"

namespace tarvello::testing {

class SourceTest : public ::testing::Test {
 protected:
  // A song of the test data.
  static std::string TestSong(std::string_view name) {
    return std::string(TARVELLO_TEST_DATA) + "/m4a/" + std::string(name);
  }
  // Fills the table with empty records up to one song below the limit.
  void FillToOneBelowTheLimit() {
    const TTrackInfo empty{};
    while (table_.TrackCount() < kMaxTracks - 1) table_.StoreTrack(table_.TrackCount(), empty);
  }
  // How many entries the temporary folder holds: temporary copies must not stay.
  size_t TempEntryCount() const {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(temp_.path()),
                                             std::filesystem::directory_iterator()));
  }

  fakes::TempDir temp_;
  fakes::LockingFileSystem files_;
  TempNameCounter names_;
  TrackTable table_;
  TTrackInfo staging_{};
  std::vector<std::string> track_id_list_;
};

}  // namespace tarvello::testing
