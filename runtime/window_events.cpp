#include "window_internal.h"

#include "modules.h"

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

void Window::Push(const Event& e) {
  events_.push_back(e);
  // A message sent from another thread is handled inside GetMessage, which returns only for
  // a posted one: post one, so that the loop sees this event now.
  if (InSendMessage()) PostThreadMessageA(GetCurrentThreadId(), WM_NULL, 0, 0);
}

// Every runtime window of this thread gets a close request, the outer ones in their queues
// for when the inner ones have closed; a menu open on the thread is ended first.
void Window::CloseThreadWindows() {
  EndMenu();
  for (::HWND h : detail::ThreadTargets())
    if (Window* w = detail::RuntimeWindow(h)) w->Push(Event{EVENT_CloseWindow, 0});
}

// A window takes no system command for a box it does not have: a fixed tool pane is not
// closed, minimised, maximised or sized by MDI keys or the system.
bool Window::OnSysCommand(WPARAM wp) {
  switch (wp & 0xFFF0) {
    case SC_CLOSE:
      return !layout_.systemMenu;
    case SC_MINIMIZE:
      return !layout_.minimizeBox;
    case SC_MAXIMIZE:
      return !layout_.maximizeBox;
    case SC_SIZE:
      return FixedSize();
    default:
      return false;
  }
}

// A fixed-size window keeps its layout size whatever moves it (MDI tiling, a stored size).
void Window::KeepFixedSize(WINDOWPOS& pos) const {
  if (!FixedSize() || (pos.flags & SWP_NOSIZE) || fixedSize_.cx <= 0) return;
  pos.cx = fixedSize_.cx;
  pos.cy = fixedSize_.cy;
}

LRESULT Window::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_RT_EVENT:
      if (static_cast<int32_t>(wp) == EVENT_Accepted) Accept(static_cast<int32_t>(lp));
      else Push(Event{static_cast<int32_t>(wp), static_cast<int32_t>(lp)});
      return 0;
    case WM_RT_CLOSE_THREAD:
      CloseThreadWindows();
      return 0;
    case WM_RT_HALT:
      Halt();  // does not return
    case WM_CLOSE:
      // Without a system menu there is no close box: such a window closes only when the
      // program closes it.
      if (layout_.systemMenu) Push(Event{EVENT_CloseWindow, 0});
      return 0;
    case WM_SYSCOMMAND:
      if (OnSysCommand(wp)) return 0;
      break;
    case WM_WINDOWPOSCHANGING:
      KeepFixedSize(*reinterpret_cast<WINDOWPOS*>(lp));
      break;
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
