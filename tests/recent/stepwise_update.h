#pragma once
// The recent-list update done the long way, one private-profile call per key: slots 1..20
// copied to 101..120, the kept ones written back from slot 2 on, the rest deleted, the entry
// written to slot 1. The tests hold the store's one-step update against it, and the kill
// test can run it to show what a kill in the middle of it costs.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/recent_items.h"

namespace recent_test {

void StepwisePushRecentItem(const std::string& file, app::RecentIdentity identity, int32_t header, int32_t number,
                            std::string_view text);

// The re-binding of a start done the long way: for every slot 1..20 and every task whose
// title its text is, "Encab_"+n and then "Campo_"+n written, one private-profile call each.
void StepwiseRebind(const std::string& file, const std::vector<app::RecentTask>& tasks);

}  // namespace recent_test
