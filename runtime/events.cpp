#include "events.h"

#include "threads.h"
#include "window.h"

namespace rt {

void PostEvent(int32_t event, int32_t control, int32_t thread, int32_t /*position*/) {
  const int32_t target = thread == 0 ? CurrentThread() : thread;
  // Another thread's close request is meant for that thread's program window, not only for
  // a dialog it happens to show: all of its windows close, each on its normal road. The
  // thread keeps the request; the message to its current window wakes it, even inside a
  // menu's or a dialog's own loop.
  if (event == EVENT_CloseWindow && target != CurrentThread()) {
    if (::HWND hwnd = detail::RequestThreadClose(target)) PostMessageA(hwnd, WM_RT_CLOSE_THREAD, 0, 0);
    return;
  }
  if (::HWND hwnd = ThreadWindow(target))
    PostMessageA(hwnd, WM_RT_EVENT, static_cast<WPARAM>(event), static_cast<LPARAM>(control));
}

int32_t CurrentEvent() {
  Window* w = CurrentWindow();
  return w ? w->Current().event : 0;
}

int32_t AcceptedControl() {
  Window* w = CurrentWindow();
  return w && w->Current().event == EVENT_Accepted ? w->Current().control : 0;
}

int32_t EventControl() {
  Window* w = CurrentWindow();
  return w ? w->Current().control : 0;
}

}  // namespace rt
