#pragma once
// The program body shared by both programs, and the process entry around it.
#include <vector>

#include "globals.h"
#include "runtime/modules.h"

namespace app {

// The program body (_main), on thread 1: framework set-up, the drag setting guard, the
// frame, and the framework's shutdown.
void PROGRAM_MAIN();

// Process entry: runs the modules' start-ups, the program body and the clean-ups; the exit
// code is 0 in every case.
int RunProgramEntry(const ProgramConfig& config, const std::vector<rt::Module>& modules);

}  // namespace app
