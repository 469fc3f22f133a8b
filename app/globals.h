#pragma once
// Process-wide objects and per-thread globals of the programs, and the program's own
// settings (which program this is).
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "framework/error_class.h"
#include "framework/fuzzy_class.h"
#include "framework/ini_class.h"
#include "runtime/layout.h"
#include "runtime/modules.h"

namespace app {

// The dictionary set-up of a thread: this application declares no data files, so its
// routines are empty; thread 1's is initialised by the program body instead.
class DICTIONARY {
 public:
  DICTIONARY();
  ~DICTIONARY();
};
void DCTINIT();
void DCTKILL();

// Each thread's own copies, created when the thread starts and released when it ends.
struct ThreadGlobals {
  fw::ERRORSTATUSCLASS GLOBALERRORSTATUS;
  uint8_t GLOBALREQUEST = 0;
  uint8_t GLOBALRESPONSE = 0;
  int32_t VCRREQUEST = 0;
  std::optional<DICTIONARY> DICTIONARY_;
};
// The calling thread's globals (made on first use by a thread no module start-up saw).
ThreadGlobals& ThisThread();

// Process-wide objects of the main module, constructed at process start in this order.
extern fw::FUZZYCLASS* FUZZYMATCHER;
extern fw::ERRORCLASS* GLOBALERRORS;
extern fw::INICLASS* INIMGR;

// What differs between the two programs.
struct ProgramConfig {
  std::string name;          // "Brivane", "Caldrel": names the module routines
  std::string iniFile;       // the program INI file, a bare name
  std::string frameModule;   // resource module names of the layouts
  std::string dialogModule;
  std::string framePrefix;   // the frame's recent-item file prefix
  // The user name in the recent-item file names: a process-wide text (Brivane) or, when
  // this is null, a text held by the frame and set to `frameUserName` when it starts.
  const std::string* processUserName = nullptr;
  std::string frameUserName;
  std::size_t frameUserNameCapacity = 20;
  void (*startPanelWindow)() = nullptr;  // started on a new thread by the frame, or none
  void (*frame)() = nullptr;             // the frame procedure run by the program body
};
const ProgramConfig& ThisProgram();
void SetProgram(const ProgramConfig& config);

// The main module: seeds the random numbers and makes the process-wide objects; its
// thread routines make and release each thread's globals.
rt::Module MainModule(const std::string& programName);
// A window module whose start-up only makes sure its control kinds exist.
rt::Module WindowModule(const std::string& name, std::vector<rt::ControlKind> controlKinds);

// A record of start-up and shutdown steps, kept in memory so that their order can be checked.
void Trace(const std::string& step);
std::vector<std::string> TraceSteps();
void ClearTrace();

}  // namespace app
