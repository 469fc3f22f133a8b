#include "recent_items.h"

#include <windows.h>

#include <array>
#include <optional>

#include "runtime/ini_entry.h"
#include "runtime/popup_menu.h"

namespace app {
namespace {

constexpr int kFirstTemporarySlot = 101, kLastTemporarySlot = 120;

// The three keys of a slot, in the order a slot is written.
enum KeyKind { kEncab = 0, kCampo = 1, kTexto = 2 };
constexpr std::array<const char*, 3> kKeyPrefix{"Encab_", "Campo_", "Texto_"};

std::string SlotKeyName(KeyKind kind, int n) { return kKeyPrefix[kind] + std::to_string(n); }

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (Lower(text[i]) != Lower(prefix[i])) return false;
  return true;
}

// One line of the section as the private-profile layer hands it out: the key and, when
// the line has an '=', its stored value.
struct Line {
  std::string key;
  std::optional<std::string> value;
};

std::vector<Line> SplitLines(std::string_view lines) {
  std::vector<Line> out;
  std::size_t start = 0;
  while (start < lines.size()) {
    std::size_t end = lines.find('\0', start);
    if (end == std::string_view::npos) end = lines.size();
    const std::string_view line = lines.substr(start, end - start);
    if (!line.empty()) {
      const std::size_t eq = line.find('=');
      if (eq == std::string_view::npos) out.push_back({std::string(line), std::nullopt});
      else out.push_back({std::string(line.substr(0, eq)), std::string(line.substr(eq + 1))});
    }
    start = end + 1;
  }
  return out;
}

// Which slot key a key name is (the layer matches key names without regard to case), or
// nothing when it is not one the store owns: Encab_ only in the task-panel file, slot
// numbers 1..20 and the temporary 101..120, written without leading zeros.
struct OwnedKey {
  KeyKind kind;
  int slot;
};
std::optional<OwnedKey> ParseOwnedKey(std::string_view key, RecentIdentity identity) {
  for (int kind = kEncab; kind <= kTexto; ++kind) {
    if (kind == kEncab && identity != RecentIdentity::HeaderAndNumber) continue;
    if (!StartsWithNoCase(key, kKeyPrefix[kind])) continue;
    const std::string_view digits = key.substr(6);
    if (digits.empty() || digits.size() > 3 || digits[0] == '0') return std::nullopt;
    int n = 0;
    for (char c : digits) {
      if (c < '0' || c > '9') return std::nullopt;
      n = n * 10 + (c - '0');
    }
    const bool slot = n >= 1 && n <= kRecentSlots;
    const bool temporary = n >= kFirstTemporarySlot && n <= kLastTemporarySlot;
    if (!slot && !temporary) return std::nullopt;
    return OwnedKey{static_cast<KeyKind>(kind), n};
  }
  return std::nullopt;
}

// A read hands back the stored value without one pair of matching quotes around it, at
// most 1023 characters.
std::string AsRead(std::string_view stored) {
  if (stored.size() > 1 && (stored[0] == '"' || stored[0] == '\'') && stored.back() == stored[0])
    stored = stored.substr(1, stored.size() - 2);
  return rt::CutTo(stored, rt::kIniValueCapacity);
}

bool IsProfileSpace(char c) { return (c >= 0x09 && c <= 0x0d) || c == 0x1a || c == ' '; }

// What a WriteIniEntry of `value` leaves stored: trailing blanks removed, cut to 1023
// characters, and the leading white space the private-profile layer drops on writing.
std::string StoredForm(std::string_view value) {
  std::string v = rt::CutTo(rt::TrimRight(value), rt::kIniValueCapacity);
  std::size_t i = 0;
  while (i < v.size() && IsProfileSpace(v[i])) ++i;
  return v.substr(i);
}

// A text goes into one "key=value" line: a line break or a NUL would split it and let the
// rest of the text pose as keys or sections, so it ends at a NUL and breaks become blanks.
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

// The section read once: its lines, and for every owned key the first line holding it
// (the one a single-key read would find).
class SectionView {
 public:
  SectionView(std::string_view lines, RecentIdentity identity) : lines_(SplitLines(lines)) {
    for (auto& row : first_) row.fill(-1);
    owned_.resize(lines_.size(), false);
    for (std::size_t i = 0; i < lines_.size(); ++i) {
      const auto key = ParseOwnedKey(lines_[i].key, identity);
      if (!key) continue;
      owned_[i] = true;
      int& first = first_[key->kind][key->slot];
      if (first < 0) first = static_cast<int>(i);
    }
  }

