#include "sync/card_fit.h"

#include <algorithm>

#include "catalogue/output_totals.h"

namespace tarvello {
namespace {

// The room the songs still kept need, kept current as the fit changes them.
class RoomCount {
 public:
  RoomCount(const std::vector<FitSong>& songs, int64_t cluster_size) : cluster_(cluster_size) {
    for (const FitSong& song : songs) song_bytes_ += ClusterRound(song.bytes, cluster_);
    count_ = static_cast<int32_t>(songs.size());
  }

  int64_t Space() const {
    return song_bytes_ + ManagementFileCount(count_) * ClusterRound(kManagementFileSize, cluster_);
  }
  // A song's rounded size changes by `bytes` (negative when it shrinks).
  void Resize(int64_t bytes) { song_bytes_ += bytes; }
  // A song of `rounded` bytes is left out.
  void LeaveOut(int64_t rounded) {
    song_bytes_ -= rounded;
    --count_;
  }

 private:
  int64_t cluster_;
  int64_t song_bytes_ = 0;
  int32_t count_ = 0;
};

}  // namespace

int64_t ReencodedBytes(int32_t seconds, int kbps) {
  return int64_t{std::max(seconds, 0)} * kbps * 1000 / 8;
}

int64_t SpaceNeeded(const std::vector<FitSong>& songs, int64_t cluster_size) {
  return RoomCount(songs, cluster_size).Space();
}

FitPlan PlanFit(const std::vector<FitSong>& songs, const FitRoom& room) {
  FitPlan plan;
  RoomCount count(songs, room.cluster_size);
  plan.space_before = plan.space_after = count.Space();
  if (plan.space_before <= room.available) return plan;
  plan.needed = true;

  // What each song above the floor saves when re-encoded, cluster-rounded.
  const auto rounded = [&](int64_t bytes) { return ClusterRound(bytes, room.cluster_size); };
  std::vector<int64_t> saving(songs.size(), 0);
  std::vector<int> candidates;
  for (size_t i = 0; i < songs.size(); ++i) {
    if (songs[i].bit_rate <= int64_t{room.floor_kbps} * 1000) continue;
    saving[i] =
        rounded(songs[i].bytes) - rounded(ReencodedBytes(songs[i].seconds, room.floor_kbps));
    if (saving[i] > 0) candidates.push_back(static_cast<int>(i));
  }
  std::stable_sort(candidates.begin(), candidates.end(),
                   [&](int a, int b) { return songs[a].bytes > songs[b].bytes; });

  // 1. The largest songs above the floor re-encoded, until the songs fit.
  std::vector<char> reencoded(songs.size(), 0);
  for (int i : candidates) {
    if (count.Space() <= room.available) break;
    count.Resize(-saving[i]);
    reencoded[i] = 1;
    plan.reencoded.push_back(i);
  }

  // 2. Songs left out from the end, until the rest fits.
  std::vector<char> left_out(songs.size(), 0);
  for (int i = static_cast<int>(songs.size()) - 1; i >= 0 && count.Space() > room.available; --i) {
    count.LeaveOut(rounded(songs[i].bytes) - (reencoded[i] ? saving[i] : 0));
    left_out[i] = 1;
  }
  for (size_t i = 0; i < songs.size(); ++i) {
    if (left_out[i]) plan.left_out.push_back(static_cast<int>(i));
  }

  // 3. A left-out song is not re-encoded, and the re-encodes the kept songs no longer need
  // are dropped again, the smallest first, so the rest stay the largest.
  std::erase_if(plan.reencoded, [&](int i) { return left_out[i] != 0; });
  while (!plan.reencoded.empty() &&
         count.Space() + saving[plan.reencoded.back()] <= room.available) {
    count.Resize(saving[plan.reencoded.back()]);
    plan.reencoded.pop_back();
  }
  for (int i : plan.reencoded) plan.saved_by_reencoding += saving[i];
  plan.space_after = count.Space();
  return plan;
}

}  // namespace tarvello
