#pragma once
// What the churn helper does, known to the kill test as well: 20 entries, all stored, and a
// sequence of picks from a seed; each pick is recorded as slot 1, so every update of a full
// list moves one entry to the top and no entry ever falls off.
#include <cstdint>
#include <string>

#include "app/recent_items.h"

namespace recent_test {

constexpr int kChurnEntries = 20;

struct ChurnEntry {
  int32_t header = 0, number = 0;
  std::string text;
};

// Task-panel entries repeat each task id under two header ids.
inline ChurnEntry ChurnEntryAt(int i, app::RecentIdentity identity) {
  if (identity == app::RecentIdentity::Number) return {0, -(100 + i), "Opcion " + std::to_string(i)};
  return {(i % 2) ? 1000007 : 7, 300 + i / 2, "Tarea " + std::to_string(i)};
}

// The other text the slot-1 churn records the entry of slot 1 with, by turns.
inline std::string OtherText(const std::string& text) { return text + " (bis)"; }

class ChurnPicks {
 public:
  explicit ChurnPicks(uint32_t seed) : state_(seed) {}
  int Next() {
    state_ = state_ * 1664525u + 1013904223u;
    return static_cast<int>((state_ >> 12) % kChurnEntries);
  }

 private:
  uint32_t state_;
};

}  // namespace recent_test
