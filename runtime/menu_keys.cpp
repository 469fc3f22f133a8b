#include <atomic>

#include "window_internal.h"

// Menu keys of a window whose top-level window runs on another thread.
//
// Brivane's task-panel window is an MDI child of the frame but lives on a thread of its own,
// and it holds the keyboard focus. The system hands the keys to the focus window's thread,
// while the menu bar belongs to the frame's thread. Left alone, Alt or F10 there makes the
// system send the frame a menu command from the focus thread; the frame's thread then runs
// its menu loop and waits for keys that go on arriving at the focus thread, which is waiting
// for the frame: both wait for good (Wine, where attached input does not change that).
//
// So every thread with runtime windows watches the keyboard messages it takes out of its
// queue, in every loop it runs (the event loop, a dialog's, a popup menu's, a message box's):
//  - the system keys (WM_SYSKEYDOWN/UP, WM_SYSCHAR: anything typed with Alt, and F10) and
//    every press and release of Alt or F10, meant for a top-level window of another thread,
//    go to that window's thread, which acts on them itself: the menu loop then runs where the
//    keys are read;
//  - while a menu runs on another thread (or may be starting there), every key goes to it.
// The focus stays where it was all along.
namespace rt::detail {
namespace {

// A posted marker that follows a key that may start a menu: once its thread has taken the
// marker out of its queue, the key before it has been handled, and any menu it started is
// running (so the thread reports menu mode). Until then every key goes after it.
constexpr UINT kMenuKeyMarker = WM_APP + 0x110;

std::atomic<uint32_t> g_markersPosted{0};
std::atomic<uint32_t> g_markersTaken{0};

// Kept trivially destructible (see threads.cpp).
thread_local HHOOK t_hook = nullptr;

bool AltOrF10(WPARAM vk) { return vk == VK_MENU || vk == VK_LMENU || vk == VK_RMENU || vk == VK_F10; }

bool OnOtherThread(::HWND hwnd) { return hwnd && GetWindowThreadProcessId(hwnd, nullptr) != GetCurrentThreadId(); }

// The window of another thread whose menu runs now, or null.
::HWND OtherThreadMenu() {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetCurrentThreadId(), &info)) return nullptr;
  if (!(info.flags & (GUI_INMENUMODE | GUI_POPUPMENUMODE | GUI_SYSTEMMENUMODE))) return nullptr;
  return OnOtherThread(info.hwndMenuOwner) ? info.hwndMenuOwner : nullptr;
}

// The window of another thread that the keyboard message `m` is for, or null to let this
// thread handle it.
::HWND HandOverTarget(const MSG& m) {
  if (::HWND menu = OtherThreadMenu()) return menu;
  ::HWND root = m.hwnd ? GetAncestor(m.hwnd, GA_ROOT) : nullptr;
  if (!OnOtherThread(root)) return nullptr;
  if (g_markersTaken.load() != g_markersPosted.load()) return root;
  switch (m.message) {
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
    case WM_SYSDEADCHAR:
      return root;
    case WM_KEYDOWN:
    case WM_KEYUP:
      return AltOrF10(m.wParam) ? root : nullptr;
    default:
      return nullptr;
  }
}

// Markers are numbered in the order they are posted; taking one covers those before it.
void NoteTaken(uint32_t n) {
  uint32_t seen = g_markersTaken.load();
  while (seen < n && !g_markersTaken.compare_exchange_weak(seen, n)) {
  }
}

// A key that makes the system start a menu (release of Alt or F10, a character with Alt).
bool MayStartMenu(const MSG& m) {
  return m.message == WM_SYSCHAR || ((m.message == WM_SYSKEYUP || m.message == WM_KEYUP) && AltOrF10(m.wParam));
}

LRESULT CALLBACK WatchMessages(int code, WPARAM removed, LPARAM lp) {
  MSG& m = *reinterpret_cast<MSG*>(lp);
  if (code == HC_ACTION && removed == PM_REMOVE) {
    if (m.message == kMenuKeyMarker && !m.hwnd) {
      NoteTaken(static_cast<uint32_t>(m.wParam));
      m.message = WM_NULL;
    } else if (m.message >= WM_KEYFIRST && m.message <= WM_KEYLAST) {
      if (::HWND target = HandOverTarget(m); target && PostMessageA(target, m.message, m.wParam, m.lParam)) {
        if (MayStartMenu(m)) {
          const uint32_t n = g_markersPosted.fetch_add(1) + 1;
          if (!PostThreadMessageA(GetWindowThreadProcessId(target, nullptr), kMenuKeyMarker, n, 0))
            NoteTaken(n);
        }
        m.message = WM_NULL;  // taken: this thread's loops see nothing
      }
    }
  }
  return CallNextHookEx(t_hook, code, removed, lp);
}

}  // namespace

void WatchMenuKeys(bool on) {
  if (on && !t_hook) t_hook = SetWindowsHookExA(WH_GETMESSAGE, WatchMessages, nullptr, GetCurrentThreadId());
  if (!on && t_hook) {
    UnhookWindowsHookEx(t_hook);
    t_hook = nullptr;
  }
}

}  // namespace rt::detail
