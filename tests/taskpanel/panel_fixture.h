#pragma once
// Window tests of the task panel: a real top-level host window with one real control (an
// image control, number 1), a panel subclass that records EXECUTEACTION calls, the host as
// the thread's current target, and helpers that drive the control with real messages and
// read back what it shows.
//
//   TEST_F(PanelFixture, Something) {
//     int32_t h = panel->ADDHEADER("Group", 0);
//     panel->ADDTASK(h, "Task", 7);
//     Init();                       // INIT(1) and a synchronous paint
//     Click(30, 50);                // WM_LBUTTONUP at client (30, 50)
//     EXPECT_EQ(panel->calls.size(), 1u);
//     EXPECT_EQ(Snapshot().At(2, 2), panel->COLORSCHEMA.PANEL.BACKGROUND);
//   }
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "runtime/controls.h"
#include "runtime/modules.h"
#include "runtime/random.h"
#include "runtime/window.h"
#include "rect_print.h"
#include "taskpanel/qftaskpanel.h"
#include "test_support.h"

namespace panel_test {

// One call of EXECUTEACTION as the panel made it.
struct ActionCall {
  int32_t header = 0, task = 0, button = 0, feq = 0;
  bool operator==(const ActionCall&) const = default;
};

// A panel whose EXECUTEACTION records its arguments (and runs an optional hook, e.g. to
// call SETEXPANDED as an owner would); KILL is counted and then runs the class's own.
class RecordingPanel : public QFTASKPANELCLASS {
 public:
  std::vector<ActionCall> calls;
  std::function<void(RecordingPanel&, const ActionCall&)> onAction;
  int kills = 0;

  void EXECUTEACTION(int32_t HEADERID, int32_t TASKID, int32_t MOUSEBTN, int32_t FEQ) override {
    calls.push_back({HEADERID, TASKID, MOUSEBTN, FEQ});
    if (onAction) onAction(*this, calls.back());
  }
  void KILL() override {
    ++kills;
    QFTASKPANELCLASS::KILL();
  }
};

inline constexpr int32_t kPanelControl = 1;
inline constexpr char kHostClass[] = "PanelTestHost";

// Pumps the calling thread's messages until the queue is empty (no waiting).
inline void PumpPending() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// The gradient function is loaded once per test process, as the program's start-up does.
inline void LoadGradientFunctionOnce() {
  static const bool loaded = [] {
    rt::StartRuntime();
    rt::SeedRandomOnce();
    QTPLINKERLOADER.CONSTRUCT();
    return true;
  }();
  (void)loaded;
}

// Every test binary that includes this header loads the gradient function before its
// first test, so that even panels made outside a fixture see it.
class GradientEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { LoadGradientFunctionOnce(); }
};
inline const bool kGradientEnvironmentAdded =
    (::testing::AddGlobalTestEnvironment(new GradientEnvironment), true);

// Whether this process runs with the gradient function (the test binary also runs with
// msimg32 disabled).
inline bool HaveGradients() {
  LoadGradientFunctionOnce();
  return LPMSIMGLIB != nullptr && QTP_GradientFill != nullptr;
}

// A top-level host window with the control number 1 filling (by default) its client area.
class PanelHost {
 public:
  PanelHost(int width, int height, int x = 40, int y = 40) {
    rt::RegisterControlKind(rt::ControlKind::Image);
    HINSTANCE inst = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExA(inst, kHostClass, &wc)) {
      wc = WNDCLASSEXA{};
      wc.cbSize = sizeof wc;
      wc.lpfnWndProc = DefWindowProcA;
      wc.hInstance = inst;
      wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
      wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
      wc.lpszClassName = kHostClass;
      RegisterClassExA(&wc);
    }
    // A popup has no frame, so its client area is exactly the size asked for.
    host_ = CreateWindowExA(0, kHostClass, "Panel test host", WS_POPUP | WS_CLIPCHILDREN, x, y,
                            width, height, nullptr, nullptr, inst, nullptr);
    control_ = CreateWindowExA(0, rt::kImageControlClass, "", WS_CHILD | WS_VISIBLE, 0, 0, width, height, host_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(kPanelControl)), inst, nullptr);
    // Shown without activation: under Wine without a window manager, destroying the active
    // window waits two seconds for the focus to go.
    ShowWindow(host_, SW_SHOWNOACTIVATE);
    PumpPending();
  }
  ~PanelHost() {
    if (host_) DestroyWindow(host_);
    PumpPending();
  }
  PanelHost(const PanelHost&) = delete;
  PanelHost& operator=(const PanelHost&) = delete;

  ::HWND host() const { return host_; }
  ::HWND control() const { return control_; }

 private:
  ::HWND host_ = nullptr;
  ::HWND control_ = nullptr;
};

