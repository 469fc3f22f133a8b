// Taking over the host control and the panel's message table, with a recording procedure
// standing in for the control's own so that the test sees what reaches it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "panel_fixture.h"

namespace {

using panel_test::PanelFixture;
using panel_test::RecordingPanel;

// The control's "own" procedure: records what reaches it, answers with its own numbers.
struct Recorder {
  struct Call {
    UINT msg;
    WPARAM wp;
    bool updatePending;  // the control still had an invalid area when the message came
  };
  static inline std::vector<Call> calls;
  static inline WNDPROC original = nullptr;
  static constexpr LRESULT kAnswer = 4321;

  static LRESULT CALLBACK Proc(::HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    calls.push_back({msg, wp, GetUpdateRect(hwnd, nullptr, FALSE) != 0});
    const LRESULT result = CallWindowProcA(original, hwnd, msg, wp, lp);
    // Messages whose answer the panel hands back get one that no default handling gives.
    switch (msg) {
      case WM_TIMER:
      case WM_SETCURSOR:
      case WM_MOUSEMOVE:
      case WM_GETDLGCODE:
      case WM_SIZE:
      case WM_MOUSEWHEEL:
      case WM_KEYDOWN:
      case WM_RBUTTONUP:
      case WM_LBUTTONDOWN:
      case WM_APP + 1:
        return kAnswer;
      default:
        return result;
    }
  }
  static bool Saw(UINT msg) {
    for (const Call& c : calls)
      if (c.msg == msg) return true;
    return false;
  }
};

class Takeover : public PanelFixture {
 protected:
  void SetUp() override {
    PanelFixture::SetUp();
    Recorder::calls.clear();
    Recorder::original = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Recorder::Proc)));
    const int32_t h = panel->ADDHEADER("Group", 0);
    panel->ADDTASK(h, "Task", 3);
  }
  void TearDown() override {
    PanelFixture::TearDown();  // KILL gives the recorder back
    if (IsWindow(control)) SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Recorder::original));
  }
  WNDPROC CurrentProc() const { return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(control, GWLP_WNDPROC)); }
  bool Invalid() const { return GetUpdateRect(control, nullptr, FALSE) != 0; }
};

TEST_F(Takeover, InitReplacesTheProcedureAndStoresTheWindows) {
  Init();
  EXPECT_EQ(panel->HWND, control);
  EXPECT_EQ(panel->HPARENTWND, host);
  EXPECT_EQ(panel->OLDWNDPROCADDR, &Recorder::Proc);
  EXPECT_EQ(CurrentProc(), &QFTASKPANELCLASS_WNDPROC);
  EXPECT_EQ(GetPropA(control, QTP_CLASSADDR_PROPERTY), panel.get());
  EXPECT_EQ(panel->INITED, 1);
  EXPECT_EQ(panel->HCURSORARROW, LoadCursorA(nullptr, IDC_ARROW));
  EXPECT_EQ(panel->HCURSORHAND, LoadCursorA(nullptr, IDC_HAND));
  EXPECT_EQ(panel->LTIMER, 0u);
  EXPECT_FALSE(Invalid());  // Init() painted what INIT's REFRESH invalidated
}

TEST_F(Takeover, KillGivesTheControlBackAndItsProcedureHandlesEverything) {
  Init();
  panel->KILL();
  EXPECT_EQ(CurrentProc(), &Recorder::Proc);
  EXPECT_EQ(GetPropA(control, QTP_CLASSADDR_PROPERTY), nullptr);
  EXPECT_EQ(panel->INITED, 1);  // KILL resets nothing
  Recorder::calls.clear();
  for (UINT msg : {UINT(WM_LBUTTONUP), UINT(WM_VSCROLL), UINT(WM_SETCURSOR), UINT(WM_TIMER)}) Send(msg, 0, 0);
  for (UINT msg : {UINT(WM_LBUTTONUP), UINT(WM_VSCROLL), UINT(WM_SETCURSOR), UINT(WM_TIMER)})
    EXPECT_TRUE(Recorder::Saw(msg)) << std::hex << msg;
  EXPECT_TRUE(panel->calls.empty());
}

