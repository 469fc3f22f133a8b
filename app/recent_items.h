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
#include <vector>

#include "runtime/profile_image.h"

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
// The update is the key-by-key rule of the list (slots copied to 101..120, the kept ones
// written back from slot 2 on, the rest deleted, the entry written to slot 1), replayed on
// the file in memory; the result then replaces the file in one step, so a process killed at
// any moment leaves either the old list or the new one.
void PushRecentItem(const std::string& file, RecentIdentity identity, int32_t header, int32_t number,
                    std::string_view text);

// "Campo_"+n / "Encab_"+n read with default "0" as LONG, "Texto_"+n (first 100 characters).
int32_t RecentSlotNumber(const std::string& file, int n);
int32_t RecentSlotHeader(const std::string& file, int n);
std::string RecentSlotText(const std::string& file, int n);

// A stored entry: its "Encab_", "Campo_" and "Texto_" as those read them.
struct RecentEntry {
  int32_t header = 0;
  int32_t number = 0;
  std::string text;
};
// The chosen slot (1..20; 0 when the popup is dismissed or has no item) and its entry, read
// with the texts the popup shows: a list another process changes meanwhile does not give the
// choice another entry's ids.
struct RecentChoice {
  int slot = 0;
  RecentEntry entry;
};

// The popup's selection string of slots 1..20 (pure given the file), and the popup itself.
std::string RecentItemsSelection(const std::string& file);
RecentChoice RecentItemsPopup(const std::string& file);

// A task of this run as the re-binding sees it: its ids and its title.
struct RecentTask {
  int32_t header = 0;
  int32_t task = 0;
  std::string title;
};
// The re-binding of a start: every slot 1..20 whose text is the title of one of `tasks`
// (trailing blanks do not count) gets that task's ids, "Encab_"+n then "Campo_"+n; texts and
// other slots are not touched. The writes are made on the file in memory and put in place
// in one step; nothing is written when no stored id changes, and no file is created.
void RebindRecentItems(const std::string& file, const std::vector<RecentTask>& tasks);

// The task of `tasks` whose title is `text` (trailing blanks do not count), null when none;
// the last of equal titles: the one the re-binding binds a slot to.
const RecentTask* FindRecentTask(const std::vector<RecentTask>& tasks, std::string_view text);

// Records a task of this run in a task-panel file as PushRecentItem does, after binding to
// its ids the slots that hold its title under other ids (stored by another run of the window
// in the same folder), so that its title ends in one slot. In one step, as PushRecentItem.
void PushRecentTask(const std::string& file, const RecentTask& task);

// --- Pure parts, callable without a file (tested and benchmarked alone) ---

// The update and the re-binding on a file held in memory.
void PushRecentItem(rt::ProfileImage& file, RecentIdentity identity, int32_t header, int32_t number,
                    std::string_view text);
void RebindRecentItems(rt::ProfileImage& file, const std::vector<RecentTask>& tasks);

// The popup's items: the selection string and, for item k (1-based), the slot whose text
// made it (slotOfItem[k - 1]).
struct RecentChoices {
  std::string selection;
  std::vector<int> slotOfItem;
};
// Built from the texts of slots 1..20 as they read back (each at most 100 characters).
RecentChoices BuildRecentChoices(const std::vector<std::string>& texts);

}  // namespace app
