#pragma once
// The panel's text rules: fixed capacities cut longer values, and some texts lose their
// trailing blanks when they are stored.
#include <cstddef>
#include <string>

namespace taskpanel {

inline std::string CutTo(std::string text, std::size_t capacity) {
  if (text.size() > capacity) text.resize(capacity);
  return text;
}

inline std::string WithoutTrailingBlanks(std::string text) {
  const std::size_t end = text.find_last_not_of(' ');
  text.resize(end == std::string::npos ? 0 : end + 1);
  return text;
}

}  // namespace taskpanel
