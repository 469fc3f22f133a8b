#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>

#include "runtime/events.h"
#include "runtime/threads.h"
#include "runtime/window.h"

namespace {

std::atomic<int32_t> g_seen{0};
HANDLE g_release = nullptr;

void RecordNumberAndWait() {
  g_seen = rt::CurrentThread();
  WaitForSingleObject(g_release, 10000);
}

TEST(Threads, NumbersAreTheLowestFreeOnes) {
  const int32_t self = rt::CurrentThread();
  EXPECT_EQ(self, 1) << "the first thread that asks is thread 1";
  g_release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  const int32_t a = rt::StartThread(RecordNumberAndWait, 25000);
  EXPECT_EQ(a, 2);
  // The start returns once the thread runs (its procedure may not have got far yet).
  for (int i = 0; i < 1000 && g_seen.load() == 0; ++i) Sleep(10);
  EXPECT_EQ(g_seen.load(), 2) << "the new thread is thread 2";
  const int32_t b = rt::StartThread(RecordNumberAndWait, 25000);
  EXPECT_EQ(b, 3);
  SetEvent(g_release);
  // Both end; their numbers are free again and the lowest one comes first.
  auto bothEnded = [] {
    for (int i = 0; i < 500; ++i) {
      HANDLE h2 = rt::OpenThreadHandle(2), h3 = rt::OpenThreadHandle(3);
      if (h2) CloseHandle(h2);
      if (h3) CloseHandle(h3);
      if (!h2 && !h3) return true;
      Sleep(10);
    }
    return false;
  };
  ASSERT_TRUE(bothEnded());
  ResetEvent(g_release);
  EXPECT_EQ(rt::StartThread(RecordNumberAndWait, 25000), 2);
  SetEvent(g_release);
  Sleep(100);
  CloseHandle(g_release);
}

TEST(Events, PostEventReachesTheThreadsWindowOnly) {
  ::HWND host = CreateWindowExA(0, "STATIC", "host", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  {
    rt::ScopedTarget target(host);
    rt::PostEvent(rt::EVENT_Accepted, -7);
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, host, rt::WM_RT_EVENT, rt::WM_RT_EVENT, PM_REMOVE));
    EXPECT_EQ(m.wParam, static_cast<WPARAM>(rt::EVENT_Accepted));
    EXPECT_EQ(static_cast<int32_t>(m.lParam), -7);
    rt::PostEvent(rt::EVENT_CloseWindow, 0, 77);  // a thread without a window gets nothing
    EXPECT_FALSE(PeekMessageA(&m, nullptr, rt::WM_RT_EVENT, rt::WM_RT_EVENT, PM_REMOVE));
  }
  rt::PostEvent(rt::EVENT_Accepted, 1);  // no window any more: nothing
  MSG m;
  EXPECT_FALSE(PeekMessageA(&m, nullptr, rt::WM_RT_EVENT, rt::WM_RT_EVENT, PM_REMOVE));
  DestroyWindow(host);
}

}  // namespace
