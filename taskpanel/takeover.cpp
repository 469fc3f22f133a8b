// Taking over the host control: the panel's window procedure replaces the control's own,
// finds its panel through the window property, paints and answers mouse, scroll, size,
// timer and cursor messages, and hands everything else to the control's own procedure.
#include "qftaskpanel.h"
#include "runtime/properties.h"
#include "text_util.h"

namespace {

std::string PropertyName(const std::string& name) {
  return taskpanel::CutTo(taskpanel::WithoutTrailingBlanks(name), QTP_PROPNAME_CAPACITY);
}

// The hover timer's id: the panel object's own address.
UINT_PTR TimerId(const QFTASKPANELCLASS* panel) { return reinterpret_cast<UINT_PTR>(panel); }

LRESULT CallPrevious(QFTASKPANELCLASS& panel, ::HWND window, UINT msg, WPARAM wp, LPARAM lp) {
  if (!panel.OLDWNDPROCADDR) return 0;
  return CallWindowProcA(panel.OLDWNDPROCADDR, window, msg, wp, lp);
}

// After a resize the hit rectangles of the last paint no longer describe the control, so no
// header or task stays marked; the next mouse move tests the new layout.
void ClearHover(QFTASKPANELCLASS& panel) {
  if (!panel.HEADERS) return;
  QTP_HEADERQUEUE& headers = *panel.HEADERS;
  const std::size_t count = headers.Records();
  for (std::size_t i = 1; i <= count; ++i) {
    headers.Get(i);
    if (QTP_TASKQUEUE* tasks = headers.buffer.TASKQUEUE) {
      const std::size_t taskCount = tasks->Records();
      for (std::size_t j = 1; j <= taskCount; ++j) {
        tasks->Get(j);
        if (!tasks->buffer.ISHOVERED) continue;
        tasks->buffer.ISHOVERED = 0;
        tasks->Put();
      }
    }
    if (headers.buffer.ISHOVERED) {
      headers.buffer.ISHOVERED = 0;
      headers.Put();
    }
  }
}

LRESULT OnMouseMove(QFTASKPANELCLASS& panel, ::HWND window, WPARAM wp, LPARAM lp) {
  if (panel.LTIMER == 0) panel.LTIMER = SetTimer(panel.HWND, TimerId(&panel), 100, nullptr);
  panel.TAKEMOUSEMOVEEVENT(lp);
  return CallPrevious(panel, window, WM_MOUSEMOVE, wp, lp);
}

LRESULT OnPaint(QFTASKPANELCLASS& panel) {
  // The frame and the scroll bar are drawn by the control's own procedure.
  SendMessageA(panel.HWND, WM_NCPAINT, 1, 0);
  panel.TAKEPAINTEVENT();
  return 1;
}

LRESULT OnLeftButtonUp(QFTASKPANELCLASS& panel, LPARAM lp) {
  panel.TAKEMOUSEBUTTONEVENT(1, lp);
  return 1;
}

LRESULT OnVerticalScroll(QFTASKPANELCLASS& panel, WPARAM wp) {
  panel.TAKESCROLLEVENT(wp);
  return 1;
}

LRESULT OnSize(QFTASKPANELCLASS& panel, ::HWND window, WPARAM wp, LPARAM lp) {
  ClearHover(panel);
  panel.REFRESH();
  panel.TAKEPAINTEVENT();  // at once: the paint validates what REFRESH invalidated
  return CallPrevious(panel, window, WM_SIZE, wp, lp);
}

LRESULT OnTimer(QFTASKPANELCLASS& panel, ::HWND window, WPARAM wp, LPARAM lp) {
  if (wp != TimerId(&panel)) return CallPrevious(panel, window, WM_TIMER, wp, lp);
  panel.TAKETIMEREVENT();
  return 0;
}

LRESULT OnSetCursor(QFTASKPANELCLASS& panel, ::HWND window, WPARAM wp, LPARAM lp) {
  // The panel sets the pointer itself on mouse moves; only old systems show the class cursor.
  if (panel.ISNT == 0) return 1;
  return CallPrevious(panel, window, WM_SETCURSOR, wp, lp);
}

LRESULT OnGetDialogCode(QFTASKPANELCLASS& panel, ::HWND window, WPARAM wp, LPARAM lp) {
  panel.REFRESH();
  return CallPrevious(panel, window, WM_GETDLGCODE, wp, lp);
}

}  // namespace

