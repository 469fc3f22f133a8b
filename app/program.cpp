#include "program.h"

#include <windows.h>

#include "layouts.h"

namespace app {
namespace {
// The setting for dragging windows with their full contents, as read at start, and the
// buffer argument of the two calls that set it (its value is never read).
LONG LCURRENTFDSETTING = 0;
LONG LADJFDSETTING = 0;
constexpr UINT kUpdateAndBroadcast = SPIF_UPDATEINIFILE | SPIF_SENDCHANGE;  // 3

void RestoreDragSetting() {
  if (LCURRENTFDSETTING != 1) return;
  SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, 1, &LADJFDSETTING, kUpdateAndBroadcast);
  Trace("drag setting on");
}
}  // namespace

void PROGRAM_MAIN() {
  const ProgramConfig& program = ThisProgram();
  GLOBALERRORS->INIT(ThisThread().GLOBALERRORSTATUS);
  Trace("GLOBALERRORS.INIT");
  FUZZYMATCHER->INIT();
  FUZZYMATCHER->SETOPTION(1, 1);
  FUZZYMATCHER->SETOPTION(2, 0);
  Trace("FUZZYMATCHER.INIT");
  INIMGR->INIT(program.iniFile, 0, 0);
  Trace("INIMGR.INIT");
  DCTINIT();

  LCURRENTFDSETTING = 0;
  SystemParametersInfoA(SPI_GETDRAGFULLWINDOWS, 0, &LCURRENTFDSETTING, 0);
  if (LCURRENTFDSETTING == 1) {
    SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, 0, &LADJFDSETTING, kUpdateAndBroadcast);
    Trace("drag setting off");
  }
  // The user's setting is given back however the program ends, a halt included.
  rt::SetHaltAction(RestoreDragSetting);

  Trace("MAIN");
  if (program.frame) program.frame();
  Trace("MAIN returned");

  INIMGR->UPDATE();
  rt::SetHaltAction(nullptr);
  RestoreDragSetting();
  INIMGR->KILL();
  Trace("INIMGR.KILL");
  FUZZYMATCHER->KILL();
  Trace("FUZZYMATCHER.KILL");
}

int RunProgramEntry(const ProgramConfig& config, const std::vector<rt::Module>& modules) {
  SetProgram(config);
  RegisterFrameLayouts(config.frameModule, config.dialogModule);
  rt::RunProgram(modules, PROGRAM_MAIN);
  return 0;
}

}  // namespace app