// KILL without INIT: the control was never taken over and stays as it is, but a button that a
// mimic task took over when it was added gets its own procedure back.
TEST_F(Takeover, KillWithoutInitLeavesTheControlAndFreesMimickedButtons) {
  constexpr int32_t kButton = 5;
  ::HWND button = CreateWindowExA(0, "BUTTON", "Go", WS_CHILD | BS_PUSHBUTTON, 0, 0, 40, 20, host,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(kButton)), GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(button, nullptr);
  const LONG_PTR buttonProc = GetWindowLongPtrA(button, GWLP_WNDPROC);
  panel->ADDTASK(panel->NCURRHEADER, "Mimic", kButton, 1);
  ASSERT_EQ(GetWindowLongPtrA(button, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(QFTASKPANELCLASS_MIMICWNDPROC));

  Recorder::calls.clear();
  panel->KILL();
  EXPECT_EQ(GetWindowLongPtrA(button, GWLP_WNDPROC), buttonProc);
  EXPECT_EQ(GetPropA(button, QTP_CLASSADDR_PROPERTY), nullptr);
  EXPECT_EQ(CurrentProc(), &Recorder::Proc);
  EXPECT_EQ(GetPropA(control, QTP_CLASSADDR_PROPERTY), nullptr);
  EXPECT_TRUE(Recorder::calls.empty()) << "no message reached the control";
  EXPECT_EQ(panel->HTOOLWND, nullptr);
  DestroyWindow(button);
}

TEST_F(Takeover, SubclassAndUnsubclassOnAnyWindow) {
  // A window of its own, so that the panel's control stays as it is.
  ::HWND other = CreateWindowExA(0, rt::kImageControlClass, "", WS_CHILD, 0, 0, 10, 10, host, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(other, nullptr);
  const WNDPROC own = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(other, GWLP_WNDPROC));
  const std::string longName = "Prop" + std::string(150, 'n') + "   ";
  const std::string stored = longName.substr(0, 99);

  const struct {
    std::string given, stored;
  } names[] = {{"QTP:ClassAddr   ", "QTP:ClassAddr"}, {longName, stored}};
  for (const auto& name : names) {
    EXPECT_EQ(panel->SUBCLASS(other, name.given, &Recorder::Proc), own);
    EXPECT_EQ(GetPropA(other, name.stored.c_str()), panel.get());
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(other, GWLP_WNDPROC)), &Recorder::Proc);
    panel->UNSUBCLASS(other, name.given, own);
    EXPECT_EQ(GetPropA(other, name.stored.c_str()), nullptr);
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(other, GWLP_WNDPROC)), own);
  }
  // A window that does not exist: no previous procedure.
  DestroyWindow(other);
  EXPECT_EQ(panel->SUBCLASS(other, QTP_CLASSADDR_PROPERTY, &Recorder::Proc), nullptr);
  panel->UNSUBCLASS(other, QTP_CLASSADDR_PROPERTY, nullptr);
}

TEST_F(Takeover, AWindowWithoutThePropertyIsAnsweredWithOne) {
  ::HWND other = CreateWindowExA(0, rt::kImageControlClass, "", WS_CHILD, 0, 0, 10, 10, host, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
  Recorder::calls.clear();
  SetWindowLongPtrA(other, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&QFTASKPANELCLASS_WNDPROC));
  EXPECT_EQ(SendMessageA(other, WM_APP + 1, 0, 0), 1);
  EXPECT_EQ(SendMessageA(other, WM_PAINT, 0, 0), 1);
  EXPECT_EQ(SendMessageA(other, WM_GETTEXTLENGTH, 0, 0), 1);
  EXPECT_TRUE(Recorder::calls.empty());
  SetWindowLongPtrA(other, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Recorder::original));
  DestroyWindow(other);
}

TEST_F(Takeover, PaintSendsNonClientPaintFirstAndReturnsOne) {
  Init();
  Recorder::calls.clear();
  InvalidateRect(control, nullptr, FALSE);
  EXPECT_EQ(Send(WM_PAINT), 1);
  ASSERT_EQ(Recorder::calls.size(), 1u);
  EXPECT_EQ(Recorder::calls[0].msg, static_cast<UINT>(WM_NCPAINT));
  EXPECT_EQ(Recorder::calls[0].wp, 1u);
  EXPECT_TRUE(Recorder::calls[0].updatePending);  // before the paint validated the area
  EXPECT_FALSE(Invalid());
}

TEST_F(Takeover, MessagesThePanelKeepsFromThePreviousProcedure) {
  Init();
  Recorder::calls.clear();
  EXPECT_EQ(Click(500, 500), 1);  // lies on nothing: no action either
  EXPECT_EQ(Send(WM_VSCROLL, SB_ENDSCROLL), 1);
  EXPECT_EQ(Send(WM_TIMER, reinterpret_cast<WPARAM>(panel.get())), 0);
  EXPECT_EQ(Send(WM_SETCURSOR, reinterpret_cast<WPARAM>(control), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)), 1);
  for (const auto& c : Recorder::calls) {
    EXPECT_NE(c.msg, static_cast<UINT>(WM_LBUTTONUP));
    EXPECT_NE(c.msg, static_cast<UINT>(WM_VSCROLL));
    EXPECT_NE(c.msg, static_cast<UINT>(WM_TIMER));
    EXPECT_NE(c.msg, static_cast<UINT>(WM_SETCURSOR));
  }
  EXPECT_TRUE(panel->calls.empty());
}

TEST_F(Takeover, MessagesPassedOnToThePreviousProcedure) {
  Init();
  const struct {
    const char* what;
    UINT msg;
    WPARAM wp;
  } cases[] = {
      {"a timer of another id", WM_TIMER, 77},
      {"the mouse wheel", WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA)},
      {"a key", WM_KEYDOWN, VK_DOWN},
      {"a right click", WM_RBUTTONUP, 0},
      {"a left button press", WM_LBUTTONDOWN, 0},
      {"any other message", WM_APP + 1, 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Recorder::calls.clear();
    const LRESULT result = Send(c.msg, c.wp, 0);
    // The control's own handling may send more (a right click asks for a context menu).
    ASSERT_GE(Recorder::calls.size(), 1u);
    EXPECT_EQ(Recorder::calls[0].msg, c.msg);
    EXPECT_EQ(Recorder::calls[0].wp, c.wp);
    EXPECT_EQ(result, Recorder::kAnswer);
  }
}