void QFTASKPANELCLASS::INIT(int32_t NCONTROL) {
  HWND = rt::GetControlHandle(NCONTROL);
  HPARENTWND = rt::GetControlHandle(0);
  HCURSORARROW = LoadCursorA(nullptr, IDC_ARROW);
  HCURSORHAND = LoadCursorA(nullptr, IDC_HAND);
  OLDWNDPROCADDR = SUBCLASS(HWND, QTP_CLASSADDR_PROPERTY, QFTASKPANELCLASS_WNDPROC);
  CREATETOOLTIPPARENT();
  SETSCROLLINFO(0, 0, 0, 0);
  REFRESH();
  INITED = 1;
}

void QFTASKPANELCLASS::KILL() {
  if (LTIMER != 0) KillTimer(HWND, TimerId(this));
  if (HEADERS) {
    const std::size_t count = HEADERS->Records();
    for (std::size_t i = 1; i <= count; ++i) {
      const QTP_HEADERITEM& header = HEADERS->At(i);
      if (const QTP_TASKQUEUE* tasks = header.TASKQUEUE) {
        for (std::size_t j = 1; j <= tasks->Records(); ++j) {
          const QTP_TASKITEM& task = tasks->At(j);
          if (task.BUTTONWND) UNSUBCLASS(task.BUTTONWND, QTP_CLASSADDR_PROPERTY, task.BUTTONWNDPROC);
        }
      }
      if (HTOOLWND) REMOVEALLTOOLTIPS(header.ID);
    }
  }
  UNSUBCLASS(HWND, QTP_CLASSADDR_PROPERTY, OLDWNDPROCADDR);
  if (HTOOLWND) DestroyWindow(HTOOLWND);
  DESTROYFONTS();
  icons_.Clear();
}

WNDPROC QFTASKPANELCLASS::SUBCLASS(::HWND WINDOW, const std::string& PROPERTYNAME, WNDPROC NEWPROC) {
  // The property first, so that the new procedure finds its panel from its first message on.
  SetPropA(WINDOW, PropertyName(PROPERTYNAME).c_str(), this);
  return reinterpret_cast<WNDPROC>(SetWindowLongPtrA(WINDOW, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(NEWPROC)));
}

void QFTASKPANELCLASS::UNSUBCLASS(::HWND WINDOW, const std::string& PROPERTYNAME, WNDPROC RESTOREPROC) {
  // The procedure first, so that no message reaches the panel's procedure without its panel.
  // A window whose takeover failed has no procedure to get back, and never gets a null one.
  if (RESTOREPROC) SetWindowLongPtrA(WINDOW, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RESTOREPROC));
  RemovePropA(WINDOW, PropertyName(PROPERTYNAME).c_str());
}

void QFTASKPANELCLASS::REFRESH() {
  RECT client{};
  GetClientRect(HWND, &client);
  InvalidateRect(HWND, &client, FALSE);
}

LRESULT CALLBACK QFTASKPANELCLASS_WNDPROC(::HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* panel = static_cast<QFTASKPANELCLASS*>(GetPropA(hwnd, QTP_CLASSADDR_PROPERTY));
  if (!panel) return 1;
  switch (msg) {
    case WM_MOUSEMOVE: return OnMouseMove(*panel, hwnd, wParam, lParam);
    case WM_PAINT: return OnPaint(*panel);
    case WM_LBUTTONUP: return OnLeftButtonUp(*panel, lParam);
    case WM_VSCROLL: return OnVerticalScroll(*panel, wParam);
    case WM_SIZE: return OnSize(*panel, hwnd, wParam, lParam);
    case WM_TIMER: return OnTimer(*panel, hwnd, wParam, lParam);
    case WM_SETCURSOR: return OnSetCursor(*panel, hwnd, wParam, lParam);
    case WM_GETDLGCODE: return OnGetDialogCode(*panel, hwnd, wParam, lParam);
    default: return CallPrevious(*panel, hwnd, msg, wParam, lParam);
  }
}
