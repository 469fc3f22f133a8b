// Tooltips: one window of the common-controls tooltip class, with one tool per task that has a
// text. A tool's id is the task id and its rectangle the task's row in client coordinates
// (the content rectangle moved up by SCROLLPOS); the paint moves, adds and removes tools as
// it lays the tasks out.
#include "qftaskpanel.h"

#include <commctrl.h>

#include <cstring>

#include "runtime/message_box.h"
#include "runtime/properties.h"

namespace {

constexpr char kTooltipClass[] = "Tooltips_Class32";
constexpr char kNoTooltipWindow[] = "XP-Taskpanel: Unable to create tooltip parent window";
// The placement handed to CreateWindowExA; the tooltip control places and sizes itself.
constexpr int kTooltipPlacement = -32768;
constexpr std::size_t kTextBufferSize = QTP_TOOLTIP_CAPACITY + 1;
// The "topmost" place in the z-order, written with the type ::HWND: inside a member of
// QFTASKPANELCLASS the Win32 macro's cast to HWND takes the member HWND instead and gives the
// host control's handle minus one.
const ::HWND kTopmost = reinterpret_cast<::HWND>(static_cast<LONG_PTR>(-1));

std::string WithoutTrailingBlanks(std::string text) {
  const auto end = text.find_last_not_of(' ');
  text.erase(end == std::string::npos ? 0 : end + 1);
  return text;
}

// A tooltip text as stored: no trailing blanks, at most the capacity.
std::string TooltipText(const std::string& text) {
  std::string t = WithoutTrailingBlanks(text);
  if (t.size() > QTP_TOOLTIP_CAPACITY) t = WithoutTrailingBlanks(t.substr(0, QTP_TOOLTIP_CAPACITY));
  return t;
}

bool IsBlank(const std::string& text) { return text.find_first_not_of(' ') == std::string::npos; }

// The tool of task `id` on the host control, the fields every tool message needs.
TTTOOLINFOA ToolOf(::HWND host, int32_t id) {
  TTTOOLINFOA ti{};
  ti.cbSize = TTTOOLINFOA_V2_SIZE;  // up to and including lParam
  ti.hwnd = host;
  ti.uId = static_cast<UINT_PTR>(static_cast<uint32_t>(id));
  return ti;
}

RECT ToRect(const QTP_RECT& r) { return RECT{r.LEFT, r.TOP, r.RIGHT, r.BOTTOM}; }

// The comctl32 window classes exist once the library has been initialised in the process.
void EnsureCommonControls() {
  static const bool done = [] {
    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = sizeof icc;
    icc.dwICC = ICC_WIN95_CLASSES;
    return InitCommonControlsEx(&icc) != FALSE;
  }();
  (void)done;
}

}  // namespace

void QFTASKPANELCLASS::CREATETOOLTIPPARENT() {
  EnsureCommonControls();
  DWORD style = TTS_ALWAYSTIP;
  if (TOOLTIPMODE == 2) style |= TTS_BALLOON;
  HTOOLWND = CreateWindowExA(0, kTooltipClass, "", style, kTooltipPlacement, kTooltipPlacement, kTooltipPlacement,
                             kTooltipPlacement, HPARENTWND, nullptr, rt::AppInstance(), nullptr);
  if (!HTOOLWND) {
    rt::ShowMessage(kNoTooltipWindow);
    return;
  }
  SetWindowPos(HTOOLWND, kTopmost, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
  SETTOOLTIPMAXWIDTH(TOOLTIPMAXWIDTH);
  SendMessageA(HTOOLWND, TTM_ACTIVATE, TOOLTIPMODE == 0 ? FALSE : TRUE, 0);
}

void QFTASKPANELCLASS::SETTOOLTIPMODE(uint8_t MODE) {
  switch (MODE) {
    case 0:
      TOOLTIPMODE = 0;
      if (HTOOLWND) SendMessageA(HTOOLWND, TTM_ACTIVATE, FALSE, 0);
      break;
    case 1:
    case 2:
      TOOLTIPMODE = MODE;
      if (INITED == 1) {
        // The style of the tips is fixed when the window is made: rebuild it, tools and all.
        if (HTOOLWND) DestroyWindow(HTOOLWND);
        HTOOLWND = nullptr;
        CREATETOOLTIPPARENT();
        REPOPULATETOOLTIPS();
      }
      break;
    default:
      // An unknown mode means off, and off it is at once, as for mode 0.
      TOOLTIPMODE = 0;
      if (HTOOLWND) SendMessageA(HTOOLWND, TTM_ACTIVATE, FALSE, 0);
      break;
  }
}

void QFTASKPANELCLASS::SETTOOLTIPMAXWIDTH(int32_t WIDTH) {
  TOOLTIPMAXWIDTH = WIDTH;
  if (HTOOLWND) SendMessageA(HTOOLWND, TTM_SETMAXTIPWIDTH, 0, static_cast<LPARAM>(WIDTH));
}

void QFTASKPANELCLASS::SETTASKTOOLTIP(int32_t HEADERID, int32_t TASKID, const std::string& TOOLTIP) {
  if (!GETHDR(HEADERID) || !GETTSK(TASKID)) return;
  QTP_TASKQUEUE& tasks = *HEADERS->buffer.TASKQUEUE;
  QTP_TASKITEM& task = tasks.buffer;
  const bool hadText = !IsBlank(task.TOOLTIP);
  task.TOOLTIP = TooltipText(TOOLTIP);
  rt::PutQueue(tasks);
  if (!HTOOLWND) return;

  if (task.TOOLTIP.empty()) {
    REMOVETOOLTIP(task.ID);
  } else if (!hadText) {
    ADDTOOLTIP(task.ID, task.TOOLTIP, task.MOUSERECT);
  } else {
    TTTOOLINFOA ti = ToolOf(HWND, task.ID);
    ti.hinst = rt::AppInstance();
    ti.lpszText = const_cast<char*>(task.TOOLTIP.c_str());
    SendMessageA(HTOOLWND, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&ti));
  }
}

