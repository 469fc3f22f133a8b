#include "threads.h"

#include <process.h>

#include <array>
#include <mutex>

#include "modules.h"

namespace rt {
namespace {

struct ThreadSlot {
  bool used = false;
  DWORD id = 0;
  HANDLE handle = nullptr;  // threads started by StartThread only
  ::HWND window = nullptr;
};

std::mutex g_mutex;
std::array<ThreadSlot, kMaxThreads + 1> g_slots;  // index 0 unused

int32_t TakeLowestFree(DWORD id) {
  std::lock_guard lock(g_mutex);
  for (int32_t n = 1; n <= kMaxThreads; ++n) {
    if (!g_slots[n].used) {
      g_slots[n] = ThreadSlot{true, id, nullptr, nullptr};
      return n;
    }
  }
  return 0;
}

void Release(int32_t n) {
  std::lock_guard lock(g_mutex);
  if (n > 0 && n <= kMaxThreads) {
    if (g_slots[n].handle) CloseHandle(g_slots[n].handle);
    g_slots[n] = ThreadSlot{};
  }
}

// Frees the thread number when a thread the runtime did not start ends.
struct ThreadNumber {
  int32_t value = 0;
  bool owned = false;
  ~ThreadNumber() {
    if (owned) Release(value);
  }
};
thread_local ThreadNumber t_number;

struct StartArgs {
  void (*procedure)();
  HANDLE running;
  int32_t number;
};

unsigned __stdcall Trampoline(void* p) {
  StartArgs* args = static_cast<StartArgs*>(p);
  void (*procedure)() = args->procedure;
  t_number.value = args->number;
  AttachThreadModules();
  SetEvent(args->running);  // the starter may return now; args dies with it
  procedure();
  DetachThreadModules();
  {
    std::lock_guard lock(g_mutex);
    g_slots[t_number.value].window = nullptr;
  }
  // The slot (and its handle) is released by the last owner: this thread.
  t_number.owned = true;
  return 0;
}

}  // namespace

int32_t CurrentThread() {
  if (t_number.value == 0) {
    t_number.value = TakeLowestFree(GetCurrentThreadId());
    t_number.owned = t_number.value != 0;
  }
  return t_number.value;
}

int32_t StartThread(void (*procedure)(), uint32_t stackSize) {
  const int32_t number = TakeLowestFree(0);
  if (number == 0) return 0;
  StartArgs args{procedure, CreateEventA(nullptr, TRUE, FALSE, nullptr), number};
  unsigned id = 0;
  HANDLE h = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, stackSize, Trampoline, &args, CREATE_SUSPENDED, &id));
  if (!h) {
    CloseHandle(args.running);
    Release(number);
    return 0;
  }
  {
    std::lock_guard lock(g_mutex);
    g_slots[number].id = id;
    g_slots[number].handle = h;
  }
  ResumeThread(h);
  WaitForSingleObject(args.running, INFINITE);
  CloseHandle(args.running);
  return number;
}

::HWND ThreadWindow(int32_t thread) {
  std::lock_guard lock(g_mutex);
  if (thread <= 0 || thread > kMaxThreads || !g_slots[thread].used) return nullptr;
  return g_slots[thread].window;
}

std::vector<int32_t> ThreadsWithWindows() {
  const int32_t self = CurrentThread();
  std::vector<int32_t> out;
  std::lock_guard lock(g_mutex);
  for (int32_t n = 1; n <= kMaxThreads; ++n)
    if (n != self && g_slots[n].used && g_slots[n].window) out.push_back(n);
  return out;
}

HANDLE OpenThreadHandle(int32_t thread) {
  std::lock_guard lock(g_mutex);
  if (thread <= 0 || thread > kMaxThreads || !g_slots[thread].handle) return nullptr;
  HANDLE copy = nullptr;
  DuplicateHandle(GetCurrentProcess(), g_slots[thread].handle, GetCurrentProcess(), &copy, SYNCHRONIZE, FALSE, 0);
  return copy;
}

namespace detail {
void SetThreadWindow(::HWND window) {
  const int32_t n = CurrentThread();
  std::lock_guard lock(g_mutex);
  if (n > 0) g_slots[n].window = window;
}
}  // namespace detail

}  // namespace rt
