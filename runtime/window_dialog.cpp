#include "window_internal.h"

#include <algorithm>

// A runtime dialog (a top-level window of controls, WS_EX_CONTROLPARENT) answers the keyboard
// as a Windows dialog does, through the platform's own dialog navigation: Tab and Shift+Tab
// between its controls, Enter for the default button, Space on the focused one, the buttons'
// access keys; and it keeps its control focus while another window is active.
namespace rt {

namespace {

// The runtime dialog that `hwnd` belongs to, or null (frames, MDI children and everything
// that is not ours keep their keys).
::HWND DialogOf(::HWND hwnd) {
  ::HWND root = hwnd ? GetAncestor(hwnd, GA_ROOT) : nullptr;
  if (!root || !(GetWindowLongA(root, GWL_EXSTYLE) & WS_EX_CONTROLPARENT)) return nullptr;
  const Window* w = detail::RuntimeWindow(root);
  return w && w->Layout().kind == WindowKind::Window ? root : nullptr;
}

}  // namespace

// Shown, enabled, and not a text that is only displayed: the layout is asked, since the task
// panel's controls answer WM_GETDLGCODE by repainting.
bool Window::CanTakeFocus(::HWND control) const {
  const LONG style = GetWindowLongA(control, GWL_STYLE);
  if (!(style & WS_VISIBLE) || (style & WS_DISABLED)) return false;
  const int id = GetDlgCtrlID(control);
  return std::none_of(layout_.controls.begin(), layout_.controls.end(),
                      [&](const ControlLayout& c) { return c.feq == id && c.kind == ControlKind::String; });
}

::HWND Window::FocusTarget(int32_t feq) const {
  ::HWND control = GetDlgItem(hwnd_, feq);
  if (!control || CanTakeFocus(control)) return control;
  ::HWND next = GetNextDlgTabItem(hwnd_, control, FALSE);
  return next ? next : control;
}

bool detail::DialogKey(MSG& m) {
  if (m.message < WM_KEYFIRST || m.message > WM_KEYLAST) return false;
  ::HWND dialog = DialogOf(m.hwnd);
  return dialog && IsDialogMessageA(dialog, &m);  // when true, it has dispatched the key itself
}

// The focus a dialog had when it was left comes back when it is active again; a dialog that
// had none gets its first control that can take it. Other windows leave this to the system.
bool Window::KeepDialogFocus(WPARAM wp) {
  if (DialogOf(hwnd_) != hwnd_) return false;
  if (LOWORD(wp) == WA_INACTIVE) {
    ::HWND focus = GetFocus();
    if (focus && IsChild(hwnd_, focus)) dialogFocus_ = focus;
    return false;
  }
  if (HIWORD(wp)) return false;  // minimised
  ::HWND focus = dialogFocus_;
  if (!focus || !IsChild(hwnd_, focus) || !CanTakeFocus(focus)) focus = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
  if (!focus) return false;
  SetFocus(focus);
  return true;
}

// As in a Windows dialog, the focused push button is the default one while it has the focus;
// otherwise the one the layout names.
LRESULT Window::DefaultButton() const {
  ::HWND focus = GetFocus();
  if (focus && GetParent(focus) == hwnd_ &&
      (SendMessageA(focus, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)))
    return MAKELRESULT(static_cast<uint16_t>(GetDlgCtrlID(focus)), DC_HASDEFID);
  for (const ControlLayout& c : layout_.controls)
    if (c.kind == ControlKind::Button && c.defaultButton) return MAKELRESULT(static_cast<uint16_t>(c.feq), DC_HASDEFID);
  return 0;
}

}  // namespace rt
