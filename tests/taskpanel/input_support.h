#pragma once
// Helpers of the pointer, scrolling, tooltip and mimic tests: reaching entries of the panel's
// lists, the system's wheel setting for a while, the real pointer, a count of the messages
// the control's thread retrieves, and a watcher thread that answers message boxes.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "taskpanel/qftaskpanel.h"
#include "test_support.h"

namespace panel_test {

// The stored header with the id (null when none); a pointer into the list, so that a test can
// read an entry without changing the current ones.
inline const QTP_HEADERITEM* StoredHeader(QFTASKPANELCLASS& p, int32_t id) {
  for (std::size_t i = 1; i <= p.HEADERS->Records(); ++i)
    if (p.HEADERS->At(i).ID == id) return &p.HEADERS->At(i);
  return nullptr;
}
inline const QTP_TASKITEM* StoredTask(QFTASKPANELCLASS& p, int32_t headerId, int32_t taskId) {
  const QTP_HEADERITEM* h = StoredHeader(p, headerId);
  if (!h || !h->TASKQUEUE) return nullptr;
  for (std::size_t i = 1; i <= h->TASKQUEUE->Records(); ++i)
    if (h->TASKQUEUE->At(i).ID == taskId) return &h->TASKQUEUE->At(i);
  return nullptr;
}

// Changes a stored header or task as an owner does: load it, change it, write it back.
inline void ChangeHeader(QFTASKPANELCLASS& p, int32_t id, const std::function<void(QTP_HEADERITEM&)>& change) {
  ASSERT_TRUE(p.GETHDR(id));
  change(p.HEADERS->buffer);
  rt::PutQueue(*p.HEADERS);
}
inline void ChangeTask(QFTASKPANELCLASS& p, int32_t headerId, int32_t taskId,
                       const std::function<void(QTP_TASKITEM&)>& change) {
  ASSERT_TRUE(p.GETHDR(headerId));
  ASSERT_TRUE(p.GETTSK(taskId));
  change(p.HEADERS->buffer.TASKQUEUE->buffer);
  rt::PutQueue(*p.HEADERS->buffer.TASKQUEUE);
}

inline POINT Middle(const QTP_RECT& r) { return POINT{(r.LEFT + r.RIGHT) / 2, (r.TOP + r.BOTTOM) / 2}; }

// The system's lines per wheel notch, set for a while and restored at the end.
class ScopedWheelLines {
 public:
  explicit ScopedWheelLines(UINT lines) {
    SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &saved_, 0);
    SystemParametersInfoA(SPI_SETWHEELSCROLLLINES, lines, nullptr, 0);
  }
  ~ScopedWheelLines() { SystemParametersInfoA(SPI_SETWHEELSCROLLLINES, saved_, nullptr, 0); }
  ScopedWheelLines(const ScopedWheelLines&) = delete;
  ScopedWheelLines& operator=(const ScopedWheelLines&) = delete;

 private:
  UINT saved_ = 3;
};

// Puts the real pointer somewhere, and back where it was at the end.
class ScopedPointer {
 public:
  ScopedPointer() { GetCursorPos(&saved_); }
  ~ScopedPointer() { SetCursorPos(saved_.x, saved_.y); }
  ScopedPointer(const ScopedPointer&) = delete;
  ScopedPointer& operator=(const ScopedPointer&) = delete;
  // Moves the pointer to a client point of `window`.
  static void MoveTo(::HWND window, int x, int y) {
    POINT p{x, y};
    ClientToScreen(window, &p);
    MoveToScreen(p);
  }
  // Far from every test window.
  static void Park() { MoveToScreen({GetSystemMetrics(SM_CXSCREEN) - 5, GetSystemMetrics(SM_CYSCREEN) - 5}); }
  // Under Wine on X a late event of an earlier warp can put the pointer back where it was:
  // warp until the pointer stays at the point, handling the messages the moves cause.
  static void MoveToScreen(POINT p) {
    for (int attempt = 0; attempt < 20; ++attempt) {
      SetCursorPos(p.x, p.y);
      testing_support::Pump(40);
      if (At(p)) {
        testing_support::Pump(40);
        if (At(p)) return;
      }
    }
  }
  static bool At(POINT p) {
    POINT c{};
    GetCursorPos(&c);
    return c.x == p.x && c.y == p.y;
  }

