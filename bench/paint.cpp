// Paint benchmark of the task panel: a panel like Brivane's (four groups, eight tasks with
// icons, group icons) painted many times through WM_PAINT, against the floor of what any
// such paint costs: the system's non-client paint (frame and scroll bar) of a plain control
// of the same size and scroll bar, then a memory DC and a bitmap of the back buffer's size
// copied onto it. Prints milliseconds per paint and the ratio, with gradients and with flat
// fills (goal: at most 4 x the floor). Also prints what the parts of a paint cost alone.
//
//   wine bench_paint.exe [iterations (2000)]
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "bench_support.h"
#include "runtime/controls.h"
#include "runtime/modules.h"
#include "runtime/random.h"
#include "runtime/window.h"
#include "taskpanel/layout.h"
#include "taskpanel/qftaskpanel.h"

namespace {

class BenchPanel : public QFTASKPANELCLASS {
 public:
  void EXECUTEACTION(int32_t, int32_t, int32_t, int32_t) override {}
};

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

double MillisecondsPer(int iterations, const std::function<void()>& step) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < iterations; ++i) step();
  const std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
  return spent.count() / iterations;
}

// The panel of Brivane's task-panel window, with both groups of tasks open.
// The program names its own module, so the icons come from its resources.
void Fill(QFTASKPANELCLASS& p, const std::string& module) {
  p.ADDHEADER("Recientes", 0, 0, "", 16);
  p.ADDHEADER("Comprobantes", 1, 1, "MENU_Comprobantes.ico", 16);
  for (const char* t : {"Facturacion", "Pagos", "Otros Pagos", "Imputaciones"})
    p.ADDTASK(t, 0, 0, "MENU_Comprobantes.ico", 0, "");
  p.ADDHEADER("Informes", 0, 1, "Menu_Informes.ICO", 16);
  for (const char* t : {"Subdiario de IVA", "Saldos", "Resumen Cta Cte", "Asientos Contables"})
    p.ADDTASK(t, 0, 0, "Menu_Informes.ICO", 0, "");
  p.ADDHEADER("Salir", 0, 0, "MENU_Salir.ico", 16);
  p.SETCOLORGRP(2, 0x00F9E7E0, 0x00FFFFFF, 0x00F9D5C7, 0x00C75C22, 0x00FF8E42);
  p.SETCOLORGRP(3, 0x00F9E7E0, 0x00B24D07, 0x00C75C22, 0x00FFFFFF, 0x00FF8E42);
  p.SETFONT("Tahoma");
  p.SETMARGINS(5, 10, 5, 10);
  p.SETAPPNAME(module);
}

// A whole positive number, and nothing else.
bool ParseCount(const char* text, int& out) {
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || errno != 0 || v < 1 || v > 10000000) return false;
  out = static_cast<int>(v);
  return true;
}

struct Figures {
  double paint, floor;
};

// A plain control of the panel control's size and class, on a host of its own, with the
// same vertical scroll bar: the floor is painted there.
struct Twin {
  ::HWND host = nullptr, control = nullptr;
  ~Twin() {
    if (host) DestroyWindow(host);
  }
};

void MakeTwin(Twin& twin, ::HWND control) {
  RECT window;
  GetWindowRect(control, &window);
  const int w = window.right - window.left, h = window.bottom - window.top;
  HINSTANCE inst = GetModuleHandleA(nullptr);
  twin.host = CreateWindowExA(0, "PanelBenchHost", "floor", WS_POPUP | WS_VISIBLE, w + 20, 0, w, h, nullptr, nullptr,
                              inst, nullptr);
  twin.control = CreateWindowExA(0, rt::kImageControlClass, "", WS_CHILD | WS_VISIBLE, 0, 0, w, h, twin.host,
                                 reinterpret_cast<HMENU>(1), inst, nullptr);
  if (GetWindowLongPtrA(control, GWL_STYLE) & WS_VSCROLL) {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    GetScrollInfo(control, SB_VERT, &si);
    ShowScrollBar(twin.control, SB_VERT, TRUE);
    SetScrollInfo(twin.control, SB_VERT, &si, TRUE);
  }
  Pump();
}

