// Brivane: the application frame, the message dialog and the task-panel window.
#include <windows.h>

#include "frame.h"
#include "panelwindow/main_taskpanel.h"
#include "program.h"
#include "taskpanel/qftaskpanel.h"

namespace {

// The user name of the recent-item files: process-wide, 40 characters, never changed.
const std::string GLO_USUARIO = "zarozevi";

const app::ProgramConfig& Config() {
  static const app::ProgramConfig config = [] {
    app::ProgramConfig c;
    c.name = "Brivane";
    c.iniFile = "Brivane.INI";
    c.frameModule = "Brivane$QUILL003";
    c.dialogModule = "Brivane$QUILL001";
    c.framePrefix = ".\\RECIENTES.TaskPanel.Frame.";
    c.processUserName = &GLO_USUARIO;
    c.startPanelWindow = panelwindow::MAIN_TASKPANEL;
    c.frame = app::MAIN;
    return c;
  }();
  return config;
}

rt::Module TaskPanelModule() {
  rt::Module m;
  m.name = "qftaskpanel";
  m.attachProcess = [] {
    app::Trace("qftaskpanel start");
    QTPLINKERLOADER.CONSTRUCT();
  };
  m.detachProcess = [] {
    QTPLINKERLOADER.DESTRUCT();
    app::Trace("qftaskpanel end");
  };
  return m;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // Module order: the main module, the message dialog's, the task-panel window's (image
  // controls and its layout), the frame's, then the task panel's, which loads the gradient
  // function.
  const std::vector<rt::Module> modules = {
      app::MainModule("Brivane"),
      app::WindowModule("Brivane$QUILL001", {rt::ControlKind::String, rt::ControlKind::Button}),
      panelwindow::PanelWindowModule("Brivane$QUILL002"),
      app::WindowModule("Brivane$QUILL003", {}),
      TaskPanelModule(),
  };
  return app::RunProgramEntry(Config(), modules);
}
