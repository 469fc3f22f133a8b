#pragma once
// Message boxes of the runtime.
#include <string>

namespace rt {
// A modal message box; returns when the user closes it.
void ShowMessage(const std::string& text, const std::string& caption = "");
// A stop box: the user may end the program ("Cancel") or go on ("OK"), which returns.
void StopWithMessage(const std::string& text);
}  // namespace rt
