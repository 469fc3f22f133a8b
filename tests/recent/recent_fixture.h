#pragma once
// Small helpers for the recent-item tests: writing a fixture file as the private-profile
// layer writes it, and reading a section back through the private-profile API.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "app/recent_items.h"

namespace recent_test {

// A name of the pattern the scratch files of process `pid` have beside `file`.
inline std::string ScratchLike(const std::string& file, DWORD pid, unsigned attempt) {
  char tail[32];
  std::snprintf(tail, sizeof tail, "~%08lX%08X.tmp", pid, attempt);
  return file + tail;
}

// Makes every "<file>~*.tmp" (scratch files left by killed writers) look an hour old: the
// store removes only leftovers that are minutes old.
inline void AgeScratchFiles(const std::string& file) {
  const std::size_t slash = file.find_last_of("\\/");
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((file + "~*.tmp").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return;
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER t{{now.dwLowDateTime, now.dwHighDateTime}};
  t.QuadPart -= 36000000000ull;
  const FILETIME hourAgo{t.LowPart, t.HighPart};
  do {
    const std::string name = file.substr(0, slash + 1) + found.cFileName;
    HANDLE h = CreateFileA(name.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      SetFileTime(h, nullptr, nullptr, &hourAgo);
      CloseHandle(h);
    }
  } while (FindNextFileA(find, &found));
  FindClose(find);
}

// Whether anything named "<file>~..." (a scratch file, or a backup) lies beside `file`.
inline bool ScratchLeftBeside(const std::string& file) {
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA((file + "~*").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return false;
  FindClose(h);
  return true;
}

using KeyValues = std::vector<std::pair<std::string, std::string>>;

// "[section]" and "key=value" lines with CR LF, the layout the private-profile layer writes.
inline std::string IniText(const KeyValues& keys, const std::string& section = app::kRecentSection) {
  std::string text = "[" + section + "]\r\n";
  for (const auto& [k, v] : keys) text += k + "=" + v + "\r\n";
  return text;
}

// The section's lines as the private-profile layer hands them out.
inline std::vector<std::string> SectionLines(const std::string& file, const std::string& section = app::kRecentSection) {
  std::vector<char> buf(65536);
  const DWORD n = GetPrivateProfileSectionA(section.c_str(), buf.data(), static_cast<DWORD>(buf.size()), file.c_str());
  std::vector<std::string> out;
  std::string cur;
  for (DWORD i = 0; i < n; ++i) {
    if (buf[i] == '\0') {
      if (!cur.empty()) out.push_back(cur);
      cur.clear();
    } else {
      cur.push_back(buf[i]);
    }
  }
  if (!cur.empty()) out.push_back(cur);
  return out;
}

// The same, sorted: the order of keys within the section carries no meaning.
inline std::vector<std::string> SortedSection(const std::string& file, const std::string& section = app::kRecentSection) {
  std::vector<std::string> lines = SectionLines(file, section);
  std::sort(lines.begin(), lines.end());
  return lines;
}

inline std::vector<std::string> Sorted(const KeyValues& keys) {
  std::vector<std::string> lines;
  for (const auto& [k, v] : keys) lines.push_back(k + "=" + v);
  std::sort(lines.begin(), lines.end());
  return lines;
}

// Slots 1..count of a frame file: Campo_n and Texto_n.
inline KeyValues FrameSlots(const std::vector<std::pair<int, std::string>>& slots) {
  KeyValues out;
  int n = 0;
  for (const auto& [number, text] : slots) {
    ++n;
    out.emplace_back("Campo_" + std::to_string(n), std::to_string(number));
    out.emplace_back("Texto_" + std::to_string(n), text);
  }
  return out;
}

inline KeyValues operator+(KeyValues a, const KeyValues& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

}  // namespace recent_test
