#include "procedure_window.h"

#include "globals.h"

namespace app {

fw::BYTE ProcedureWindow::INIT() {
  ThreadGlobals& g = ThisThread();
  GLOBALERRORS->SETPROCEDURENAME(name_);
  REQUEST = g.GLOBALREQUEST;
  const fw::BYTE level = WINDOWMANAGER::INIT();
  if (level != 0) return level;
  FIRSTFIELD = 1;
  VCRREQUEST = &g.VCRREQUEST;
  ERRORS = GLOBALERRORS;
  ADDITEM(TOOLBAR);
  g.GLOBALREQUEST = 0;
  g.GLOBALRESPONSE = 0;
  if (window_) OPEN(*window_);
  OwnStep();
  DEFINELISTBOXSTYLE();
  if (window_) INIMGR->FETCH(name_, *window_);
  SETALERTS();
  LastStep();
  return level;
}

fw::BYTE ProcedureWindow::KILL() {
  const fw::BYTE level = WINDOWMANAGER::KILL();
  if (level != 0) return level;
  if (OPENED && window_) INIMGR->UPDATE(name_, *window_);
  GLOBALERRORS->SETPROCEDURENAME();
  return level;
}

}  // namespace app
