#include "qftaskpanel.h"
// Placeholder bodies until mimic buttons land.
void QFTASKPANELCLASS::ADDITEMMIMIC(int32_t, int32_t, int32_t) {}
void QFTASKPANELCLASS::CHECKMIMICS(int32_t) {}
WNDPROC QFTASKPANELCLASS::GETMIMICWNDPROC(::HWND) { return nullptr; }
LRESULT CALLBACK QFTASKPANELCLASS_MIMICWNDPROC(::HWND, UINT, WPARAM, LPARAM) { return 0; }
