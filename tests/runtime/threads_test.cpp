#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <vector>

#include "runtime/events.h"
#include "runtime/modules.h"
#include "runtime/threads.h"
#include "runtime/window.h"
#include "test_support.h"

namespace {

std::atomic<int32_t> g_seen{0};      // number the last started procedure saw
std::atomic<int32_t> g_attached{0};  // number the last thread start-up (other than thread 1's) saw
HANDLE g_release = nullptr;

void RecordNumberAndWait() {
  g_seen = rt::CurrentThread();
  WaitForSingleObject(g_release, 30000);
}

// Waits for a started thread to have ended (its number is free once it has).
bool Ended(HANDLE thread) {
  if (!thread) return false;
  const bool ended = WaitForSingleObject(thread, 30000) == WAIT_OBJECT_0;
  CloseHandle(thread);
  return ended;
}

// What a start promises: the new thread holds the lowest free number and has run every
// module's thread start-up before StartThread returns it. The procedure itself may begin
// only afterwards, so the test waits for it.
TEST(Threads, NumbersAreTheLowestFreeOnes) {
  rt::Module recorder;
  recorder.name = "recorder";
  recorder.attachThread = [] {
    const int32_t n = rt::CurrentThread();
    if (n == 1) return;
    Sleep(200);  // a slow start-up: a start that returned before it would be seen at once
    g_attached = n;
  };
  const std::vector<rt::Module> modules = {recorder};
  rt::RunProgram(modules, [] {
    EXPECT_EQ(rt::CurrentThread(), 1) << "the first thread is thread 1";
    g_release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    const int32_t a = rt::StartThread(RecordNumberAndWait, 25000);
    EXPECT_EQ(a, 2);
    EXPECT_EQ(g_attached.load(), 2) << "the start returns once the thread's start-ups have run";
    EXPECT_TRUE(testing_support::WaitFor([] { return g_seen == 2; })) << "the procedure runs as thread 2";
    const int32_t b = rt::StartThread(RecordNumberAndWait, 25000);
    EXPECT_EQ(b, 3);
    EXPECT_EQ(g_attached.load(), 3);
    EXPECT_TRUE(testing_support::WaitFor([] { return g_seen == 3; }));
    HANDLE ha = rt::OpenThreadHandle(a), hb = rt::OpenThreadHandle(b);
    SetEvent(g_release);
    // Both end; their numbers are free again and the lowest one comes first.
    ASSERT_TRUE(Ended(ha));
    ASSERT_TRUE(Ended(hb));
    ResetEvent(g_release);
    const int32_t again = rt::StartThread(RecordNumberAndWait, 25000);
    EXPECT_EQ(again, 2);
    HANDLE h = rt::OpenThreadHandle(again);
    SetEvent(g_release);
    EXPECT_TRUE(Ended(h));
    CloseHandle(g_release);
  });
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
