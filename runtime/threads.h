#pragma once
// Runtime threads: numbered from 1 (the first thread), the lowest free number first.
// Each thread runs every registered module's thread start-up when it begins and the
// clean-ups in reverse order when it ends.
#include <windows.h>

#include <cstdint>
#include <vector>

namespace rt {

constexpr int32_t kMaxThreads = 255;

// Starts `procedure` on a new thread with the given stack size (bytes to commit; the
// process default is reserved when that is more) and returns its number once it runs;
// 0 when no thread could be started.
int32_t StartThread(void (*procedure)(), uint32_t stackSize);

// Number of the calling thread; a thread the runtime did not start gets the lowest free
// number on its first call.
int32_t CurrentThread();

// The window that events for `thread` go to (its current target), or null.
::HWND ThreadWindow(int32_t thread);
// Numbers of the threads, other than the caller, that have a window now.
std::vector<int32_t> ThreadsWithWindows();
// A handle of its own (closed by the caller) to a thread the runtime started; null for others.
HANDLE OpenThreadHandle(int32_t thread);

namespace detail {
void SetThreadWindow(::HWND window);  // the calling thread's current target changed
// Marks `thread` as closing, when it has a window, and returns its current window (null when
// it has none). The mark stays until the thread's last window has gone, so the request is
// kept by the thread, not by a window that may close before it reads it.
::HWND RequestThreadClose(int32_t thread);
// The calling thread has been asked to close all of its windows.
bool ThreadClosing();
}

}  // namespace rt
