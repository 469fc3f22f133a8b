#include <algorithm>
#include <mutex>
#include <vector>

#include "threads.h"
#include "window_internal.h"

// Which window a thread's control numbers and events address (its innermost open window),
// and the process's application frame.
namespace rt {
namespace {

// Thread-local state stays trivially destructible (see threads.cpp): the stack of current
// targets lives on the heap while it is not empty.
thread_local std::vector<::HWND>* t_targets = nullptr;  // innermost last

std::mutex g_frameMutex;
Window* g_frame = nullptr;

}  // namespace

namespace detail {

void PushTarget(::HWND hwnd) {
  if (!t_targets) {
    t_targets = new std::vector<::HWND>();
    WatchMenuKeys(true);
  }
  t_targets->push_back(hwnd);
  SetThreadWindow(hwnd);
}

std::vector<::HWND> ThreadTargets() { return t_targets ? *t_targets : std::vector<::HWND>(); }

void PopTarget(::HWND hwnd) {
  if (!t_targets) return;
  auto it = std::find(t_targets->rbegin(), t_targets->rend(), hwnd);
  if (it != t_targets->rend()) t_targets->erase(std::next(it).base());
  if (t_targets->empty()) {
    delete t_targets;
    t_targets = nullptr;
    WatchMenuKeys(false);
  }
  SetThreadWindow(t_targets ? t_targets->back() : nullptr);
}

void SetApplicationFrame(Window* frame) {
  std::lock_guard lock(g_frameMutex);
  g_frame = frame;
}

void ForgetApplicationFrame(Window* frame) {
  std::lock_guard lock(g_frameMutex);
  if (g_frame == frame) g_frame = nullptr;
}

}  // namespace detail

::HWND CurrentTarget() { return t_targets ? t_targets->back() : nullptr; }

Window* CurrentWindow() {
  ::HWND h = CurrentTarget();
  return h ? detail::OwningWindow(h) : nullptr;
}

ScopedTarget::ScopedTarget(::HWND window) { detail::PushTarget(window); }
ScopedTarget::~ScopedTarget() {
  if (t_targets) detail::PopTarget(t_targets->back());
}

Window* ApplicationFrame() {
  std::lock_guard lock(g_frameMutex);
  return g_frame;
}

}  // namespace rt