// Fixture: host and panel are made in SetUp; the test adds content, calls Init(), drives the
// control and reads it back. The panel is destructed (KILL through the virtual table) and
// the host destroyed in TearDown.
class PanelFixture : public ::testing::Test {
 protected:
  // Client size of the host and of the control at the start of each test.
  virtual SIZE InitialSize() const { return {220, 400}; }

  void SetUp() override {
    LoadGradientFunctionOnce();
    const SIZE size = InitialSize();
    hostWindow = std::make_unique<PanelHost>(size.cx, size.cy);
    host = hostWindow->host();
    control = hostWindow->control();
    ASSERT_NE(host, nullptr);
    ASSERT_NE(control, nullptr);
    target = std::make_unique<rt::ScopedTarget>(host);
    panel = std::make_unique<RecordingPanel>();
  }

  void TearDown() override {
    if (panel) panel->DESTRUCT();
    panel.reset();
    target.reset();
    hostWindow.reset();
  }

  // INIT(1) on the host's control, then a synchronous paint.
  void Init() {
    panel->INIT(kPanelControl);
    Paint();
  }

  // Repaints the control now: the whole client area is invalidated and WM_PAINT sent.
  void Paint() {
    InvalidateRect(control, nullptr, FALSE);
    UpdateWindow(control);
  }

  // Handles whatever is queued for this thread, then paints what is still invalid.
  void Pump() {
    PumpPending();
    UpdateWindow(control);
  }

  // Changes the size of the control (and of the host, so the control stays fully shown).
  void ResizeControl(int width, int height) {
    SetWindowPos(host, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(control, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    PumpPending();
  }

  LRESULT Send(UINT msg, WPARAM wp = 0, LPARAM lp = 0) { return SendMessageA(control, msg, wp, lp); }

  // Puts the bar's thumb at `pos` and lets the content follow (SB_THUMBTRACK), then paints.
  void ThumbTo(int pos) {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_POS;
    si.nPos = pos;
    SetScrollInfo(control, SB_VERT, &si, TRUE);
    Send(WM_VSCROLL, SB_THUMBTRACK);
    Paint();
  }
  // The mouse, as the control's client coordinates in lParam.
  LRESULT MouseMove(int x, int y) { return Send(WM_MOUSEMOVE, 0, MAKELPARAM(x, y)); }
  LRESULT Click(int x, int y) { return Send(WM_LBUTTONUP, 0, MAKELPARAM(x, y)); }

  // What the control shows now (client area), after any pending paint.
  testing_support::Capture Snapshot() {
    UpdateWindow(control);
    return testing_support::Capture(control);
  }
  COLORREF Pixel(int x, int y) { return Snapshot().At(x, y); }

  RECT ClientRect() const {
    RECT r{};
    GetClientRect(control, &r);
    return r;
  }
  SCROLLINFO VerticalScrollInfo() const {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    if (!GetScrollInfo(control, SB_VERT, &si)) si = SCROLLINFO{};
    return si;
  }
  // The vertical scroll bar is shown while the control carries WS_VSCROLL.
  bool VerticalBarShown() const { return (GetWindowLongPtrA(control, GWL_STYLE) & WS_VSCROLL) != 0; }

  std::unique_ptr<PanelHost> hostWindow;
  ::HWND host = nullptr;
  ::HWND control = nullptr;
  std::unique_ptr<rt::ScopedTarget> target;
  std::unique_ptr<RecordingPanel> panel;
};

}  // namespace panel_test