 private:
  POINT saved_{};
};

// Counts the paints of one window and the ticks of one of its timers, as the thread's message
// loop retrieves them (a WH_GETMESSAGE hook on the calling thread).
class MessageCounter {
 public:
  MessageCounter(::HWND window, UINT_PTR timerId) {
    window_ = window;
    timerId_ = timerId;
    paints_ = ticks_ = moves_ = 0;
    hook_ = SetWindowsHookExA(WH_GETMESSAGE, Hook, nullptr, GetCurrentThreadId());
  }
  ~MessageCounter() {
    if (hook_) UnhookWindowsHookEx(hook_);
  }
  MessageCounter(const MessageCounter&) = delete;
  MessageCounter& operator=(const MessageCounter&) = delete;
  bool hooked() const { return hook_ != nullptr; }
  int paints() const { return paints_; }
  int ticks() const { return ticks_; }
  int moves() const { return moves_; }
  void Reset() { paints_ = ticks_ = moves_ = 0; }

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wp, LPARAM lp) {
    if (code == HC_ACTION && wp == PM_REMOVE) {
      const MSG* m = reinterpret_cast<const MSG*>(lp);
      if (m->hwnd == window_ && m->message == WM_PAINT) ++paints_;
      if (m->hwnd == window_ && m->message == WM_MOUSEMOVE) ++moves_;
      if (m->hwnd == window_ && m->message == WM_TIMER && m->wParam == timerId_) ++ticks_;
    }
    return CallNextHookEx(nullptr, code, wp, lp);
  }
  static inline thread_local ::HWND window_ = nullptr;
  static inline thread_local UINT_PTR timerId_ = 0;
  static inline thread_local int paints_ = 0;
  static inline thread_local int ticks_ = 0;
  static inline thread_local int moves_ = 0;
  HHOOK hook_ = nullptr;
};

// A thread that waits for a message box of this process showing a text, remembers what it
// showed and presses one of its buttons (IDOK by default), as a user would.
class BoxAnswerer {
 public:
  explicit BoxAnswerer(std::string needle, int button = IDOK) : needle_(std::move(needle)), button_(button) {
    thread_ = std::thread([this] { Run(); });
  }
  ~BoxAnswerer() {
    stop_ = true;
    thread_.join();
  }
  BoxAnswerer(const BoxAnswerer&) = delete;
  BoxAnswerer& operator=(const BoxAnswerer&) = delete;

  int answered() const { return answered_; }
  // Texts of the box last answered (its caption first).
  std::vector<std::string> texts() const {
    std::lock_guard lock(mutex_);
    return texts_;
  }

 private:
  void Run() {
    while (!stop_) {
      for (::HWND w : testing_support::TopWindows(GetCurrentProcessId())) {
        if (testing_support::ClassOf(w) != "#32770") continue;
        std::vector<std::string> texts = testing_support::ChildTexts(w);
        bool match = false;
        for (const std::string& t : texts) match = match || t.find(needle_) != std::string::npos;
        if (!match) continue;
        texts.insert(texts.begin(), testing_support::WindowText(w));
        {
          std::lock_guard lock(mutex_);
          texts_ = texts;
        }
        PostMessageA(w, WM_COMMAND, MAKEWPARAM(button_, BN_CLICKED), 0);
        ++answered_;
        // Let the box go before looking for the next one.
        for (int i = 0; i < 100 && IsWindow(w) && IsWindowVisible(w); ++i) Sleep(10);
      }
      Sleep(20);
    }
  }

  std::string needle_;
  int button_;
  std::atomic<bool> stop_{false};
  std::atomic<int> answered_{0};
  mutable std::mutex mutex_;
  std::vector<std::string> texts_;
  std::thread thread_;
};

}  // namespace panel_test
