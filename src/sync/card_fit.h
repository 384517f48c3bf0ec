#pragma once

// Fitting songs to the room a card offers: first the largest songs whose bit rate is
// above a floor are re-encoded at the floor, largest first, only as many as needed; when
// that is not enough, songs are left out from the end of the list. Sizes are counted as
// the program's totals count them: each song rounded up to whole clusters, plus the
// management files.

#include <cstdint>
#include <vector>

namespace tarvello {

// One song in list order, as the fit sees it.
struct FitSong {
  int64_t bytes = 0;
  int32_t seconds = 0;
  int32_t bit_rate = 0;  // bits per second; 0 when unknown (never re-encoded)
};

struct FitRoom {
  int64_t available = 0;     // free space plus what the output folder holds now
  int64_t cluster_size = 0;  // 0: sizes are not rounded
  int floor_kbps = 128;
};

struct FitPlan {
  bool needed = false;              // the songs as they are do not fit
  std::vector<int> reencoded;       // song indexes, largest first
  std::vector<int> left_out;        // song indexes, in list order
  int64_t space_before = 0;         // room the songs as they are need
  int64_t space_after = 0;          // room the fitted songs need (re-encodes estimated)
  int64_t saved_by_reencoding = 0;  // cluster-rounded bytes the re-encodes save

  bool Fits(const FitRoom& room) const { return space_after <= room.available; }
};

// The size of a song re-encoded at `kbps`, estimated from its play time, as the
// conversion estimates an encode.
int64_t ReencodedBytes(int32_t seconds, int kbps);

// The room `songs` need on the card: each cluster-rounded, plus the management files.
int64_t SpaceNeeded(const std::vector<FitSong>& songs, int64_t cluster_size);

// Plans the fit. A song is re-encoded only when its bit rate is above the floor and the
// estimate saves room; left-out songs are never re-encoded; a re-encode that the songs
// kept no longer need is dropped again.
FitPlan PlanFit(const std::vector<FitSong>& songs, const FitRoom& room);

}  // namespace tarvello
