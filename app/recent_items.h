#pragma once
// The recent-item store: a small private INI file per window and per user holding the
// window's 20 latest choices, most recent first, and the popup that offers them again.
//
// Slot n (1..20) is the keys "Campo_"+n (the entry's number), "Texto_"+n (its text) and, in
// the task-panel file, "Encab_"+n (its header id). Nothing is kept in memory: every
// operation reads the file as it is at that moment.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace app {

constexpr char kRecentSection[] = "RECIENTES.";
constexpr int kRecentSlots = 20;
constexpr std::size_t kRecentFileNameCapacity = 500, kRecentTextCapacity = 100, kRecentPopupCapacity = 1000;

// Frame files identify an entry by its number alone; the task-panel file by its header id
// and number together (its slots carry "Encab_").
enum class RecentIdentity { Number, HeaderAndNumber };

// prefix + user name without trailing blanks + ".ini", cut to 500 characters.
std::string RecentItemsFileName(std::string_view prefix, std::string_view userName);

// Makes (header, number) slot 1 with its text; `header` is ignored for RecentIdentity::Number.
// When slot 1 is empty or already holds the entry only slot 1's keys are written. Otherwise
// the whole new section is prepared first and then replaces the old one in a single step,
// so a process killed at any moment leaves either the old list or the new one.
void PushRecentItem(const std::string& file, RecentIdentity identity, int32_t header, int32_t number,
                    std::string_view text);

// The popup's selection string of slots 1..20 (pure given the file), and the popup itself:
// returns the slot (1..20) of the chosen item, or 0 when it is dismissed or has no item.
std::string RecentItemsSelection(const std::string& file);
int RecentItemsPopup(const std::string& file);

// "Campo_"+n / "Encab_"+n read with default "0" as LONG, "Texto_"+n (first 100 characters).
int32_t RecentSlotNumber(const std::string& file, int n);
int32_t RecentSlotHeader(const std::string& file, int n);
std::string RecentSlotText(const std::string& file, int n);

// --- Pure parts, callable without a file (tested and benchmarked alone) ---

// What one PushRecentItem does, decided from the section's current "key=value" lines
// (as the private-profile layer hands them out, '\0'-separated).
struct RecentUpdate {
  // false: only the keys in `slotOneWrites` (slot 1's keys whose stored value differs) are
  // written, one by one; true: `section` replaces the whole section.
  bool wholeSection = false;
  std::vector<std::pair<std::string, std::string>> slotOneWrites;
  std::string section;  // "key=value" lines separated by '\0'
};
RecentUpdate PlanRecentUpdate(std::string_view sectionLines, RecentIdentity identity, int32_t header, int32_t number,
                              std::string_view text);

// The popup's items: the selection string and, for item k (1-based), the slot whose text
// made it (slotOfItem[k - 1]).
struct RecentChoices {
  std::string selection;
  std::vector<int> slotOfItem;
};
// Built from the texts of slots 1..20 as they read back (each at most 100 characters).
RecentChoices BuildRecentChoices(const std::vector<std::string>& texts);

}  // namespace app
