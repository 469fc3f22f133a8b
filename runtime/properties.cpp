#include "properties.h"

#include <map>
#include <mutex>

#include "window.h"

namespace rt {
namespace {
std::mutex g_iconMutex;
std::map<::HWND, std::string> g_iconNames;
}  // namespace

std::string IconNameOf(::HWND control) {
  std::lock_guard lock(g_iconMutex);
  auto it = g_iconNames.find(control);
  return it == g_iconNames.end() ? std::string() : it->second;
}

void ForgetIconName(::HWND control) {
  std::lock_guard lock(g_iconMutex);
  g_iconNames.erase(control);
}

::HWND GetControlHandle(int32_t feq) {
  ::HWND target = CurrentTarget();
  if (!target) return nullptr;
  if (feq == 0) return target;
  if (feq < 0) return nullptr;  // menu items have no window
  return GetDlgItem(target, feq);
}

std::string GetControlText(int32_t feq) {
  ::HWND target = CurrentTarget();
  if (!target) return {};
  char buffer[1024] = {};
  if (feq < 0) {
    HMENU menu = GetMenu(target);
    if (menu && GetMenuStringA(menu, static_cast<uint16_t>(feq), buffer, sizeof buffer, MF_BYCOMMAND) > 0)
      return buffer;
    return {};
  }
  if (::HWND h = GetControlHandle(feq)) {
    GetWindowTextA(h, buffer, sizeof buffer);
    return buffer;
  }
  return {};
}

std::string GetControlTip(int32_t feq) {
  if (Window* w = CurrentWindow()) return w->MenuMessage(feq);
  return {};
}

std::string GetControlIcon(int32_t feq) { return IconNameOf(GetControlHandle(feq)); }

void SetControlIcon(int32_t feq, const std::string& iconName) {
  ::HWND h = GetControlHandle(feq);
  if (!h) return;
  std::lock_guard lock(g_iconMutex);
  g_iconNames[h] = iconName;
}

bool GetControlEnabled(int32_t feq) {
  ::HWND h = GetControlHandle(feq);
  return h && IsWindowEnabled(h);
}

HINSTANCE AppInstance() { return GetModuleHandleA(nullptr); }

}  // namespace rt
