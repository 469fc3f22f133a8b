#pragma once
// Control kinds of window layouts that need a window class of the runtime's own.
#include "layout.h"

namespace rt {
// The image control: a plain child window that paints an optional icon and passes every
// other message to the default procedure (so a control that takes it over sees them all).
constexpr char kImageControlClass[] = "RtImage";
// Makes sure a control kind exists before the first window that uses it opens.
bool RegisterControlKind(ControlKind kind);
}  // namespace rt
