// The reference for bench_menu_latency: a minimal Win32 program with a main window that, at
// the same WM_COMMAND the programs' "Facturas" item sends (0xFFF9), shows a popup like the
// message dialog: caption "Caption", the font "MS Sans Serif" 8, a static text and two
// buttons. Nothing is prepared before the first command beyond the usual class registration.
#include <windows.h>

namespace {

constexpr char kMainClass[] = "ReferenceMain";
constexpr char kPopupClass[] = "ReferencePopup";
constexpr WORD kFacturas = 0xFFF9;

HFONT g_font = nullptr;

LRESULT CALLBACK PopupProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CLOSE || (msg == WM_COMMAND && HIWORD(wp) == BN_CLICKED)) {
    DestroyWindow(hwnd);
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

void ShowPopup(HWND owner) {
  if (!g_font)
    g_font = CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, "MS Sans Serif");
  HWND popup = CreateWindowExA(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kPopupClass, "Caption",
                               WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, CW_USEDEFAULT, CW_USEDEFAULT,
                               600, 390, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  (void)owner;
  const struct {
    const char* cls;
    const char* text;
    DWORD style;
    int x, y, w, h, id;
  } controls[] = {{"STATIC", "Facturas", SS_LEFT | SS_NOPREFIX, 46, 114, 477, 42, 1},
                  {"BUTTON", "&OK", BS_PUSHBUTTON | WS_TABSTOP, 442, 327, 52, 23, 2},
                  {"BUTTON", "&Cancel", BS_PUSHBUTTON | WS_TABSTOP, 505, 327, 61, 23, 3}};
  for (const auto& c : controls) {
    HWND ctl = CreateWindowExA(0, c.cls, c.text, WS_CHILD | WS_VISIBLE | c.style, c.x, c.y, c.w, c.h, popup,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), GetModuleHandleA(nullptr), nullptr);
    SendMessageA(ctl, WM_SETFONT, reinterpret_cast<WPARAM>(g_font), FALSE);
  }
  ShowWindow(popup, SW_SHOW);
  UpdateWindow(popup);
  SetForegroundWindow(popup);
}

LRESULT CALLBACK MainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (LOWORD(wp) == kFacturas) ShowPopup(hwnd);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(hwnd, msg, wp, lp);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR, int) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.hInstance = inst;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpfnWndProc = MainProc;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
  wc.lpszClassName = kMainClass;
  RegisterClassExA(&wc);
  wc.lpfnWndProc = PopupProc;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kPopupClass;
  RegisterClassExA(&wc);

  HWND main = CreateWindowExA(0, kMainClass, "Reference", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 760,
                              520, nullptr, nullptr, inst, nullptr);
  ShowWindow(main, SW_SHOW);
  UpdateWindow(main);
  MSG m;
  while (GetMessageA(&m, nullptr, 0, 0) > 0) {
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
  if (g_font) DeleteObject(g_font);
  return 0;
}
