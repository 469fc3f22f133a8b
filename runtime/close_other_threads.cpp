#include <algorithm>
#include <utility>
#include <vector>

#include "threads.h"
#include "window_internal.h"

namespace rt::detail {

// Closes the windows of the other threads and waits until those threads have ended, not
// only their windows: a thread still opening its window, or still tearing down after its
// window has gone, must not race the frame's destruction or the process's shutdown.
// Messages are pumped meanwhile, since those windows talk to this thread while they open
// and close (an MDI child and the frame's MDI client).
void CloseOtherThreads() {
  const int32_t self = CurrentThread();
  std::vector<std::pair<int32_t, HANDLE>> started;  // threads the runtime started, until they end
  for (;;) {
    const std::vector<int32_t> withWindows = ThreadsWithWindows();
    for (int32_t n : withWindows) PostEvent(EVENT_CloseWindow, 0, n);
    for (int32_t n = 1; n <= kMaxThreads; ++n) {
      if (n == self || std::any_of(started.begin(), started.end(), [n](const auto& s) { return s.first == n; }))
        continue;
      if (HANDLE h = OpenThreadHandle(n)) started.emplace_back(n, h);
    }
    std::erase_if(started, [](const auto& s) {
      if (WaitForSingleObject(s.second, 0) != WAIT_OBJECT_0) return false;
      CloseHandle(s.second);
      return true;
    });
    if (withWindows.empty() && started.empty()) return;
    std::vector<HANDLE> handles;
    for (const auto& s : started) handles.push_back(s.second);
    const DWORD count = static_cast<DWORD>(std::min<std::size_t>(handles.size(), MAXIMUM_WAIT_OBJECTS - 1));
    MsgWaitForMultipleObjects(count, handles.data(), FALSE, 100, QS_ALLINPUT);
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
  }
}

}  // namespace rt::detail
