// Test helper: records entries into a recent-item file as fast as it can, until it is
// killed. Arguments: file, "frame" or "panel", seed, name of an event set once it runs,
// and optionally "stepwise" to use the key-by-key update instead of the store's, and "slot1"
// to record, over and over, the entry of slot 1 with its text and another one by turns (the
// road that rewrites slot 1 only).
#include <windows.h>

#include <cstdlib>
#include <string>

#include "app/recent_items.h"
#include "churn_plan.h"
#include "stepwise_update.h"

int main(int argc, char** argv) {
  if (argc < 5) return 2;
  const std::string file = argv[1];
  const app::RecentIdentity identity =
      std::string(argv[2]) == "panel" ? app::RecentIdentity::HeaderAndNumber : app::RecentIdentity::Number;
  recent_test::ChurnPicks picks(static_cast<uint32_t>(std::strtoul(argv[3], nullptr, 10)));
  bool stepwise = false, slotOne = false;
  for (int i = 5; i < argc; ++i) {
    stepwise = stepwise || std::string(argv[i]) == "stepwise";
    slotOne = slotOne || std::string(argv[i]) == "slot1";
  }
  if (HANDLE running = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[4])) {
    SetEvent(running);
    CloseHandle(running);
  }
  for (bool other = true;; other = !other) {
    recent_test::ChurnEntry e = recent_test::ChurnEntryAt(slotOne ? 0 : picks.Next(), identity);
    if (slotOne && other) e.text = recent_test::OtherText(e.text);
    if (stepwise) recent_test::StepwisePushRecentItem(file, identity, e.header, e.number, e.text);
    else app::PushRecentItem(file, identity, e.header, e.number, e.text);
  }
}
