#include "window_manager.h"

#include <windows.h>

namespace fw {

BYTE WINDOWMANAGER::INIT() {
  inited_ = true;
  refreshed_ = false;
  closing_ = false;
  toolbar_ = nullptr;
  window_ = nullptr;
  return 0;
}

BYTE WINDOWMANAGER::KILL() {
  if (!inited_) return 5;
  inited_ = false;
  toolbar_ = nullptr;
  return 0;
}

void WINDOWMANAGER::ADDITEM(TOOLBARCLASS& toolbar) {
  toolbar.INIT();
  toolbar_ = &toolbar;
}

void WINDOWMANAGER::OPEN(rt::Window& window, rt::Window* /*owner*/) {
  window_ = &window;
  if (window.Open()) OPENED = 1;
}

void WINDOWMANAGER::OPEN() {
  refreshed_ = true;
  RESET();
}

void WINDOWMANAGER::RESET() {
  if (window_) window_->Display();
}

void WINDOWMANAGER::SETALERTS() {}  // no window components and no field history here

BYTE WINDOWMANAGER::TAKEACCEPTED() {
  if (toolbar_) toolbar_->TAKEEVENT();
  const int32_t control = rt::AcceptedControl();
  if (control != 0 && (control == OKCONTROL || control == SAVECONTROL)) {
    // A window with an OK or save control would complete here; none of ours sets one.
    return TAKECLOSEEVENT();
  }
  return 0;
}

BYTE WINDOWMANAGER::TAKECLOSEEVENT() {
  closing_ = true;  // nothing to save: the window may close
  return 1;
}

BYTE WINDOWMANAGER::TAKEFIELDEVENT() { return 0; }

BYTE WINDOWMANAGER::TAKEWINDOWEVENT() {
  switch (rt::CurrentEvent()) {
    case rt::EVENT_OpenWindow:
      if (!refreshed_) OPEN();
      // Start-up, placement and first refresh are done: only now is the window seen.
      if (window_) window_->Show();
      if (window_ && FIRSTFIELD > 0)
        if (::HWND first = window_->FocusTarget(FIRSTFIELD)) SetFocus(first);
      return 0;
    case rt::EVENT_CloseWindow:
      return TAKECLOSEEVENT();
    default:
      return 0;
  }
}

BYTE WINDOWMANAGER::TAKEEVENT() {
  const rt::Event& e = window_->Current();
  if (e.control == 0) {
    if (BYTE level = TAKEWINDOWEVENT()) return level;
  }
  if (e.event == rt::EVENT_Accepted) {
    if (BYTE level = TAKEACCEPTED()) return level;
  }
  if (e.control != 0) {
    if (BYTE level = TAKEFIELDEVENT()) return level;
  }
  return 0;
}

BYTE WINDOWMANAGER::RUN() {
  if (INIT() == 0 && window_ && window_->IsOpen()) {
    rt::Event e;
    while (!closing_ && window_->NextEvent(e)) {
      window_->SetCurrent(e);
      TAKEEVENT();
    }
  }
  KILL();
  return RESPONSE != 0 ? RESPONSE : 2;
}

}  // namespace fw
