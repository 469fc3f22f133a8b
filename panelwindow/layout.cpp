// The compiled layout of the task-panel window: a fixed tool pane inside the frame.
#include "main_taskpanel.h"

#include "app/globals.h"
#include "runtime/layout.h"

namespace panelwindow {
namespace {

rt::WindowLayout MakePanelWindow() {
  rt::WindowLayout w;
  w.kind = rt::WindowKind::MdiChild;
  w.caption = "ToolBar";
  w.font = {"MS Sans Serif", 8, 400};
  // A thin border that does not size, a title bar to move it by, and no button that closes,
  // minimises or maximises it.
  w.thinBorder = true;
  w.sizable = false;
  w.systemMenu = false;
  w.minimizeBox = w.maximizeBox = false;
  w.background = 0x00E6A07A;  // the panel's own background
  w.defaultPosition = false;
  w.x = 0;
  w.y = 0;
  w.width = 89;
  w.height = 228;
  w.alertKeys = {VK_ESCAPE};  // Escape is an alert here, so it does not close the pane
  // The image control reaches one unit past the left and right edges; the panel paints it all.
  w.controls = {rt::ControlLayout{rt::ControlKind::Image, FEQ_XPTASKPANEL, "", -1, 0, 91, 227, 0, false, ""}};
  return w;
}

}  // namespace

void RegisterPanelLayout(const std::string& module) {
  static const rt::WindowLayout window = MakePanelWindow();
  rt::RegisterLayout(module, kPanelLayout, &window);
}

rt::Module PanelWindowModule(const std::string& module) {
  rt::Module m = app::WindowModule(module, {rt::ControlKind::Image});
  auto start = m.attachProcess;
  m.attachProcess = [start, module] {
    if (start) start();
    RegisterPanelLayout(module);
  };
  return m;
}

}  // namespace panelwindow
