#pragma once
// Module start-up and clean-up: each module has a process and a thread start-up and the
// matching clean-ups. Start-ups run in registration order, each module's process start-up
// followed at once by its start-up for the first thread; clean-ups run in exact reverse.
#include <functional>
#include <string>
#include <vector>

namespace rt {

struct Module {
  std::string name;
  std::function<void()> attachProcess;
  std::function<void()> attachThread;
  std::function<void()> detachThread;
  std::function<void()> detachProcess;
};

// Process entry of a program: starts the runtime; when that succeeds runs the modules'
// start-ups, `body`, and the clean-ups. Returns the process exit code (always 0).
int RunProgram(const std::vector<Module>& modules, const std::function<void()>& body);

// Thread start-up and clean-up of the modules of the running program (used by StartThread).
void AttachThreadModules();
void DetachThreadModules();

// Ends the program at once from any thread (the user chose to stop): the program's halt
// action, then the module clean-ups in reverse order, then the process ends with exit code 0.
[[noreturn]] void Halt();
// What the program undoes when it is halted instead of returning (a system setting it
// changed); set while it runs, cleared with an empty function.
void SetHaltAction(std::function<void()> action);

// Brings up what the runtime itself needs (common controls, window classes); false on failure.
bool StartRuntime();

}  // namespace rt