Figures Run(::HWND host, ::HWND control, int iterations, const std::string& module) {
  BenchPanel panel;
  Fill(panel, module);
  rt::ScopedTarget target(host);
  panel.INIT(1);
  UpdateWindow(control);
  Pump();

  RECT client;
  GetClientRect(control, &client);
  HDC probe = GetWindowDC(control);
  const int32_t height = std::max<int32_t>(
      client.bottom, panel.CALCULATEPANELHEIGHT(probe, QTP_RECT{0, 0, client.right, client.bottom}));
  ReleaseDC(control, probe);

  // The floor: the twin's non-client paint, as every WM_PAINT of the panel sends it first,
  // and a back buffer of the same size, made, copied onto the twin and released.
  Twin twin;
  MakeTwin(twin, control);
  RECT twinClient;
  GetClientRect(twin.control, &twinClient);
  if (twinClient.right != client.right || twinClient.bottom != client.bottom)
    std::printf("  (the floor's control differs: %ld x %ld)\n", twinClient.right, twinClient.bottom);
  const auto paintOnce = [&] {
    InvalidateRect(control, nullptr, FALSE);
    UpdateWindow(control);
  };
  const auto floorOnce = [&] {
    InvalidateRect(twin.control, nullptr, FALSE);
    SendMessageA(twin.control, WM_NCPAINT, 1, 0);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(twin.control, &ps);
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP bmp = CreateCompatibleBitmap(dc, client.right, height);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(dc, 0, 0, client.right, client.bottom, mem, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    EndPaint(twin.control, &ps);
  };
  // Paints and floors are timed in alternating batches, and each figure is the median batch:
  // the load of a shared machine then weighs on both alike.
  constexpr int kBatches = 20;
  const int perBatch = std::max(1, iterations / kBatches);
  std::vector<double> paints, floors;
  for (int b = 0; b < kBatches; ++b) {
    paints.push_back(MillisecondsPer(perBatch, paintOnce));
    floors.push_back(MillisecondsPer(perBatch, floorOnce));
  }
  const double paint = bench::Median(paints), floor = bench::Median(floors);

  // The parts on their own, into a memory DC of the back buffer's size.
  const int parts = std::max(1, iterations / 4);
  HDC screen = GetDC(control);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, client.right, height);
  HGDIOBJ old = SelectObject(mem, bmp);
  const QTP_RECT winrect{0, 0, client.right, client.bottom};
  const double estimate = MillisecondsPer(parts, [&] { panel.CALCULATEPANELHEIGHT(screen, winrect); });
  const double icon16 = MillisecondsPer(parts, [&] { panel.DRAWICON(mem, 0, 0, 16, 16, "MENU_Comprobantes.ico"); });
  const double icon32 = MillisecondsPer(parts, [&] { panel.DRAWICON(mem, 0, 0, 32, 32, "Menu_Informes.ICO"); });
  const double button = MillisecondsPer(parts, [&] { panel.DRAWICON(mem, 0, 0, 24, 24, "taskxpc_ico"); });
  panel.GETHDR(panel.NCURRHEADER);
  const double header = MillisecondsPer(parts, [&] { panel.DRAWHEADER(mem, QTP_RECT{5, 10, client.right - 5, 40}); });
  // What WM_PAINT asks of the control's own procedure first: its frame and scroll bar.
  const double nonClient = MillisecondsPer(parts, [&] { SendMessageA(control, WM_NCPAINT, 1, 0); });
  const double scrollBar = MillisecondsPer(parts, [&] { panel.SETSCROLLINFO(0, height, client.bottom, 0); });
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(control, screen);
  std::printf(
      "  parts (ms): estimate %.3f, task icon 16 %.3f, group icon 32 %.3f, button 24 %.3f, header bar %.3f, setting the scroll bar "
      "%.3f, non-client paint %.3f\n",
      estimate, icon16, icon32, button, header, scrollBar, nonClient);
  panel.DESTRUCT();
  return {paint, floor};
}

}  // namespace

int main(int argc, char** argv) {
  int iterations = 2000;
  if (argc > 2 || (argc == 2 && !ParseCount(argv[1], iterations))) {
    std::fprintf(stderr, "usage: bench_paint [iterations (a whole number from 1 up, default 2000)]\n");
    return 2;
  }
  rt::StartRuntime();
  rt::SeedRandomOnce();
  rt::RegisterControlKind(rt::ControlKind::Image);
  QTPLINKERLOADER.CONSTRUCT();
  const bool gradients = LPMSIMGLIB && QTP_GradientFill;
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string module = path;
  module = module.substr(module.find_last_of("\\/") + 1);

  HINSTANCE inst = GetModuleHandleA(nullptr);
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = inst;
  wc.lpszClassName = "PanelBenchHost";
  RegisterClassA(&wc);

  std::printf("task panel paint, %d iterations per figure (median of 20 batches)\n", iterations);
  struct Size {
    const char* name;
    int width, height;
  } sizes[] = {{"Brivane's control, 137 x 369 (content fits)", 137, 369},
               {"a lower control, 200 x 200 (content scrolls)", 200, 200}};
  struct Mode {
    const char* name;
    bool flat;
  } modes[] = {{"gradients", false}, {"flat fills", true}};
  for (const Mode& m : modes) {
    if (!m.flat && !gradients) {
      std::printf("%s: not available (no GradientFill)\n", m.name);
      continue;
    }
    if (m.flat) QTPLINKERLOADER.DESTRUCT();  // panels made from now on draw flat fills
    for (const Size& size : sizes) {
      ::HWND host = CreateWindowExA(0, "PanelBenchHost", "bench", WS_POPUP | WS_VISIBLE, 0, 0, size.width,
                                    size.height, nullptr, nullptr, inst, nullptr);
      ::HWND control = CreateWindowExA(0, rt::kImageControlClass, "", WS_CHILD | WS_VISIBLE, 0, 0, size.width,
                                       size.height, host, reinterpret_cast<HMENU>(1), inst, nullptr);
      Pump();
      std::printf("%s, %s:\n", m.name, size.name);
      const Figures f = Run(host, control, iterations, module);
      std::printf("  full paint %.3f ms, floor %.3f ms, ratio %.2f (goal: at most 4)\n", f.paint, f.floor,
                  f.paint / f.floor);
      DestroyWindow(host);
      Pump();
    }
  }
  return 0;
}
