#include "recent_items.h"

#include <array>
#include <optional>

#include "runtime/ini_entry.h"
#include "runtime/popup_menu.h"
#include "runtime/profile_file.h"

namespace app {
namespace {

constexpr int kFirstTemporarySlot = 101, kLastTemporarySlot = 120;

// The three keys of a slot, in the order a slot is written.
enum KeyKind { kEncab = 0, kCampo = 1, kTexto = 2 };
constexpr std::array<const char*, 3> kKeyPrefix{"Encab_", "Campo_", "Texto_"};

// The names of the slots an update uses are made once: it names some 200 keys.
std::string SlotKeyName(KeyKind kind, int n) {
  static const auto names = [] {
    std::array<std::array<std::string, kLastTemporarySlot + 1>, 3> all;
    for (std::size_t k = 0; k < all.size(); ++k)
      for (int i = 1; i <= kLastTemporarySlot; ++i) all[k][i] = kKeyPrefix[k] + std::to_string(i);
    return all;
  }();
  if (n < 1 || n > kLastTemporarySlot) return kKeyPrefix[kind] + std::to_string(n);
  return names[kind][n];
}

// A text goes into one "key=value" line: a line break would split it and let the rest of
// the text pose as keys or sections, so breaks become blanks (a NUL ends it, as it ends
// any text the private-profile layer is given).
std::string OneLine(std::string_view text) {
  std::string out(text.substr(0, text.find('\0')));
  for (char& c : out)
    if (c == '\r' || c == '\n') c = ' ';
  return out;
}

struct Slot {
  int32_t header = 0;
  int32_t number = 0;
  std::string text;
};

bool SameEntry(const Slot& s, RecentIdentity identity, int32_t header, int32_t number) {
  return s.number == number && (identity == RecentIdentity::Number || s.header == header);
}

// "Texto_"+n as a read gives it, first 100 characters.
std::string SlotText(const rt::ProfileImage& file, int n) {
  return rt::CutTo(file.Read(kRecentSection, SlotKeyName(kTexto, n), ""), kRecentTextCapacity);
}

// A slot's keys read as the store reads them: numbers through a LONG (missing reads as 0),
// the text through the 100-character text.
Slot ReadSlot(const rt::ProfileImage& file, RecentIdentity identity, int n) {
  Slot s;
  if (identity == RecentIdentity::HeaderAndNumber)
    s.header = rt::ToLong(file.Read(kRecentSection, SlotKeyName(kEncab, n), ""));
  s.number = rt::ToLong(file.Read(kRecentSection, SlotKeyName(kCampo, n), ""));
  s.text = SlotText(file, n);
  return s;
}

// A slot's keys written, or deleted, in the order Encab_, Campo_, Texto_.
void WriteSlot(rt::ProfileImage& file, RecentIdentity identity, int n, const Slot& s) {
  if (identity == RecentIdentity::HeaderAndNumber)
    file.Write(kRecentSection, SlotKeyName(kEncab, n), std::to_string(s.header));
  file.Write(kRecentSection, SlotKeyName(kCampo, n), std::to_string(s.number));
  file.Write(kRecentSection, SlotKeyName(kTexto, n), std::string_view(s.text));
}

void DeleteSlot(rt::ProfileImage& file, RecentIdentity identity, int n) {
  if (identity == RecentIdentity::HeaderAndNumber) file.Write(kRecentSection, SlotKeyName(kEncab, n), std::nullopt);
  file.Write(kRecentSection, SlotKeyName(kCampo, n), std::nullopt);
  file.Write(kRecentSection, SlotKeyName(kTexto, n), std::nullopt);
}

// Titles compare as the runtime compares texts: trailing blanks do not count.
bool SameTitle(std::string_view a, std::string_view b) { return rt::TrimRight(a) == rt::TrimRight(b); }

}  // namespace

std::string RecentItemsFileName(std::string_view prefix, std::string_view userName) {
  return rt::CutTo(std::string(prefix) + rt::TrimRight(userName) + ".ini", kRecentFileNameCapacity);
}

void PushRecentItem(rt::ProfileImage& file, RecentIdentity identity, int32_t header, int32_t number,
                    std::string_view text) {
  if (identity == RecentIdentity::Number) header = 0;
  const Slot first = ReadSlot(file, identity, 1);
  if (first.number != 0 && !SameEntry(first, identity, header, number)) {
    // The whole list moves: every slot is copied to its temporary slot, then each copied one
    // with a text that is not blank and that is not the entry is written back from slot 2
    // on, at most 19 of them, so that the oldest falls off a full list.
    for (int n = 1; n <= kRecentSlots; ++n) WriteSlot(file, identity, n + 100, ReadSlot(file, identity, n));
    int p = 1;
    for (int n = kFirstTemporarySlot; n <= kLastTemporarySlot; ++n) {
      const Slot s = ReadSlot(file, identity, n);
      if (!rt::IsBlank(s.text) && !SameEntry(s, identity, header, number) && p < kRecentSlots)
        WriteSlot(file, identity, ++p, s);
      DeleteSlot(file, identity, n);
    }
    for (int n = p + 1; n <= kRecentSlots; ++n) DeleteSlot(file, identity, n);
  }
  WriteSlot(file, identity, 1, Slot{header, number, OneLine(text)});
}

void PushRecentItem(const std::string& file, RecentIdentity identity, int32_t header, int32_t number,
                    std::string_view text) {
  rt::ProfileEdit edit(file);
  PushRecentItem(edit.image(), identity, header, number, text);
  edit.Commit();
}

void RebindRecentItems(rt::ProfileImage& file, const std::vector<RecentTask>& tasks) {
  for (int n = 1; n <= kRecentSlots; ++n) {
    if (const RecentTask* t = FindRecentTask(tasks, SlotText(file, n))) {
      file.Write(kRecentSection, SlotKeyName(kEncab, n), std::to_string(t->header));
      file.Write(kRecentSection, SlotKeyName(kCampo, n), std::to_string(t->task));
    }
  }
}

void RebindRecentItems(const std::string& file, const std::vector<RecentTask>& tasks) {
  rt::ProfileEdit edit(file);
  RebindRecentItems(edit.image(), tasks);
  edit.Commit();
}

const RecentTask* FindRecentTask(const std::vector<RecentTask>& tasks, std::string_view text) {
  for (auto t = tasks.rbegin(); t != tasks.rend(); ++t)
    if (SameTitle(t->title, text)) return &*t;
  return nullptr;
}

void PushRecentTask(const std::string& file, const RecentTask& task) {
  rt::ProfileEdit edit(file);
  // A blank title (ids that name no task) is the title of no other slot.
  if (!rt::IsBlank(task.title)) RebindRecentItems(edit.image(), {task});
  PushRecentItem(edit.image(), RecentIdentity::HeaderAndNumber, task.header, task.task, task.title);
  edit.Commit();
}

RecentChoices BuildRecentChoices(const std::vector<std::string>& texts) {
  RecentChoices out;
  // Where each slot's bar went in (none once the string is full).
  std::array<std::size_t, kRecentSlots + 2> bar;
  bar.fill(std::string::npos);
  std::string& sel = out.selection;
  for (int n = 1; n <= kRecentSlots; ++n) {
    sel = rt::TrimRight(sel);
    if (sel.size() < kRecentPopupCapacity) bar[n] = sel.size();
    const std::string& t = n <= static_cast<int>(texts.size()) ? texts[n - 1] : std::string();
    sel = rt::CutTo(sel + "|" + t, kRecentPopupCapacity);
  }
  // Items are numbered as they are made; those completed between a slot's bar and the
  // next one came from that slot's text.
  auto itemsBefore = [&](std::size_t end) {
    int count = 0;
    for (const rt::PopupItem& item : rt::ParsePopupSelection(std::string_view(sel).substr(0, end)))
      if (item.kind == rt::PopupItem::Kind::Item) ++count;
    return count;
  };
  int made = 0;
  for (int n = 1; n <= kRecentSlots; ++n) {
    if (bar[n] == std::string::npos) break;
    std::size_t end = sel.size();
    for (int m = n + 1; m <= kRecentSlots; ++m)
      if (bar[m] != std::string::npos) {
        end = bar[m];
        break;
      }
    const int upTo = itemsBefore(end);
    for (; made < upTo; ++made) out.slotOfItem.push_back(n);
  }
  return out;
}

namespace {
std::vector<std::string> SlotTexts(const rt::ProfileImage& file) {
  std::vector<std::string> texts;
  for (int n = 1; n <= kRecentSlots; ++n) texts.push_back(SlotText(file, n));
  return texts;
}
}  // namespace

std::string RecentItemsSelection(const std::string& file) {
  return BuildRecentChoices(SlotTexts(rt::ReadProfileFile(file))).selection;
}

RecentChoice RecentItemsPopup(const std::string& file) {
  const rt::ProfileImage image = rt::ReadProfileFile(file);
  const RecentChoices choices = BuildRecentChoices(SlotTexts(image));
  const int item = rt::PopupMenu(choices.selection);
  RecentChoice out;
  if (item < 1 || item > static_cast<int>(choices.slotOfItem.size())) return out;
  out.slot = choices.slotOfItem[item - 1];
  Slot s = ReadSlot(image, RecentIdentity::HeaderAndNumber, out.slot);
  out.entry = RecentEntry{s.header, s.number, std::move(s.text)};
  return out;
}

// The list is read as the private-profile layer reads it, but by the store itself: the layer
// would open the file for every key, and a copy of it kept by the layer would have to be
// dropped at every update.
int32_t RecentSlotNumber(const std::string& file, int n) {
  return rt::ToLong(rt::ReadProfileFile(file).Read(kRecentSection, SlotKeyName(kCampo, n), "0"));
}

int32_t RecentSlotHeader(const std::string& file, int n) {
  return rt::ToLong(rt::ReadProfileFile(file).Read(kRecentSection, SlotKeyName(kEncab, n), "0"));
}

std::string RecentSlotText(const std::string& file, int n) { return SlotText(rt::ReadProfileFile(file), n); }

}  // namespace app
