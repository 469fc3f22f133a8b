#include "globals.h"

#include <mutex>

#include "runtime/controls.h"
#include "runtime/random.h"
#include "runtime/threads.h"

namespace app {
namespace {
// Trivially destructible thread-local (see runtime/threads.cpp): made and released by the
// main module's thread routines.
thread_local ThreadGlobals* t_globals = nullptr;
const ProgramConfig* g_program = nullptr;
std::mutex g_traceMutex;
std::vector<std::string> g_trace;
}  // namespace

fw::FUZZYCLASS* FUZZYMATCHER = nullptr;
fw::ERRORCLASS* GLOBALERRORS = nullptr;
fw::INICLASS* INIMGR = nullptr;

ThreadGlobals& ThisThread() {
  if (!t_globals) t_globals = new ThreadGlobals();  // a thread no module start-up saw
  return *t_globals;
}

const ProgramConfig& ThisProgram() {
  static const ProgramConfig none{};
  return g_program ? *g_program : none;
}
void SetProgram(const ProgramConfig& config) { g_program = &config; }

rt::Module MainModule(const std::string& programName) {
  rt::Module m;
  m.name = programName;
  m.attachProcess = [programName] {
    Trace(programName + ".__attach_process");
    rt::SeedRandomOnce();
    FUZZYMATCHER = new fw::FUZZYCLASS();
    GLOBALERRORS = new fw::ERRORCLASS();
    INIMGR = new fw::INICLASS();
  };
  m.attachThread = [programName] {
    Trace(programName + ".__attach_thread");
    delete t_globals;
    t_globals = new ThreadGlobals();  // the error status, the three numbers at 0
    t_globals->DICTIONARY_.emplace();
  };
  m.detachThread = [programName] {
    Trace(programName + ".__detach_thread");
    if (t_globals) {
      t_globals->DICTIONARY_.reset();
      delete t_globals;
      t_globals = nullptr;
    }
  };
  m.detachProcess = [programName] {
    Trace(programName + ".__detach_process");
    delete INIMGR;
    INIMGR = nullptr;
    delete GLOBALERRORS;
    GLOBALERRORS = nullptr;
    // The fuzzy matcher is never destroyed; it lives until the process ends.
  };
  return m;
}

rt::Module WindowModule(const std::string& name, std::vector<rt::ControlKind> controlKinds) {
  rt::Module m;
  m.name = name;
  m.attachProcess = [name, controlKinds] {
    Trace(name + " start");
    for (rt::ControlKind kind : controlKinds) rt::RegisterControlKind(kind);
  };
  m.detachProcess = [name] { Trace(name + " end"); };
  return m;
}

void Trace(const std::string& step) {
  std::lock_guard lock(g_traceMutex);
  if (g_trace.size() < 10000) g_trace.push_back(step);
}
std::vector<std::string> TraceSteps() {
  std::lock_guard lock(g_traceMutex);
  return g_trace;
}
void ClearTrace() {
  std::lock_guard lock(g_traceMutex);
  g_trace.clear();
}

}  // namespace app
