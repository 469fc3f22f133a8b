// Mimic buttons: a task that mirrors a button of its owner window. The task takes the
// button's text and icon and is shown only while the button is enabled; the panel watches
// the button through a replaced window procedure that repaints the panel when the button is
// enabled or disabled, and a click on the task also raises the button's accepted event.
#include "qftaskpanel.h"
#include "runtime/message_box.h"
#include "runtime/properties.h"
#include "runtime/window.h"

namespace {

constexpr char kNoPanel[] = "no win";

std::string Cut(std::string text, std::size_t capacity) {
  if (text.size() > capacity) text.resize(capacity);
  return text;
}

bool IsBlank(const std::string& text) { return text.find_first_not_of(' ') == std::string::npos; }

// Set while the "no win" box of this thread is open: the messages its loop delivers to such
// a button get the default handling instead of a box each.
thread_local bool t_stopBoxOpen = false;

}  // namespace

void QFTASKPANELCLASS::ADDITEMMIMIC(int32_t HEADERID, int32_t TASKID, int32_t BTN) {
  if (!GETHDR(HEADERID) || !GETTSK(TASKID)) return;
  QTP_TASKQUEUE& tasks = *HEADERS->buffer.TASKQUEUE;
  QTP_TASKITEM& task = tasks.buffer;
  ::HWND button = rt::GetControlHandle(BTN);
  task.BUTTONWND = button;
  // A button this panel already watches for another task is not taken over twice: that
  // would store the panel's own procedure as the one to forward to.
  const bool ours = button && GetPropA(button, QTP_CLASSADDR_PROPERTY) == static_cast<HANDLE>(this) &&
                    reinterpret_cast<WNDPROC>(GetWindowLongPtrA(button, GWLP_WNDPROC)) == QFTASKPANELCLASS_MIMICWNDPROC;
  task.BUTTONWNDPROC = ours ? GETMIMICWNDPROC(button) : SUBCLASS(button, QTP_CLASSADDR_PROPERTY, QFTASKPANELCLASS_MIMICWNDPROC);
  rt::PutQueue(tasks);
}

void QFTASKPANELCLASS::CHECKMIMICS(int32_t FEQ) {
  // Only while the owner window is the current target do the control numbers name its
  // buttons; before INIT there is no owner yet.
  if (!HPARENTWND || rt::CurrentTarget() != HPARENTWND) return;
  if (!HEADERS->buffer.TASKQUEUE) return;
  QTP_TASKQUEUE& tasks = *HEADERS->buffer.TASKQUEUE;
  QTP_TASKITEM& task = tasks.buffer;

  const std::string icon = rt::GetControlIcon(FEQ);
  if (!IsBlank(icon) && task.MIMICICON == 1)
    task.ICONNAME = Cut(icon.front() == '~' ? icon.substr(1) : icon, QTP_ICONNAME_CAPACITY);
  if (task.MIMICTEXT == 1) task.TITLE = Cut(rt::GetControlText(FEQ), QTP_TITLE_CAPACITY);
  task.ISVISIBLE = rt::GetControlEnabled(FEQ) ? 1 : 0;
  rt::PutQueue(tasks);
}

WNDPROC QFTASKPANELCLASS::GETMIMICWNDPROC(::HWND BUTTON) {
  // Read in place, so that a button message arriving during one of the panel's own walks
  // leaves the walk's current entries alone.
  for (std::size_t h = 1; h <= HEADERS->Records(); ++h) {
    const QTP_TASKQUEUE* tasks = HEADERS->At(h).TASKQUEUE;
    if (!tasks) continue;
    for (std::size_t t = 1; t <= tasks->Records(); ++t) {
      if (tasks->At(t).BUTTONWND == BUTTON) return tasks->At(t).BUTTONWNDPROC;
    }
  }
  return nullptr;
}

LRESULT CALLBACK QFTASKPANELCLASS_MIMICWNDPROC(::HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* panel = static_cast<QFTASKPANELCLASS*>(GetPropA(hwnd, QTP_CLASSADDR_PROPERTY));
  if (!panel) {
    if (t_stopBoxOpen) return DefWindowProcA(hwnd, msg, wParam, lParam);
    t_stopBoxOpen = true;
    rt::StopWithMessage(kNoPanel);
    t_stopBoxOpen = false;
    return 0;
  }
  const WNDPROC previous = panel->GETMIMICWNDPROC(hwnd);
  if (msg == WM_ENABLE) panel->REFRESH();
  if (!previous) return 0;
  return CallWindowProcA(previous, hwnd, msg, wParam, lParam);
}
