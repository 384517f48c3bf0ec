#include "sync/sync_plan.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "sync/sync_run.h"
#include "sync_world.h"

namespace tarvello {
namespace {

namespace fs = std::filesystem;
using testing::QuietProgress;
using testing::SyncWorld;

class SyncPlanTest : public ::testing::Test {
 protected:
  SyncPlanTest() {
    music_ = world_.dir().Path("music");
    for (int i = 0; i < 10; ++i) {
      songs_.push_back(world_.MakeSong(music_ + "/song " + std::to_string(i) + ".m4a", 2, 128));
    }
    profile_.volume = SyncWorld::kVolume;
    profile_.sources = {{CardSourceKind::kFolder, music_, {}, {}}};
  }

  SyncPlan Plan() {
    world_.MeasureFree();
    return MakeSyncPlan(profile_, world_.root(), world_.context(), progress_);
  }
  SyncResult Run(SyncPlan& plan, bool confirmed) {
    return RunSync(plan, {world_.dir().Path("backup/day"), true, confirmed}, world_.context(),
                   progress_);
  }

  SyncWorld world_;
  QuietProgress progress_;
  std::string music_;
  std::vector<std::string> songs_;
  CardProfile profile_;
};

TEST_F(SyncPlanTest, RemovingMoreThanHalfOfTheCardAsksFirst) {
  SyncPlan first = Plan();
  EXPECT_EQ(first.added, 10);
  EXPECT_FALSE(first.NeedsConfirmation());  // an empty card loses nothing
  ASSERT_EQ(Run(first, false).output.written, 10);

  for (int i = 0; i < 6; ++i) fs::remove(songs_[i]);
  SyncPlan plan = Plan();
  EXPECT_EQ(plan.card_songs, 10);
  EXPECT_EQ(plan.removed, 6);
  EXPECT_EQ(plan.kept, 4);
  ASSERT_TRUE(plan.NeedsConfirmation());
  EXPECT_NE(MassRemovalQuestion(plan).find("10 曲のうち 6 曲"), std::string::npos);
  const auto before = world_.CardFiles();
  const SyncResult refused = Run(plan, false);
  EXPECT_EQ(refused.refusal.kind, SyncRefusalKind::kNotConfirmed);
  EXPECT_EQ(refused.refusal.message, MassRemovalQuestion(plan));
  EXPECT_TRUE(world_.CardFiles() == before);

  SyncPlan asked = Plan();
  EXPECT_EQ(Run(asked, true).output.written, 4);
  EXPECT_EQ(world_.CardFiles().size(), 5u);
}

TEST_F(SyncPlanTest, RemovingHalfGoesOnWithoutAQuestion) {
  SyncPlan first = Plan();
  Run(first, false);
  for (int i = 0; i < 5; ++i) fs::remove(songs_[i]);
  SyncPlan plan = Plan();
  EXPECT_EQ(plan.removed, 5);
  EXPECT_FALSE(plan.NeedsConfirmation());
  EXPECT_EQ(Run(plan, false).output.end, OutputRunEnd::kCompleted);
}

TEST_F(SyncPlanTest, AnUnchangedCardNeedsNothing) {
  SyncPlan first = Plan();
  Run(first, false);
  const SyncPlan again = Plan();
  EXPECT_FALSE(again.Changes());
  EXPECT_EQ(again.kept, 10);
  EXPECT_EQ(SyncBarText(again, "CARD", NumberSymbols()), "カード CARD は最新です.");
  fs::remove(songs_[9]);
  world_.MakeSong(music_ + "/song 99.m4a", 2, 128);
  const SyncPlan changed = Plan();
  EXPECT_EQ(SyncBarText(changed, "CARD", NumberSymbols()),
            "カード CARD を更新できます: 1 曲を追加、1 曲を削除 (" +
                FormatFileSize(changed.bytes_to_write, NumberSymbols()) + ")");
}

TEST_F(SyncPlanTest, ACardWithoutIdentityIsRefused) {
  world_.fake().files.volume_names.clear();
  const SyncPlan plan = Plan();
  EXPECT_EQ(plan.refusal.kind, SyncRefusalKind::kNoIdentity);
  EXPECT_EQ(plan.refusal.message, kNoCardIdentity);
  EXPECT_TRUE(world_.CardFiles().empty());
}

TEST_F(SyncPlanTest, SourcesThatCannotBeReadOrGiveNoSongAreNamed) {
  profile_.sources.push_back({CardSourceKind::kPlayerPlaylist, {}, "Rhythmbox", "Morning"});
  world_.context().players = {world_.dir().path(), world_.dir().Path("data"),
                              world_.dir().Path("config")};
  SyncPlan plan = Plan();
  EXPECT_EQ(plan.refusal.kind, SyncRefusalKind::kSourceUnreadable);
  EXPECT_NE(plan.refusal.message.find("Morning (Rhythmbox)"), std::string::npos);

  profile_.sources = {{CardSourceKind::kPlaylistFile, world_.dir().Path("gone.m3u8"), {}, {}}};
  EXPECT_EQ(Plan().refusal.kind, SyncRefusalKind::kSourceUnreadable);

  fakes::WriteFile(world_.dir().Path("missing.m3u8"), "#EXTM3U\n/nowhere/a.m4a\n");
  profile_.sources = {{CardSourceKind::kPlaylistFile, world_.dir().Path("missing.m3u8"), {}, {}}};
  plan = Plan();
  EXPECT_EQ(plan.refusal.kind, SyncRefusalKind::kSourceEmpty);
  EXPECT_NE(plan.refusal.message.find("missing.m3u8"), std::string::npos);
  EXPECT_TRUE(world_.CardFiles().empty());
}

TEST_F(SyncPlanTest, ACancelLeavesTheCardAlone) {
  progress_.cancel_after_ = 3;
  const SyncPlan plan = Plan();
  EXPECT_EQ(plan.refusal.kind, SyncRefusalKind::kCancelled);
  EXPECT_TRUE(world_.CardFiles().empty());
}

}  // namespace
}  // namespace tarvello
