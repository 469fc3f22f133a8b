#pragma once
#include <string>

namespace app {
// The message dialog: shows the first 200 characters of `text` in a window captioned
// "Caption" on the calling thread and returns when that window has closed.
void MENSAJE(const std::string& PARAM_TEXTO);
}  // namespace app
