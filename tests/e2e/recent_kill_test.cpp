// The real programs killed at random moments while they change a recent-item file: the file
// holds the old list or the new one afterwards, never anything else (see recent_kill_harness.h).
#include <gtest/gtest.h>

#include <iostream>

#include "recent_kill_harness.h"

namespace {

using recent_kill::Road;

constexpr int kKillsPerRoad = 36;

class RecentKill : public ::testing::TestWithParam<Road> {};

TEST_P(RecentKill, TheFileHoldsTheOldListOrTheNewOne) {
  const uint32_t seed = GetTickCount() ^ (GetCurrentProcessId() << 16);
  std::cout << recent_kill::RoadName(GetParam()) << ", kill moments from seed " << seed << std::endl;
  testing_support::TempDir dir;
  recent_kill::KillRun run(GetParam(), dir.path(), seed);
  recent_kill::Tally tally;
  for (int kill = 0; kill < kKillsPerRoad; ++kill) {
    run.KillOnce(tally);
    ASSERT_EQ(tally.broken, 0) << "after kill " << kill + 1 << ", " << tally.firstProblem;
  }
  std::cout << kKillsPerRoad << " kills: " << tally.old << " old list, " << tally.fresh << " new list, " << tally.lost
            << " before the mark" << std::endl;
  EXPECT_LT(tally.lost, kKillsPerRoad / 2) << "the program did not reach the write";
}

INSTANTIATE_TEST_SUITE_P(Roads, RecentKill,
                         ::testing::Values(Road::StartRebinding, Road::FullUpdate, Road::SlotOneUpdate),
                         [](const auto& info) {
                           switch (info.param) {
                             case Road::StartRebinding:
                               return "BrivaneStart";
                             case Road::FullUpdate:
                               return "CaldrelFullUpdate";
                             default:
                               return "CaldrelSlotOne";
                           }
                         });

}  // namespace
