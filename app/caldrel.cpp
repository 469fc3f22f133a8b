// Caldrel: the application frame and the message dialog.
#include <windows.h>

#include "frame.h"
#include "program.h"

namespace {

const app::ProgramConfig& Config() {
  static const app::ProgramConfig config = [] {
    app::ProgramConfig c;
    c.name = "Caldrel";
    c.iniFile = "Caldrel.INI";
    c.frameModule = "Caldrel$QUILL001";
    c.dialogModule = "Caldrel$QUILL002";
    c.framePrefix = ".\\RECIENTES.";
    c.frameUserName = "Zarozevi";  // held by the frame, 20 characters at most
    c.frameUserNameCapacity = 20;
    c.frame = app::MAIN;
    return c;
  }();
  return config;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // Module order: the main module, the message dialog's (strings and buttons), the frame's.
  const std::vector<rt::Module> modules = {
      app::MainModule("Caldrel"),
      app::WindowModule("Caldrel$QUILL002", {rt::ControlKind::String, rt::ControlKind::Button}),
      app::WindowModule("Caldrel$QUILL001", {}),
  };
  return app::RunProgramEntry(Config(), modules);
}
