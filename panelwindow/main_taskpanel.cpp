// The task-panel window procedure: the window from its layout, the panel object, the window
// manager, the run, and the tear-down in the reverse order of the objects' use.
#include "main_taskpanel.h"

#include <memory>

#include "app/globals.h"
#include "app/procedure_window.h"
#include "runtime/window.h"
#include "task_panel.h"

namespace panelwindow {
namespace {

class THISWINDOW : public app::ProcedureWindow {
 public:
  THISWINDOW(rt::Window* window, TASKPANEL& panel) : ProcedureWindow(kProcedureName, window), panel_(panel) {}

  fw::BYTE INIT() override {
    app::Trace("Main_TaskPanel INIT");
    return ProcedureWindow::INIT();
  }
  fw::BYTE KILL() override {
    const fw::BYTE level = ProcedureWindow::KILL();
    app::Trace("Main_TaskPanel KILL");
    return level;
  }

 protected:
  // The panel is filled, configured and attached to the open control before the saved
  // placement is applied. Through the virtual table: TASKPANEL's own INIT.
  void OwnStep() override {
    QFTASKPANELCLASS& panel = panel_;
    panel.INIT(FEQ_XPTASKPANEL);
    app::Trace("TASKPANEL INIT");
  }

 private:
  TASKPANEL& panel_;
};

}  // namespace

void MAIN_TASKPANEL() {
  app::ThreadGlobals& g = app::ThisThread();
  std::unique_ptr<rt::Window> WINDOW;
  rt::LoadMdiChildStructure(WINDOW, kPanelModule, kPanelLayout);
  PanelLocals locals;
  auto panel = std::make_unique<TASKPANEL>(locals);
  auto thisWindow = std::make_unique<THISWINDOW>(WINDOW.get(), *panel);

  g.GLOBALRESPONSE = thisWindow->RUN();

  thisWindow.reset();
  // The panel's KILL runs here, once, after the window's run has ended.
  panel->DESTRUCT();
  panel.reset();
  app::Trace("TASKPANEL DESTRUCT");
  rt::CloseWindow(WINDOW);
  app::Trace("Main_TaskPanel closed");
}

}  // namespace panelwindow
