#include "window_internal.h"

#include <commctrl.h>

// The runtime's window classes and their one window procedure, which hands every message
// to the runtime window the handle belongs to.
namespace rt {
namespace detail {
namespace {

// Kept trivially destructible (see threads.cpp).
thread_local Window* t_creating = nullptr;

LRESULT CALLBACK WindowProc(::HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Window* w = FromHandle(hwnd);
  if (!w && t_creating) {
    w = t_creating;
    w->Attach(hwnd);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(w));
  }
  if (!w) {
    char name[32] = {};
    GetClassNameA(hwnd, name, sizeof name);
    if (lstrcmpiA(name, kMdiChildClass) == 0) return DefMDIChildProcA(hwnd, msg, wp, lp);
    return DefWindowProcA(hwnd, msg, wp, lp);
  }
  return w->Handle(msg, wp, lp);
}

}  // namespace

Window*& CreatingWindow() { return t_creating; }

Window* FromHandle(::HWND hwnd) { return reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA)); }

Window* OwningWindow(::HWND hwnd) {
  for (::HWND h = hwnd; h; h = GetParent(h)) {
    char name[32] = {};
    GetClassNameA(h, name, sizeof name);
    if (!lstrcmpiA(name, kFrameClass) || !lstrcmpiA(name, kWindowClass) || !lstrcmpiA(name, kMdiChildClass))
      return FromHandle(h);
  }
  return nullptr;
}

}  // namespace detail

bool StartRuntime() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  HINSTANCE inst = GetModuleHandleA(nullptr);
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = detail::WindowProc;
  wc.hInstance = inst;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  const struct {
    const char* name;
    HBRUSH brush;
  } classes[] = {{detail::kFrameClass, reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1)},
                 {detail::kWindowClass, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)},
                 {detail::kMdiChildClass, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)}};
  for (const auto& c : classes) {
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExA(inst, c.name, &existing)) continue;
    wc.lpszClassName = c.name;
    wc.hbrBackground = c.brush;
    if (!RegisterClassExA(&wc)) return false;
  }
  return true;
}

}  // namespace rt
