// Pointer handling: hover flags of headers and tasks, the left click that reaches the owner
// through EXECUTEACTION, the pointer shape, and the hover timer that ends hover effects once
// the pointer has left the control. Hit rectangles are the MOUSERECTs of the last paint, in
// content coordinates, so the mouse y is moved down by SCROLLPOS before each test.
#include "qftaskpanel.h"
#include "runtime/events.h"

namespace {

constexpr int32_t kArrow = 0;
constexpr int32_t kHand = 1;

// A mouse message's point in content coordinates: x and y are the unsigned low and high
// words of lParam.
POINT ContentPoint(LPARAM lParam, int32_t scrollPos) {
  const auto raw = static_cast<DWORD>(lParam);
  return POINT{static_cast<LONG>(LOWORD(raw)), static_cast<LONG>(HIWORD(raw)) + scrollPos};
}

// Left and top edges belong to the rectangle, right and bottom do not.
bool Inside(const QTP_RECT& r, POINT p) {
  return p.x >= r.LEFT && p.x < r.RIGHT && p.y >= r.TOP && p.y < r.BOTTOM;
}

}  // namespace

void QFTASKPANELCLASS::TAKEMOUSEMOVEEVENT(LPARAM LPARAMVALUE) {
  const POINT mouse = ContentPoint(LPARAMVALUE, SCROLLPOS);
  int32_t cursor = kArrow;
  const std::size_t headers = rt::QueueRecords(*HEADERS);
  for (std::size_t i = 1; i <= headers; ++i) {
    rt::GetQueue(*HEADERS, i);
    QTP_HEADERITEM& header = HEADERS->buffer;
    if (!header.ISVISIBLE) continue;
    header.ISHOVERED = 0;
    if (Inside(header.MOUSERECT, mouse)) {
      // An always-expanded bar does not react: its stored flags and its tasks' stay.
      if (header.ISALWAYSEXPANDED) continue;
      header.ISHOVERED = 1;
      cursor = kHand;
    }
    if (header.ISEXPANDED && header.TASKQUEUE) {
      QTP_TASKQUEUE& tasks = *header.TASKQUEUE;
      const std::size_t count = rt::QueueRecords(tasks);
      for (std::size_t t = 1; t <= count; ++t) {
        rt::GetQueue(tasks, t);
        QTP_TASKITEM& task = tasks.buffer;
        task.ISHOVERED = (Inside(task.MOUSERECT, mouse) && task.ISVISIBLE && !task.ISDISABLED) ? 1 : 0;
        if (task.ISHOVERED) cursor = kHand;
        rt::PutQueue(tasks);
      }
    }
    rt::PutQueue(*HEADERS);
  }
  if (!NOGRADIENT) SETCURSOR(cursor);
  REFRESH();
}

void QFTASKPANELCLASS::TAKEMOUSEBUTTONEVENT(uint8_t BTN, LPARAM LPARAMVALUE) {
  if (BTN != 1) return;
  const POINT mouse = ContentPoint(LPARAMVALUE, SCROLLPOS);
  int32_t cursor = kArrow;
  const std::size_t headers = rt::QueueRecords(*HEADERS);
  for (std::size_t i = 1; i <= headers; ++i) {
    rt::GetQueue(*HEADERS, i);
    // EXECUTEACTION may run a nested message loop whose paints and mouse moves reload the
    // record buffers, so everything used after the call is copied out first.
    const QTP_HEADERITEM header = HEADERS->buffer;
    if (!header.ISVISIBLE) continue;

    if (Inside(header.MOUSERECT, mouse)) {
      if (header.ISALWAYSEXPANDED) continue;
      cursor = kHand;
      EXECUTEACTION(header.ID, 0, BTN, header.ISEXPANDED);
      REFRESH();
      continue;
    }
    if (!header.ISEXPANDED || !header.TASKQUEUE) continue;

    QTP_TASKQUEUE& tasks = *header.TASKQUEUE;
    const std::size_t count = rt::QueueRecords(tasks);
    for (std::size_t t = 1; t <= count; ++t) {
      rt::GetQueue(tasks, t);
      const QTP_TASKITEM task = tasks.buffer;
      if (!task.ISVISIBLE || task.ISDISABLED || !Inside(task.MOUSERECT, mouse)) continue;

      cursor = kHand;
      // The owner window also gets the accepted event of the button the task mirrors; it
      // arrives through the owner's message loop, after this click.
      if (task.MIMICBUTTON == 1) rt::PostEvent(rt::EVENT_Accepted, task.LEFTACTIONFEQ, 0, 0);
      EXECUTEACTION(header.ID, task.ID, BTN, task.LEFTACTIONFEQ);
      // The clicked header as stored now, whatever the owner made current meanwhile.
      const bool dontWizard = i <= rt::QueueRecords(*HEADERS) && HEADERS->At(i).DONTWIZARD != 0;
      if (WIZARDMODE == 1 && !dontWizard) SETACTIVEWIZARDTASK(header.ID, task.ID);
      REFRESH();
      if (!NOGRADIENT) SETCURSOR(kHand);
      return;
    }
  }
  if (!NOGRADIENT) SETCURSOR(cursor);
}

void QFTASKPANELCLASS::TAKETIMEREVENT() {
  POINT at{};
  GetCursorPos(&at);
  if (WindowFromPoint(at) == HWND) return;  // still over the control: keep ticking

  KillTimer(HWND, reinterpret_cast<UINT_PTR>(this));
  LTIMER = 0;
  const std::size_t headers = rt::QueueRecords(*HEADERS);
  for (std::size_t i = 1; i <= headers; ++i) {
    rt::GetQueue(*HEADERS, i);
    QTP_HEADERITEM& header = HEADERS->buffer;
    if (header.TASKQUEUE) {
      QTP_TASKQUEUE& tasks = *header.TASKQUEUE;
      const std::size_t count = rt::QueueRecords(tasks);
      for (std::size_t t = 1; t <= count; ++t) {
        rt::GetQueue(tasks, t);
        if (!tasks.buffer.ISHOVERED) continue;
        tasks.buffer.ISHOVERED = 0;
        rt::PutQueue(tasks);
      }
    }
    if (header.ISHOVERED) {
      header.ISHOVERED = 0;
      rt::PutQueue(*HEADERS);
    }
  }
  REFRESH();
}

void QFTASKPANELCLASS::SETCURSOR(int32_t NCURSOR) {
  if (ISNT) return;
  if (NCURSOR == kArrow) {
    if (HCURSORARROW) ::SetCursor(HCURSORARROW);
  } else if (NCURSOR == kHand) {
    if (HCURSORHAND) ::SetCursor(HCURSORHAND);
  }
}
