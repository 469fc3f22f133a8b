#include "mensaje.h"

#include <memory>

#include "globals.h"
#include "layouts.h"
#include "procedure_window.h"
#include "runtime/ini_entry.h"

namespace app {
namespace {

class THISWINDOW : public ProcedureWindow {
 public:
  THISWINDOW(rt::Window* window, const std::string& param, std::string& text)
      : ProcedureWindow("Mensaje", window), param_(param), text_(text) {}

 protected:
  void OwnStep() override { text_ = rt::CutTo(param_, kMensajeTextCapacity); }

 private:
  const std::string& param_;
  std::string& text_;
};

}  // namespace

void MENSAJE(const std::string& PARAM_TEXTO) {
  ThreadGlobals& g = ThisThread();
  std::string LOC_TEXTO;
  std::unique_ptr<rt::Window> WINDOW;
  rt::LoadWindowStructure(WINDOW, ThisProgram().dialogModule, kDialogLayout, {{FEQ_LOC_TEXTO, &LOC_TEXTO}});
  auto thisWindow = std::make_unique<THISWINDOW>(WINDOW.get(), PARAM_TEXTO, LOC_TEXTO);
  g.GLOBALRESPONSE = thisWindow->RUN();
  thisWindow.reset();
  rt::CloseWindow(WINDOW);
}

}  // namespace app
