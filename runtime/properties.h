#pragma once
// Properties of controls, addressed by control number in the calling thread's current
// target (control 0 is the target window itself; negative numbers are menu items).
#include <windows.h>

#include <cstdint>
#include <string>

namespace rt {

::HWND GetControlHandle(int32_t feq);
std::string GetControlText(int32_t feq);  // a menu item's caption
std::string GetControlTip(int32_t feq);   // a menu item's message
std::string GetControlIcon(int32_t feq);
void SetControlIcon(int32_t feq, const std::string& iconName);
bool GetControlEnabled(int32_t feq);
HINSTANCE AppInstance();

// The icon name stored for a control window (empty when none); kept per window handle.
std::string IconNameOf(::HWND control);
void ForgetIconName(::HWND control);

}  // namespace rt