TEST_F(Takeover, SetCursorGoesToThePreviousProcedureOnlyOnOldSystems) {
  Init();
  const LPARAM lp = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
  Recorder::calls.clear();
  EXPECT_EQ(Send(WM_SETCURSOR, reinterpret_cast<WPARAM>(control), lp), 1);
  EXPECT_FALSE(Recorder::Saw(WM_SETCURSOR));
  panel->ISNT = 1;
  EXPECT_EQ(Send(WM_SETCURSOR, reinterpret_cast<WPARAM>(control), lp), Recorder::kAnswer);
  EXPECT_TRUE(Recorder::Saw(WM_SETCURSOR));
}

TEST_F(Takeover, DialogCodeRefreshesAndPassesOn) {
  Init();
  ASSERT_FALSE(Invalid());
  Recorder::calls.clear();
  EXPECT_EQ(Send(WM_GETDLGCODE), Recorder::kAnswer);
  ASSERT_TRUE(Recorder::Saw(WM_GETDLGCODE));
  EXPECT_TRUE(Recorder::calls.back().updatePending) << "the panel refreshes before passing on";
  RECT update{};
  ASSERT_TRUE(GetUpdateRect(control, &update, FALSE));
  const RECT client = ClientRect();
  EXPECT_TRUE(EqualRect(&update, &client));
  // Marked without erasing: the paint that follows sends no erase to the control.
  Recorder::calls.clear();
  UpdateWindow(control);
  EXPECT_FALSE(Invalid());
  EXPECT_FALSE(Recorder::Saw(WM_ERASEBKGND));
}

TEST_F(Takeover, SizePaintsAtOnceAndThenPassesOn) {
  Init();
  // A size message repaints at once: the area it invalidates is validated by its own paint.
  Recorder::calls.clear();
  EXPECT_EQ(Send(WM_SIZE, SIZE_RESTORED, MAKELPARAM(220, 400)), Recorder::kAnswer);
  EXPECT_FALSE(Invalid());
  ASSERT_FALSE(Recorder::calls.empty());
  EXPECT_EQ(Recorder::calls.back().msg, static_cast<UINT>(WM_SIZE));
  EXPECT_FALSE(Recorder::calls.back().updatePending);  // the paint came before
  // A real resize shows the new width at once: the right box line moves with it.
  ResizeControl(160, 300);
  EXPECT_FALSE(Invalid());
  const auto shot = testing_support::Capture(control);
  EXPECT_EQ(shot.At(160 - panel->NRIGHTMARGIN - 2, 60), 0x00FFFFFFu);
}

TEST_F(Takeover, SizeClearsTheHoverMarks) {
  Init();
  ASSERT_TRUE(panel->GETHDR(panel->NCURRHEADER));
  panel->HEADERS->buffer.ISHOVERED = 1;
  rt::PutQueue(*panel->HEADERS);
  QTP_TASKQUEUE& tasks = *panel->HEADERS->buffer.TASKQUEUE;
  tasks.Get(1);
  tasks.buffer.ISHOVERED = 1;
  tasks.Put();
  Send(WM_SIZE, SIZE_RESTORED, MAKELPARAM(220, 400));
  EXPECT_EQ(panel->HEADERS->At(1).ISHOVERED, 0);
  EXPECT_EQ(tasks.At(1).ISHOVERED, 0);
}

TEST_F(Takeover, OneHoverTimerWhoseIdIsThePanel) {
  Init();
  Recorder::calls.clear();
  ASSERT_FALSE(Invalid());
  EXPECT_EQ(MouseMove(3, 3), Recorder::kAnswer);  // the previous procedure answers a move
  ASSERT_TRUE(Recorder::Saw(WM_MOUSEMOVE));
  for (const auto& c : Recorder::calls) {
    if (c.msg == WM_MOUSEMOVE) {
      EXPECT_TRUE(c.updatePending) << "the panel's hover handling comes first";
    }
  }
  const UINT_PTR id = reinterpret_cast<UINT_PTR>(panel.get());
  EXPECT_EQ(panel->LTIMER, id);
  MouseMove(4, 4);
  EXPECT_EQ(panel->LTIMER, id);  // no second timer

  // Ticks arrive with that id, about every 100 ms (read off the queue, not handled).
  int ticks = 0;
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < 1000) {
    MSG msg;
    while (PeekMessageA(&msg, control, WM_TIMER, WM_TIMER, PM_REMOVE)) {
      EXPECT_EQ(msg.wParam, id);
      ++ticks;
    }
    Sleep(10);
  }
  EXPECT_GE(ticks, 4);
  EXPECT_LE(ticks, 15);
  panel->KILL();
  Sleep(250);
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, control, WM_TIMER, WM_TIMER, PM_REMOVE));  // KILL stopped it
}

}  // namespace
