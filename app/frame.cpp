#include "frame.h"

#include <algorithm>
#include <array>
#include <memory>

#include "globals.h"
#include "layouts.h"
#include "mensaje.h"
#include "procedure_window.h"
#include "recent_items.h"
#include "runtime/events.h"
#include "runtime/ini_entry.h"
#include "runtime/properties.h"
#include "runtime/threads.h"

namespace app {
namespace {

constexpr uint32_t kPanelThreadStack = 25000;

// The items whose choice shows the message dialog and is recorded.
constexpr std::array<int32_t, 7> kAccountingItems = {
    FEQ_COMPROBANTESFACTURAS,     FEQ_COMPROBANTESNOTASDEDEBITO,    FEQ_COMPROBANTESNOTASDECREDITO,
    FEQ_COMPROBANTESRECIBOS,      FEQ_INFORMESSUBDIARIODEIVAVENTAS, FEQ_INFORMESSALDOSDECLIENTES,
    FEQ_INFORMESMINUTASCONTABLES};

// The frame's locals that its window object works on (the recent-item store keeps the
// slot text and the popup string of one operation itself).
struct FrameLocals {
  int32_t QLL_FRAME_CAMPO = 0;
  std::string QLL_FRAME_INIFILE;
  std::string QLL_FRAME_INIENTRY;
  std::string GLO_USUARIO;  // the user name when the frame holds it (Caldrel)
};

class THISWINDOW : public ProcedureWindow {
 public:
  THISWINDOW(rt::Window* window, FrameLocals& locals) : ProcedureWindow("Main", window), L(locals) {}

  fw::BYTE TAKEACCEPTED() override;
  fw::BYTE TAKEFIELDEVENT() override;

 protected:
  void LastStep() override {
    // Brivane: the task-panel window runs beside the frame, on a thread of its own; the
    // frame neither keeps its number nor waits for it. The frame is refreshed and shown
    // first, so that the pane opens in a frame on the screen (a pane drawn into a hidden
    // frame is not drawn again when the frame appears).
    if (!ThisProgram().startPanelWindow) return;
    OPEN();
    if (Window()) Window()->Show();
    rt::StartThread(ThisProgram().startPanelWindow, kPanelThreadStack);
  }

 private:
  void MENU_MENUBAR() {}
  void MENU_FILEMENU() {}
  void MENU_COMPROBANTES();
  void MENU_COMPROBANTESINFORMES();
  void MENU_EDITMENU() {}
  void MENU_WINDOWMENU() {}
  void MENU_HELPMENU() {}
  const std::string& UserName() const {
    return ThisProgram().processUserName ? *ThisProgram().processUserName : L.GLO_USUARIO;
  }

  FrameLocals& L;
};

void THISWINDOW::MENU_COMPROBANTES() {
  switch (rt::AcceptedControl()) {
    case FEQ_COMPROBANTESFACTURAS:
    case FEQ_COMPROBANTESNOTASDEDEBITO:
    case FEQ_COMPROBANTESNOTASDECREDITO:
    case FEQ_COMPROBANTESRECIBOS:
      MENSAJE(rt::GetControlText(rt::EventControl()));
      break;
    default:
      break;
  }
}

void THISWINDOW::MENU_COMPROBANTESINFORMES() {
  switch (rt::AcceptedControl()) {
    case FEQ_INFORMESSUBDIARIODEIVAVENTAS:
    case FEQ_INFORMESSALDOSDECLIENTES:
    case FEQ_INFORMESMINUTASCONTABLES:
      MENSAJE(rt::GetControlText(rt::EventControl()));
      break;
    default:
      break;
  }
}

fw::BYTE THISWINDOW::TAKEACCEPTED() {
  MENU_MENUBAR();
  MENU_FILEMENU();
  MENU_COMPROBANTES();
  MENU_COMPROBANTESINFORMES();
  MENU_EDITMENU();
  MENU_WINDOWMENU();
  MENU_HELPMENU();
  return WINDOWMANAGER::TAKEACCEPTED();
}

// Records every accepted menu item once its action has run, and replays a choice of the
// "Recientes" popup as a new accepted event.
fw::BYTE THISWINDOW::TAKEFIELDEVENT() {
  const fw::BYTE result = WINDOWMANAGER::TAKEFIELDEVENT();
  if (rt::CurrentEvent() != rt::EVENT_Accepted) return result;
  L.QLL_FRAME_INIFILE = RecentItemsFileName(ThisProgram().framePrefix, UserName());
  L.QLL_FRAME_INIENTRY = kRecentSection;
  const int32_t accepted = rt::AcceptedControl();
  if (accepted == FEQ_RECIENTES) {
    const RecentChoice chosen = RecentItemsPopup(L.QLL_FRAME_INIFILE);
    if (chosen.slot >= 1 && chosen.slot <= kRecentSlots) {
      L.QLL_FRAME_CAMPO = chosen.entry.number;
      if (L.QLL_FRAME_CAMPO != 0) rt::PostEvent(rt::EVENT_Accepted, L.QLL_FRAME_CAMPO, 0, 0);
    }
  }
  // Only the accounting items are recorded. A replayed number may name a menu, the menu bar
  // or nothing (from a file written elsewhere): recording it would replace the stored text
  // with one it does not have. Items with a standard action raise no accepted event.
  if (std::find(kAccountingItems.begin(), kAccountingItems.end(), accepted) == kAccountingItems.end()) return result;
  std::string text = rt::GetControlText(accepted);
  if (rt::IsBlank(text)) text = rt::GetControlTip(accepted);
  PushRecentItem(L.QLL_FRAME_INIFILE, RecentIdentity::Number, 0, accepted, text);
  return result;
}

}  // namespace

void MAIN() {
  ThreadGlobals& g = ThisThread();
  FrameLocals L;
  const ProgramConfig& program = ThisProgram();
  if (!program.processUserName) L.GLO_USUARIO = rt::CutTo(program.frameUserName, program.frameUserNameCapacity);
  std::unique_ptr<rt::Window> APPFRAME;
  rt::LoadFrameStructure(APPFRAME, program.frameModule, kFrameLayout);
  auto thisWindow = std::make_unique<THISWINDOW>(APPFRAME.get(), L);
  g.GLOBALRESPONSE = thisWindow->RUN();
  thisWindow.reset();
  rt::CloseWindow(APPFRAME);
}

}  // namespace app
