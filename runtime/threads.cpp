#include "threads.h"

#include <process.h>

#include <array>

#include "modules.h"

namespace rt {
namespace {

struct ThreadSlot {
  bool used = false;
  DWORD id = 0;
  HANDLE handle = nullptr;  // threads started by StartThread only
  ::HWND window = nullptr;
  bool closing = false;  // a close request for the thread came while it had a window
};

// A slim lock: it is also taken while a thread ends, where nothing may allocate.
SRWLOCK g_lock = SRWLOCK_INIT;
struct Lock {
  Lock() { AcquireSRWLockExclusive(&g_lock); }
  ~Lock() { ReleaseSRWLockExclusive(&g_lock); }
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;
};
std::array<ThreadSlot, kMaxThreads + 1> g_slots;  // index 0 unused

int32_t TakeLowestFree(DWORD id) {
  Lock lock;
  for (int32_t n = 1; n <= kMaxThreads; ++n) {
    if (!g_slots[n].used) {
      g_slots[n] = ThreadSlot{true, id, nullptr, nullptr, false};
      return n;
    }
  }
  return 0;
}

void Release(int32_t n) {
  Lock lock;
  if (n > 0 && n <= kMaxThreads) {
    if (g_slots[n].handle) CloseHandle(g_slots[n].handle);
    g_slots[n] = ThreadSlot{};
  }
}

// The calling thread's number. Kept trivially destructible: thread-local objects with
// destructors deadlock at thread exit in this toolchain's static runtime under Wine.
thread_local int32_t t_number = 0;

// Frees the number of a thread the runtime did not start when that thread ends.
void WINAPI ReleaseForeignNumber(void* value) {
  if (value) Release(static_cast<int32_t>(reinterpret_cast<INT_PTR>(value)));
}
DWORD ForeignSlot() {
  static const DWORD index = FlsAlloc(ReleaseForeignNumber);
  return index;
}

struct StartArgs {
  void (*procedure)();
  HANDLE running;
  int32_t number;
};

unsigned __stdcall Trampoline(void* p) {
  StartArgs* args = static_cast<StartArgs*>(p);
  void (*procedure)() = args->procedure;
  t_number = args->number;
  AttachThreadModules();
  SetEvent(args->running);  // the starter may return now; args dies with it
  procedure();
  DetachThreadModules();
  Release(t_number);  // the slot and its handle; the number is free again
  return 0;
}

}  // namespace

int32_t CurrentThread() {
  if (t_number == 0) {
    t_number = TakeLowestFree(GetCurrentThreadId());
    if (t_number != 0 && ForeignSlot() != FLS_OUT_OF_INDEXES)
      FlsSetValue(ForeignSlot(), reinterpret_cast<void*>(static_cast<INT_PTR>(t_number)));
  }
  return t_number;
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
    Lock lock;
    g_slots[number].id = id;
    g_slots[number].handle = h;
  }
  ResumeThread(h);
  WaitForSingleObject(args.running, INFINITE);
  CloseHandle(args.running);
  return number;
}

::HWND ThreadWindow(int32_t thread) {
  Lock lock;
  if (thread <= 0 || thread > kMaxThreads || !g_slots[thread].used) return nullptr;
  return g_slots[thread].window;
}

std::vector<int32_t> ThreadsWithWindows() {
  const int32_t self = CurrentThread();
  std::vector<int32_t> out;
  Lock lock;
  for (int32_t n = 1; n <= kMaxThreads; ++n)
    if (n != self && g_slots[n].used && g_slots[n].window) out.push_back(n);
  return out;
}

HANDLE OpenThreadHandle(int32_t thread) {
  Lock lock;
  if (thread <= 0 || thread > kMaxThreads || !g_slots[thread].handle) return nullptr;
  HANDLE copy = nullptr;
  DuplicateHandle(GetCurrentProcess(), g_slots[thread].handle, GetCurrentProcess(), &copy, SYNCHRONIZE, FALSE, 0);
  return copy;
}

namespace detail {
void SetThreadWindow(::HWND window) {
  const int32_t n = CurrentThread();
  Lock lock;
  if (n <= 0) return;
  g_slots[n].window = window;
  if (!window) g_slots[n].closing = false;  // all of its windows have gone: the request is done
}

// The mark and the look-up of the window happen under one lock, so a request whose window
// vanishes before it reads the posted message is still seen by the window below it.
::HWND RequestThreadClose(int32_t thread) {
  Lock lock;
  if (thread <= 0 || thread > kMaxThreads || !g_slots[thread].used || !g_slots[thread].window) return nullptr;
  g_slots[thread].closing = true;
  return g_slots[thread].window;
}

bool ThreadClosing() {
  const int32_t n = CurrentThread();
  Lock lock;
  return n > 0 && g_slots[n].closing;
}
}  // namespace detail

}  // namespace rt