void QFTASKPANELCLASS::ADDTOOLTIP(int32_t ID, const std::string& TEXT, const QTP_RECT& RECTANGLE) {
  if (!HTOOLWND) return;
  // The tooltip control keeps its own copy of the text.
  char buffer[kTextBufferSize] = {};
  const std::string text = TooltipText(TEXT);
  std::memcpy(buffer, text.data(), text.size());

  TTTOOLINFOA ti = ToolOf(HWND, ID);
  ti.uFlags = TTF_SUBCLASS | TTF_TRANSPARENT;
  ti.rect = ToRect(RECTANGLE);
  ti.hinst = rt::AppInstance();
  ti.lpszText = buffer;
  ti.lParam = 0;
  SendMessageA(HTOOLWND, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
}

void QFTASKPANELCLASS::REMOVETOOLTIP(int32_t ID) {
  if (!HTOOLWND) return;
  TTTOOLINFOA ti = ToolOf(HWND, ID);
  if (!SendMessageA(HTOOLWND, TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&ti))) return;  // no such tool
  ti = ToolOf(HWND, ID);
  SendMessageA(HTOOLWND, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&ti));

  // Some tooltip controls (Wine's) stop watching the control's mouse messages when any one
  // of its subclassing tools is deleted, which would silence the tips of every other task.
  // Adding a remaining tool again makes the tooltip control watch the control once more.
  const auto count = static_cast<UINT>(SendMessageA(HTOOLWND, TTM_GETTOOLCOUNT, 0, 0));
  for (UINT i = 0; i < count; ++i) {
    TTTOOLINFOA other{};
    other.cbSize = TTTOOLINFOA_V2_SIZE;
    if (!SendMessageA(HTOOLWND, TTM_ENUMTOOLSA, i, reinterpret_cast<LPARAM>(&other)) || other.hwnd != HWND) continue;
    const auto id = static_cast<int32_t>(other.uId);
    const QTP_TASKITEM* task = nullptr;
    for (std::size_t h = 1; h <= HEADERS->Records() && !task; ++h) {
      const QTP_TASKQUEUE* tasks = HEADERS->At(h).TASKQUEUE;
      for (std::size_t t = 1; tasks && t <= tasks->Records() && !task; ++t)
        if (tasks->At(t).ID == id) task = &tasks->At(t);
    }
    if (!task || IsBlank(task->TOOLTIP)) continue;
    const QTP_RECT rect{other.rect.left, other.rect.top, other.rect.right, other.rect.bottom};
    TTTOOLINFOA again = ToolOf(HWND, id);
    SendMessageA(HTOOLWND, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&again));
    ADDTOOLTIP(id, task->TOOLTIP, rect);
    break;
  }
}

void QFTASKPANELCLASS::REMOVEALLTOOLTIPS(int32_t HEADERID) {
  if (!HTOOLWND || !GETHDR(HEADERID)) return;
  const QTP_TASKQUEUE* tasks = HEADERS->buffer.TASKQUEUE;
  if (!tasks) return;
  // Read in place: the caller's current task stays current.
  for (std::size_t t = 1; t <= tasks->Records(); ++t) REMOVETOOLTIP(tasks->At(t).ID);
}

void QFTASKPANELCLASS::UPDATETOOLTIP() {
  if (!HTOOLWND || !HEADERS->buffer.TASKQUEUE) return;
  const QTP_TASKITEM& task = HEADERS->buffer.TASKQUEUE->buffer;
  QTP_RECT shown = task.MOUSERECT;
  shown.TOP -= SCROLLPOS;
  shown.BOTTOM -= SCROLLPOS;

  TTTOOLINFOA ti = ToolOf(HWND, task.ID);
  if (SendMessageA(HTOOLWND, TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&ti))) {
    TTTOOLINFOA moved = ToolOf(HWND, task.ID);
    moved.rect = ToRect(shown);
    SendMessageA(HTOOLWND, TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&moved));
  } else if (!IsBlank(task.TOOLTIP)) {
    ADDTOOLTIP(task.ID, task.TOOLTIP, shown);
  }
}

void QFTASKPANELCLASS::REPOPULATETOOLTIPS() {
  if (!HTOOLWND) return;
  // Rectangles as stored; the next paint moves each tool to its row on screen.
  for (std::size_t h = 1; h <= HEADERS->Records(); ++h) {
    const QTP_TASKQUEUE* tasks = HEADERS->At(h).TASKQUEUE;
    if (!tasks) continue;
    for (std::size_t t = 1; t <= tasks->Records(); ++t) {
      const QTP_TASKITEM& task = tasks->At(t);
      if (!IsBlank(task.TOOLTIP)) ADDTOOLTIP(task.ID, task.TOOLTIP, task.MOUSERECT);
    }
  }
}
