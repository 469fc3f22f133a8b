// Kill benchmark: the real programs killed hundreds of times on each road that writes a
// recent-item file (Brivane's start, Caldrel's full and slot-1-only updates); prints how
// many kills found the old list, the new one, or anything else (which must be none).
// Arguments: kills per road (default 300), then the folder of Brivane.exe and Caldrel.exe
// (default: TEST_BIN_DIR, or the benchmark's own folder).
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "bench_support.h"
#include "recent_kill_harness.h"

int main(int argc, char** argv) {
  const int kills = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
  if (argc > 2) SetEnvironmentVariableA("TEST_BIN_DIR", argv[2]);
  std::printf("recent-item files, %d kills per road\n", kills);
  std::printf("  %-60s %6s %6s %8s %7s %9s\n", "road", "old", "new", "neither", "no run", "s/kill");
  int broken = 0;
  for (recent_kill::Road road : {recent_kill::Road::StartRebinding, recent_kill::Road::FullUpdate,
                                 recent_kill::Road::SlotOneUpdate}) {
    testing_support::TempDir dir;
    recent_kill::KillRun run(road, dir.path(), GetTickCount());
    recent_kill::Tally tally;
    const double start = bench::NowMs();
    for (int k = 0; k < kills; ++k) run.KillOnce(tally);
    std::printf("  %-60s %6d %6d %8d %7d %9.2f\n", recent_kill::RoadName(road), tally.old, tally.fresh, tally.broken,
                tally.lost, (bench::NowMs() - start) / 1000.0 / kills);
    if (tally.broken) std::printf("    first file that was neither, %s\n", tally.firstProblem.c_str());
    broken += tally.broken;
  }
  std::printf("  files that were neither the old list nor the new, all roads: %d (goal: at most 0)\n", broken);
  return broken ? 1 : 0;
}
