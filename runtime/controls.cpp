#include "controls.h"

#include <windows.h>

namespace rt {
namespace {
LRESULT CALLBACK ImageProc(::HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_ERASEBKGND) {
    // The parent's background shows through an image control without an image.
    RECT r;
    GetClientRect(hwnd, &r);
    ::HWND parent = GetParent(hwnd);
    HBRUSH brush = reinterpret_cast<HBRUSH>(GetClassLongPtrA(parent, GCLP_HBRBACKGROUND));
    FillRect(reinterpret_cast<HDC>(wp), &r, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
    return 1;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}
}  // namespace

bool RegisterControlKind(ControlKind kind) {
  if (kind != ControlKind::Image) return true;  // strings and buttons are system classes
  HINSTANCE inst = GetModuleHandleA(nullptr);
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  if (GetClassInfoExA(inst, kImageControlClass, &wc)) return true;
  wc = WNDCLASSEXA{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = ImageProc;
  wc.hInstance = inst;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = kImageControlClass;
  return RegisterClassExA(&wc) != 0;
}
}  // namespace rt
