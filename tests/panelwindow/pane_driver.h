#pragma once
// Driving Brivane's task-panel window from outside, as a user's automation would: find the
// "ToolBar" MDI child of the running frame and its panel control (number 1), work out where
// the panel lays out its rows, and post real mouse messages there.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "taskpanel/layout.h"
#include "test_support.h"

namespace pane {

using namespace testing_support;

inline const char kPaneFile[] = "RECIENTES.TaskPanel.zarozevi.ini";
inline const char kSection[] = "RECIENTES.";

// Panel colours (0x00BBGGRR) as the window configures them.
constexpr COLORREF kTaskBackground = 0x00F9E7E0;
constexpr COLORREF kTaskText = 0x00BC3139;

// The running pane.
struct Pane {
  ::HWND client = nullptr;   // the frame's MDI client
  ::HWND window = nullptr;   // the "ToolBar" child
  ::HWND control = nullptr;  // the panel
};

inline Pane FindPane(::HWND frame) {
  Pane p;
  p.client = FindWindowExA(frame, nullptr, "MDIClient", nullptr);
  if (!p.client) return p;
  p.window = FindWindowExA(p.client, nullptr, "RtMdiChild", "ToolBar");
  if (p.window) p.control = GetDlgItem(p.window, 1);
  return p;
}

inline Pane WaitPane(::HWND frame) {
  Pane p;
  WaitFor([&] { return (p = FindPane(frame)).control != nullptr && IsWindowVisible(p.window); });
  return p;
}

// Which groups are open ("Recientes" never is; "Comprobantes" is at the start) and which
// task is drawn as the active one (in bold).
struct Groups {
  bool comprobantes = true;
  bool informes = false;
  bool salir = false;
  std::string active;
};

inline const std::vector<std::string> kComprobantesTasks = {"Facturacion", "Pagos", "Otros Pagos", "Imputaciones"};
inline const std::vector<std::string> kInformesTasks = {"Subdiario de IVA", "Saldos", "Resumen Cta Cte",
                                                        "Asientos Contables"};

// Where the panel draws its headers and task rows (control client coordinates), derived
// from its layout rules: margins 5/10/5/10; a task row is 20 pixels (16-pixel task icons)
// unless its title, in the panel's 13-pixel "Tahoma" (bold for the active task), wraps
// within the row's text width, when it is the wrapped height and 6 more.
struct Rows {
  RECT recientes{}, comprobantes{}, informes{}, salir{};  // header hit rectangles
  std::vector<RECT> comprobantesTasks, informesTasks;    // empty when the group is closed
};

inline RECT ToRect(const QTP_RECT& r) { return RECT{r.LEFT, r.TOP, r.RIGHT, r.BOTTOM}; }

inline int32_t RowHeight(const std::string& title, bool bold, int32_t rowWidth) {
  constexpr int32_t kMinHeight = 20;
  HFONT font = CreateFontA(13, 0, 0, 0, bold ? 700 : 100, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma");
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  RECT text{0, 0, rowWidth - 10 - (kMinHeight + 10) - 6, 0};
  DrawTextA(dc, title.c_str(), static_cast<int>(title.size()), &text,
            DT_WORDBREAK | DT_VCENTER | DT_END_ELLIPSIS | DT_CALCRECT);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  DeleteObject(font);
  return text.bottom > kMinHeight ? text.bottom + 6 : kMinHeight;
}

inline Rows LayOut(::HWND control, const Groups& open) {
  RECT client{};
  GetClientRect(control, &client);
  taskpanel::LayoutMargins margins;
  margins.top = 10;
  margins.left = 5;
  margins.right = 5;
  margins.bottom = 10;
  const int32_t rowWidth = client.right - margins.left - margins.right;
  auto tasks = [&](const std::vector<std::string>& titles) {
    std::vector<taskpanel::LayoutTask> out;
    for (const std::string& t : titles) out.push_back({true, RowHeight(t, t == open.active, rowWidth)});
    return out;
  };
  const std::vector<taskpanel::LayoutHeader> headers = {
      {true, false, false, {}},
      {true, false, open.comprobantes, tasks(kComprobantesTasks)},
      {true, false, open.informes, tasks(kInformesTasks)},
      {true, false, open.salir, {}},
  };
  const taskpanel::LayoutResult r = taskpanel::WalkLayout(headers, margins, client.right);
  Rows rows;
  rows.recientes = ToRect(r.headers[0].mouseRect);
  rows.comprobantes = ToRect(r.headers[1].mouseRect);
  rows.informes = ToRect(r.headers[2].mouseRect);
  rows.salir = ToRect(r.headers[3].mouseRect);
  for (int t = 0; t < 4; ++t) {
    if (r.headers[1].taskPlaced[t]) rows.comprobantesTasks.push_back(ToRect(r.headers[1].taskRects[t]));
    if (r.headers[2].taskPlaced[t]) rows.informesTasks.push_back(ToRect(r.headers[2].taskRects[t]));
  }
  return rows;
}

inline POINT Centre(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

// The pointer over a spot of the control, then a left click there.
inline void MoveTo(::HWND control, POINT at) { PostMessageA(control, WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y)); }
inline void ClickAt(::HWND control, POINT at) {
  MoveTo(control, at);
  PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
  PostMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
}
inline void Click(::HWND control, const RECT& row) { ClickAt(control, Centre(row)); }
// The pointer away from every row (below the last group), so that nothing is drawn hovered.
inline void MoveAway(::HWND control) {
  RECT client{};
  GetClientRect(control, &client);
  MoveTo(control, POINT{client.right / 2, client.bottom - 4});
}

// A real drag with the left button from one screen point to another.
inline void Drag(POINT from, POINT to) {
  auto send = [](POINT at, DWORD flags) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = MulDiv(at.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    in.mi.dy = MulDiv(at.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    in.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | flags;
    SendInput(1, &in, sizeof in);
    Pump(60);
  };
  send(from, 0);
  send(from, MOUSEEVENTF_LEFTDOWN);
  for (int i = 1; i <= 10; ++i)
    send(POINT{from.x + (to.x - from.x) * i / 10, from.y + (to.y - from.y) * i / 10}, 0);
  send(to, MOUSEEVENTF_LEFTUP);
}
// A real left click at a screen point, through the cursor.
inline void ClickScreen(POINT at) { Drag(at, at); }

// The control's thread has handled everything posted to it so far.
inline void Settle(::HWND control) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(control, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
  Pump(150);
}

// What a window shows on the screen, read from the screen: another process's window cannot
// be read through its own device context.
class ScreenShot : public Capture {
 public:
  explicit ScreenShot(::HWND window) : Capture(window, Capture::From::Screen) {}
};

// Pixels within `r` of a capture that have the colour (or, with `tolerance`, differ from it by at
// most that much in each channel).
inline int CountColour(const ScreenShot& c, const RECT& r, COLORREF colour, int tolerance = 0) {
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) {
      const COLORREF p = c.At(x, y);
      if (p == CLR_INVALID) continue;
      if (std::abs(GetRValue(p) - GetRValue(colour)) <= tolerance && std::abs(GetGValue(p) - GetGValue(colour)) <= tolerance &&
          std::abs(GetBValue(p) - GetBValue(colour)) <= tolerance)
        ++n;
    }
  return n;
}

// The dialog "Caption" that runs on `thread` (waits for it).
inline ::HWND WaitDialogOn(DWORD pid, DWORD thread, DWORD timeoutMs = 10000) {
  ::HWND found = nullptr;
  WaitFor(
      [&] {
        for (::HWND h : TopWindows(pid))
          if (WindowText(h) == "Caption" && GetWindowThreadProcessId(h, nullptr) == thread) return (found = h) != nullptr;
        return false;
      },
      timeoutMs);
  return found;
}

inline int DialogsOpen(DWORD pid) {
  int n = 0;
  for (::HWND h : TopWindows(pid))
    if (WindowText(h) == "Caption") ++n;
  return n;
}

inline std::string Slot(const std::string& file, const char* key, int n) {
  return IniValue(file, kSection, key + std::to_string(n));
}

}  // namespace pane
