#include "modules.h"

#include <windows.h>
#include <commctrl.h>

namespace rt {
namespace {
const std::vector<Module>* g_modules = nullptr;
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
  for (auto it = modules.rbegin(); it != modules.rend(); ++it) {
    if (it->detachThread) it->detachThread();
    if (it->detachProcess) it->detachProcess();
  }
  g_modules = nullptr;
  return 0;
}

}  // namespace rt
