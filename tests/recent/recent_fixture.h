#pragma once
// Small helpers for the recent-item tests: writing a fixture file as the private-profile
// layer writes it, and reading a section back through the private-profile API.
#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "app/recent_items.h"

namespace recent_test {

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
