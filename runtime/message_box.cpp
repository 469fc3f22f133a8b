#include "message_box.h"

#include <windows.h>

#include "modules.h"
#include "window.h"

namespace rt {

void ShowMessage(const std::string& text, const std::string& caption) {
  MessageBoxA(CurrentTarget(), text.c_str(), caption.c_str(), MB_OK);
}

void StopWithMessage(const std::string& text) {
  const int answer = MessageBoxA(CurrentTarget(), (text + "\n\nCancel ends the program.").c_str(), "Stop",
                                 MB_OKCANCEL | MB_ICONSTOP | MB_DEFBUTTON1);
  if (answer == IDCANCEL) Halt();
}

}  // namespace rt
