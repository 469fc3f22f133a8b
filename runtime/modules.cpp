#include "modules.h"

#include <windows.h>
#include <commctrl.h>

#include "threads.h"
#include "window.h"

namespace rt {
namespace {
const std::vector<Module>* g_modules = nullptr;
std::function<void()> g_haltAction;
SRWLOCK g_haltLock = SRWLOCK_INIT;
constexpr DWORD kHaltHandOverMs = 10000;  // one halt at a time; a second halting thread waits for the end

void RunCleanUps(const std::vector<Module>& modules) {
  for (auto it = modules.rbegin(); it != modules.rend(); ++it) {
    if (it->detachThread) it->detachThread();
    if (it->detachProcess) it->detachProcess();
  }
}
}  // namespace

void SetHaltAction(std::function<void()> action) { g_haltAction = std::move(action); }

void Halt() {
  // The clean-ups free what every thread uses (the INI and error managers): they run on the
  // first thread, whose loop takes the request at once, while this thread waits for the end.
  // Should the first thread not take it, the halt goes on here.
  if (CurrentThread() != 1)
    if (::HWND first = ThreadWindow(1); first && PostMessageA(first, WM_RT_HALT, 0, 0))
      WaitForSingleObject(GetCurrentProcess(), kHaltHandOverMs);
  AcquireSRWLockExclusive(&g_haltLock);
  if (g_haltAction) g_haltAction();
  if (g_modules) RunCleanUps(*g_modules);
  ExitProcess(0);
}

void AttachThreadModules() {
  if (!g_modules) return;
  for (const Module& m : *g_modules)
    if (m.attachThread) m.attachThread();
}

void DetachThreadModules() {
  if (!g_modules) return;
  for (auto it = g_modules->rbegin(); it != g_modules->rend(); ++it)
    if (it->detachThread) it->detachThread();
}

int RunProgram(const std::vector<Module>& modules, const std::function<void()>& body) {
  if (!StartRuntime()) return 0;
  g_modules = &modules;
  for (const Module& m : modules) {
    if (m.attachProcess) m.attachProcess();
    if (m.attachThread) m.attachThread();
  }
  body();
  RunCleanUps(modules);
  g_modules = nullptr;
  return 0;
}

}  // namespace rt
