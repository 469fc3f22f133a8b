#include "window_internal.h"

#include <commctrl.h>

#include <algorithm>

// A window's message handling: Win32 messages become events in its queue, and the loop
// that pumps the thread's messages until one is queued.
namespace rt {

LRESULT Window::DefaultProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (layout_.kind) {
    case WindowKind::Frame:
      return DefFrameProcA(hwnd_, mdiClient_, msg, wp, lp);
    case WindowKind::MdiChild:
      return DefMDIChildProcA(hwnd_, msg, wp, lp);
    case WindowKind::Window:
      break;
  }
  return DefWindowProcA(hwnd_, msg, wp, lp);
}

LRESULT Window::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_RT_EVENT:
      Push(Event{static_cast<int32_t>(wp), static_cast<int32_t>(lp)});
      return 0;
    case WM_CLOSE:
      Push(Event{EVENT_CloseWindow, 0});
      return 0;
    case WM_COMMAND:
      if (OnCommand(wp, lp)) return 0;
      break;
    case WM_SIZE:
      if (layout_.kind == WindowKind::Frame) {
        LayoutFrameParts();
        return 0;
      }
      break;
    case WM_MENUSELECT:
      if (statusBar_) {
        const bool closed = HIWORD(wp) == 0xFFFF && lp == 0;
        const std::string text = closed ? std::string() : MenuMessage(static_cast<int16_t>(LOWORD(wp)));
        SendMessageA(statusBar_, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text.c_str()));
      }
      break;
    case WM_ERASEBKGND:
      if (background_) {
        RECT r;
        GetClientRect(hwnd_, &r);
        FillRect(reinterpret_cast<HDC>(wp), &r, background_);
        return 1;
      }
      break;
    case WM_CTLCOLORSTATIC:
      if (background_) {
        SetBkColor(reinterpret_cast<HDC>(wp), layout_.background);
        return reinterpret_cast<LRESULT>(background_);
      }
      break;
    case WM_NCDESTROY: {
      LRESULT r = DefaultProc(msg, wp, lp);
      SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
      detail::PopTarget(hwnd_);
      hwnd_ = nullptr;
      destroyed_ = true;
      return r;
    }
    default:
      break;
  }
  return DefaultProc(msg, wp, lp);
}

bool Window::NextEvent(Event& out) {
  while (events_.empty()) {
    if (!hwnd_) return false;
    MSG m;
    const BOOL got = GetMessageA(&m, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(m.wParam));  // leave it for the outermost loop
      return false;
    }
    if (m.message == WM_KEYDOWN && m.wParam == VK_ESCAPE) {
      // Escape is the cancel command of a window: an alert where the layout asks for one,
      // a close request for an ordinary window, the key's own handling elsewhere.
      if (Window* w = detail::OwningWindow(m.hwnd)) {
        const auto& keys = w->Layout().alertKeys;
        if (std::find(keys.begin(), keys.end(), VK_ESCAPE) != keys.end()) {
          w->Push(Event{EVENT_AlertKey, 0});
          continue;
        }
        if (w->Layout().kind == WindowKind::Window) {
          w->Push(Event{EVENT_CloseWindow, 0});
          continue;
        }
      }
    }
    Window* frame = ApplicationFrame();
    ::HWND client = frame ? frame->MdiClient() : nullptr;
    if (client && GetWindowThreadProcessId(client, nullptr) == GetCurrentThreadId() && TranslateMDISysAccel(client, &m))
      continue;
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
  out = events_.front();
  events_.pop_front();
  return true;
}

}  // namespace rt