  // The stored value of a key, nothing when the key is missing or has no value.
  const std::optional<std::string>& Stored(KeyKind kind, int n) const {
    static const std::optional<std::string> none;
    const int i = first_[kind][n];
    return i < 0 ? none : lines_[i].value;
  }
  // Reads as ReadIniEntry with an empty default does.
  std::string Read(KeyKind kind, int n) const {
    const auto& v = Stored(kind, n);
    return v ? AsRead(*v) : std::string();
  }
  Slot ReadSlot(int n) const {
    return Slot{rt::ToLong(Read(kEncab, n)), rt::ToLong(Read(kCampo, n)), rt::CutTo(Read(kTexto, n), kRecentTextCapacity)};
  }
  // Every line whose key the store does not own, in file order. A line without "=" holds
  // no value (it reads as missing) and the layer's section write does not keep it either.
  void AppendForeign(std::string& out) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
      if (owned_[i] || !lines_[i].value) continue;
      if (!out.empty()) out.push_back('\0');
      out += lines_[i].key + "=" + *lines_[i].value;
    }
  }

 private:
  std::vector<Line> lines_;
  std::vector<bool> owned_;
  std::array<std::array<int, kLastTemporarySlot + 1>, 3> first_{};
};

void AppendSlot(std::string& out, RecentIdentity identity, int n, const Slot& s) {
  auto add = [&](KeyKind kind, const std::string& value) {
    if (!out.empty()) out.push_back('\0');
    out += SlotKeyName(kind, n) + "=" + value;
  };
  if (identity == RecentIdentity::HeaderAndNumber) add(kEncab, std::to_string(s.header));
  add(kCampo, std::to_string(s.number));
  add(kTexto, StoredForm(s.text));
}

// The file the private-profile layer opens for `file`: a bare name lies in the Windows
// directory, anything with a path is taken as it is.
std::string ProfilePath(std::string_view file) {
  const std::string f = rt::CutTo(rt::TrimRight(file), rt::kIniFileNameCapacity);
  if (f.empty()) return f;
  const bool hasPath = f.find_first_of("\\/") != std::string::npos || (f.size() > 1 && f[1] == ':');
  if (hasPath) return f;
  char dir[MAX_PATH] = {};
  const UINT n = GetWindowsDirectoryA(dir, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::string(dir) + "\\" + f : f;
}

// The scratch file beside `path` that a new section is written into before it replaces
// the file; one fixed name, so a leftover is simply overwritten by the next update.
std::string ScratchPath(const std::string& path) {
  if (path.size() < rt::kIniFileNameCapacity) return path + "~";
  std::string s = path.substr(0, rt::kIniFileNameCapacity);
  s.back() = s.back() == '~' ? '_' : '~';
  return s;
}

// The whole file as bytes; false when it cannot be read (or is far larger than a list).
bool ReadWholeFile(const std::string& path, std::string& out) {
  HANDLE in = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (in == INVALID_HANDLE_VALUE) return false;
  out.clear();
  static constexpr DWORD kChunk = 65536;
  std::vector<char> buffer(kChunk);
  bool ok = true;
  for (;;) {
    DWORD n = 0;
    if (!ReadFile(in, buffer.data(), kChunk, &n, nullptr)) {
      ok = false;
      break;
    }
    out.append(buffer.data(), n);
    if (n < kChunk) break;
    if (out.size() > 16 * kChunk) {
      ok = false;
      break;
    }
  }
  CloseHandle(in);
  return ok;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
  HANDLE out = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  written == bytes.size();
  return CloseHandle(out) && ok;
}

// A file holding the section alone, laid out as the private-profile layer writes it.
std::string SectionFileText(std::string_view lines) {
  std::string out = std::string("[") + kRecentSection + "]\r\n";
  std::size_t start = 0;
  while (start < lines.size()) {
    std::size_t end = lines.find('\0', start);
    if (end == std::string_view::npos) end = lines.size();
    if (end > start) out.append(lines.substr(start, end - start)).append("\r\n");
    start = end + 1;
  }
  return out;
}

// Replaces the section in one step: the new file is written beside the old one and takes
// its place by a rename, so the file always holds either the old or the new list (the
// private-profile layer itself truncates a file before it writes it anew, and a kill in
// between would lose the whole file).
//
// When the file is exactly the section as the layer lays it out (what it holds once the
// store has written it), the new file is laid out the same way directly; any other file
// (more sections, comments, hand-edited spacing) is copied and the layer rewrites the copy.
void ReplaceSection(const std::string& file, std::string_view currentLines, const std::string& content) {
  const std::string target = ProfilePath(file);
  bool replaced = false;
  if (!target.empty()) {
    const std::string scratch = ScratchPath(target);
    std::string bytes;
    if (ReadWholeFile(target, bytes) && bytes == SectionFileText(currentLines)) {
      replaced = WriteWholeFile(scratch, SectionFileText(content));
    } else if (CopyFileA(target.c_str(), scratch.c_str(), FALSE)) {
      std::string block = content;
      block.append(2, '\0');
      replaced = WritePrivateProfileSectionA(kRecentSection, block.data(), scratch.c_str());
    }
    replaced = replaced && MoveFileExA(scratch.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING);
    if (!replaced) DeleteFileA(scratch.c_str());
  }
  // Without a file beside it (the file vanished, or its directory takes no new file) the
  // section is still written in a single call.
  if (!replaced) rt::WriteIniSection(kRecentSection, content, file);
}

}  // namespace

