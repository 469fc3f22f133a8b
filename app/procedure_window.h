#pragma once
// The one shape every window of the programs follows: a window-manager object whose INIT
// and KILL run the same steps for the frame, the message dialog and the task-panel window,
// with two places for a window's own steps. Each window's THISWINDOW derives from it.
#include <string>

#include "framework/window_manager.h"
#include "runtime/window.h"

namespace app {

class ProcedureWindow : public fw::WINDOWMANAGER {
 public:
  ProcedureWindow(std::string procedureName, rt::Window* window) : name_(std::move(procedureName)), window_(window) {}

  fw::BYTE INIT() override;
  fw::BYTE KILL() override;

 protected:
  // The window's own step, right after it has opened (none by default).
  virtual void OwnStep() {}
  // The last step of INIT, after the alerts (none by default).
  virtual void LastStep() {}
  void DEFINELISTBOXSTYLE() {}  // no window of these programs has a list box

  rt::Window* Window() const { return window_; }
  const std::string& ProcedureName() const { return name_; }

 private:
  std::string name_;
  rt::Window* window_;
  fw::TOOLBARCLASS TOOLBAR;
};

}  // namespace app
