#include "sync/sync_plan.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "sync_world.h"

namespace tarvello {
namespace {

namespace fs = std::filesystem;

// A card profile over a folder of ten songs.
class SyncPlanTest : public ::testing::Test {
 protected:
  SyncPlanTest() {
    for (int i = 0; i < 10; ++i) {
      songs_.push_back(world_.MakeSong(music_ + "/song " + std::to_string(i) + ".m4a", 2, 128));
    }
    profile_.volume = testing::SyncWorld::kVolume;
    profile_.sources = {{CardSourceKind::kFolder, music_, {}, {}}};
  }

  SyncPlan Plan() { return world_.Plan(profile_, progress_); }
  SyncResult Run(SyncPlan& plan, bool confirmed) { return world_.Run(plan, confirmed, progress_); }
  void FillTheCard() {
    SyncPlan first = Plan();
    ASSERT_EQ(Run(first, false).output.written, 10);
  }

  testing::SyncWorld world_;
  testing::RecordingProgress progress_;
  const std::string music_ = world_.dir().Path("music");
  std::vector<std::string> songs_;
  CardProfile profile_;
};

TEST_F(SyncPlanTest, RemovingMoreThanHalfOfTheCardAsksFirst) {
  FillTheCard();
  for (int i = 0; i < 5; ++i) fs::remove(songs_[i]);
  SyncPlan half = Plan();
  EXPECT_EQ(half.removed, 5);
  EXPECT_FALSE(half.NeedsConfirmation());

  fs::remove(songs_[5]);
  SyncPlan plan = Plan();
  ASSERT_TRUE(plan.NeedsConfirmation());
  EXPECT_NE(MassRemovalQuestion(plan).find("10 曲のうち 6 曲"), std::string::npos);
  const auto before = world_.CardFiles();
  const SyncResult refused = Run(plan, false);
  EXPECT_EQ(refused.refusal.kind, SyncRefusalKind::kNotConfirmed);
  EXPECT_EQ(refused.refusal.message, MassRemovalQuestion(plan));
  EXPECT_TRUE(world_.CardFiles() == before);
}

TEST_F(SyncPlanTest, TheBarTellsWhatAnUpdateWouldDo) {
  FillTheCard();
  const SyncPlan again = Plan();
  EXPECT_FALSE(again.Changes());
  EXPECT_EQ(SyncBarText(again, "CARD", NumberSymbols()), "カード CARD は最新です.");
  fs::remove(songs_[9]);
  world_.MakeSong(music_ + "/song 99.m4a", 2, 128);
  const SyncPlan changed = Plan();
  EXPECT_EQ(SyncBarText(changed, "CARD", NumberSymbols()),
            "カード CARD を更新できます: 1 曲を追加、1 曲を削除 (" +
                FormatFileSize(changed.bytes_to_write, NumberSymbols()) + ")");
}

// Refused plans name their cause (the cancel aside) and leave the card alone.
TEST_F(SyncPlanTest, RefusalsNameTheirCauseAndLeaveTheCardAlone) {
  world_.context().players = {world_.dir().path(), world_.dir().Path("data"),
                              world_.dir().Path("config")};
  fakes::WriteFile(world_.dir().Path("missing.m3u8"), "#EXTM3U\n/nowhere/a.m4a\n");
  const CardSource folder = profile_.sources[0];
  const CardSource player{CardSourceKind::kPlayerPlaylist, {}, "Rhythmbox", "Morning"};
  const CardSource empty{CardSourceKind::kPlaylistFile, world_.dir().Path("missing.m3u8"), {}, {}};
  struct Case {
    std::vector<CardSource> sources;
    std::function<void()> set_up;
    SyncRefusalKind kind;
    std::string named;  // in the message
  };
  const Case cases[] = {
      {{folder, player}, [] {}, SyncRefusalKind::kSourceUnreadable, "Morning (Rhythmbox)"},
      {{empty}, [] {}, SyncRefusalKind::kSourceEmpty, "missing.m3u8"},
      {{folder}, [&] { progress_.cancel_at_check = 3; }, SyncRefusalKind::kCancelled, ""},
      {{folder},
       [&] { world_.fake().files.volume_names.clear(); },
       SyncRefusalKind::kNoIdentity,
       kNoCardIdentity},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(SyncRefusalReason(c.kind));
    profile_.sources = c.sources;
    progress_ = {};
    c.set_up();
    const SyncPlan plan = Plan();
    EXPECT_EQ(plan.refusal.kind, c.kind);
    if (!c.named.empty()) {
      EXPECT_NE(plan.refusal.message.find(c.named), std::string::npos) << plan.refusal.message;
    }
    EXPECT_TRUE(world_.CardFiles().empty());
  }
}

}  // namespace
}  // namespace tarvello