std::string RecentItemsFileName(std::string_view prefix, std::string_view userName) {
  return rt::CutTo(std::string(prefix) + rt::TrimRight(userName) + ".ini", kRecentFileNameCapacity);
}

RecentUpdate PlanRecentUpdate(std::string_view sectionLines, RecentIdentity identity, int32_t header, int32_t number,
                              std::string_view text) {
  if (identity == RecentIdentity::Number) header = 0;
  const SectionView view(sectionLines, identity);
  const std::string entryText = OneLine(text);
  RecentUpdate update;

  const Slot first = view.ReadSlot(1);
  if (first.number == 0 || SameEntry(first, identity, header, number)) {
    // Only slot 1 changes: write the keys whose stored value differs, the number last, so
    // that slot 1 never shows the new number with another entry's text.
    auto want = [&](KeyKind kind, const std::string& value) {
      const auto& stored = view.Stored(kind, 1);
      if (!stored || *stored != StoredForm(value)) update.slotOneWrites.emplace_back(SlotKeyName(kind, 1), value);
    };
    want(kTexto, rt::CutTo(rt::TrimRight(entryText), rt::kIniValueCapacity));
    if (identity == RecentIdentity::HeaderAndNumber) want(kEncab, std::to_string(header));
    want(kCampo, std::to_string(number));
    return update;
  }

  // The whole list moves: the new entry first, then every stored slot with a text that is
  // not blank and that is not the entry, in order, at most 19 of them. A slot's values take
  // the road of a copy to a temporary slot and back: numbers through a LONG, texts through
  // the 100-character text, each way.
  update.wholeSection = true;
  Slot entry{header, number, entryText};
  AppendSlot(update.section, identity, 1, entry);
  int p = 1;
  for (int n = 1; n <= kRecentSlots && p < kRecentSlots; ++n) {
    Slot s = view.ReadSlot(n);
    s.text = rt::CutTo(AsRead(StoredForm(s.text)), kRecentTextCapacity);
    if (rt::IsBlank(s.text) || SameEntry(s, identity, header, number)) continue;
    AppendSlot(update.section, identity, ++p, s);
  }
  view.AppendForeign(update.section);
  return update;
}

void PushRecentItem(const std::string& file, RecentIdentity identity, int32_t header, int32_t number,
                    std::string_view text) {
  const std::string lines = rt::ReadIniSection(kRecentSection, file);
  const RecentUpdate update = PlanRecentUpdate(lines, identity, header, number, text);
  if (update.wholeSection) {
    ReplaceSection(file, lines, update.section);
    return;
  }
  for (const auto& [key, value] : update.slotOneWrites)
    rt::WriteIniEntry(kRecentSection, key, std::string_view(value), file);
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

std::string RecentItemsSelection(const std::string& file) {
  std::vector<std::string> texts;
  for (int n = 1; n <= kRecentSlots; ++n) texts.push_back(RecentSlotText(file, n));
  return BuildRecentChoices(texts).selection;
}

int RecentItemsPopup(const std::string& file) {
  std::vector<std::string> texts;
  for (int n = 1; n <= kRecentSlots; ++n) texts.push_back(RecentSlotText(file, n));
  const RecentChoices choices = BuildRecentChoices(texts);
  const int item = rt::PopupMenu(choices.selection);
  return item >= 1 && item <= static_cast<int>(choices.slotOfItem.size()) ? choices.slotOfItem[item - 1] : 0;
}

int32_t RecentSlotNumber(const std::string& file, int n) {
  return rt::ToLong(rt::ReadIniEntry(kRecentSection, SlotKeyName(kCampo, n), "0", file));
}

int32_t RecentSlotHeader(const std::string& file, int n) {
  return rt::ToLong(rt::ReadIniEntry(kRecentSection, SlotKeyName(kEncab, n), "0", file));
}

std::string RecentSlotText(const std::string& file, int n) {
  return rt::CutTo(rt::ReadIniEntry(kRecentSection, SlotKeyName(kTexto, n), "", file), kRecentTextCapacity);
}

}  // namespace app
