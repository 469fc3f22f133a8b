#include "window_manager.h"

#include <windows.h>

#include <algorithm>

namespace fw {
namespace {

// The control the open event selects: the first field, or, where that cannot take the focus
// (a display-only text, a disabled or hidden control), the first control after it that can
// (the next tab stop).
::HWND FocusFor(const rt::Window& window, int32_t field) {
  ::HWND first = GetDlgItem(window.Handle(), field);
  if (!first) return nullptr;
  const auto& controls = window.Layout().controls;
  const bool displayOnly = std::any_of(controls.begin(), controls.end(), [&](const rt::ControlLayout& c) {
    return c.feq == field && c.kind == rt::ControlKind::String;
  });
  const LONG style = GetWindowLongA(first, GWL_STYLE);
  if ((style & WS_VISIBLE) && !(style & WS_DISABLED) && !displayOnly) return first;
  ::HWND next = GetNextDlgTabItem(window.Handle(), first, FALSE);
  return next ? next : first;
}

}  // namespace

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
        if (::HWND first = FocusFor(*window_, FIRSTFIELD)) SetFocus(first);
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
