#include "modules.h"

#include <windows.h>
#include <commctrl.h>

namespace rt {
namespace {
const std::vector<Module>* g_modules = nullptr;
std::function<void()> g_haltAction;
SRWLOCK g_haltLock = SRWLOCK_INIT;  // one halt at a time; a second halting thread waits for the end

void RunCleanUps(const std::vector<Module>& modules) {
  for (auto it = modules.rbegin(); it != modules.rend(); ++it) {
    if (it->detachThread) it->detachThread();
    if (it->detachProcess) it->detachProcess();
  }
}
}  // namespace

void SetHaltAction(std::function<void()> action) { g_haltAction = std::move(action); }

void Halt() {
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
