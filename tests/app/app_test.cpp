#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <thread>

#include "app/mensaje.h"
#include "app/procedure_window.h"
#include "app/program.h"
#include "app_fixture.h"
#include "runtime/properties.h"
#include "runtime/threads.h"
#include "runtime/window.h"

namespace {

using namespace testing_support;

std::string MenuText(HMENU menu, UINT pos) {
  char buf[128] = {};
  GetMenuStringA(menu, pos, buf, sizeof buf, MF_BYPOSITION);
  return buf;
}

// The frame as a user sees it: the menu tree, texts in order, each item's command id its
// control number as a 16-bit value; a status bar of four zones, the last three 80, 120 and
// 45 pixels wide; a client area 505 dialog units of "MS Sans Serif" 8 wide.
TEST_F(AppFixture, FrameHasTheAccountingMenusTheStatusBarAndItsSize) {
  std::unique_ptr<rt::Window> frame;
  rt::LoadFrameStructure(frame, config_.frameModule, app::kFrameLayout);
  ASSERT_TRUE(frame && frame->Open());
  EXPECT_EQ(WindowText(frame->Handle()), "Application");
  HMENU bar = GetMenu(frame->Handle());
  ASSERT_NE(bar, nullptr);
  const char* barTexts[] = {"&File", "Recientes", "Comprobantes", "Informes", "&Edit", "&Window", "&Help"};
  ASSERT_EQ(GetMenuItemCount(bar), 7);
  for (UINT i = 0; i < 7; ++i) EXPECT_EQ(MenuText(bar, i), barTexts[i]) << i;
  EXPECT_EQ(GetMenuItemID(bar, 1), 0xFFFBu) << "\"Recientes\" is an item on the bar, -5";

  struct Expected {
    int menu;
    std::vector<std::pair<std::string, int32_t>> items;  // 0 = separator
  } menus[] = {
      {0, {{"&Print Setup ...", -3}, {"", 0}, {"E&xit", -4}}},
      {2, {{"Facturas", -7}, {"Notas de Debito", -8}, {"Notas de Credito", -9}, {"", 0}, {"Recibos", -10}}},
      {3, {{"Subdiario de IVA Ventas", -12}, {"Saldos de Clientes", -13}, {"Minutas Contables", -14}}},
      {4, {{"Cu&t", -16}, {"&Copy", -17}, {"&Paste", -18}}},
      {5, {{"T&ile", -20}, {"&Cascade", -21}, {"&Arrange Icons", -22}}},
      {6, {{"&Contents", -24}, {"&Search for Help On...", -25}, {"&How to Use Help", -26}}},
  };
  for (const Expected& e : menus) {
    HMENU sub = GetSubMenu(bar, e.menu);
    ASSERT_NE(sub, nullptr) << e.menu;
    ASSERT_EQ(GetMenuItemCount(sub), static_cast<int>(e.items.size())) << e.menu;
    for (UINT i = 0; i < e.items.size(); ++i) {
      const auto& [text, feq] = e.items[i];
      if (feq == 0) {
        EXPECT_EQ(GetMenuState(sub, i, MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
        continue;
      }
      EXPECT_EQ(MenuText(sub, i), text);
      EXPECT_EQ(GetMenuItemID(sub, i), static_cast<UINT>(static_cast<uint16_t>(feq))) << text;
    }
  }
  ::HWND status = FindWindowExA(frame->Handle(), nullptr, STATUSCLASSNAMEA, nullptr);
  ASSERT_TRUE(status);
  RECT client{}, statusRect{};
  GetClientRect(status, &client);
  int edges[8] = {};
  ASSERT_EQ(SendMessageA(status, SB_GETPARTS, 8, reinterpret_cast<LPARAM>(edges)), 4);
  EXPECT_EQ(edges[0], client.right - 245) << "the first zone takes what the others leave";
  EXPECT_EQ(edges[1] - edges[0], 80);
  EXPECT_EQ(edges[2] - edges[1], 120);
  EXPECT_EQ(client.right - edges[2], 45);
  EXPECT_EQ(edges[3], -1) << "the last zone reaches the right edge";
  // The area above the status bar is 505 by 318 units (the height within the rounding of
  // the status bar's own height).
  const testing_support::DialogUnits du("MS Sans Serif", 8);
  ASSERT_TRUE(du.valid());
  GetClientRect(frame->Handle(), &client);
  GetWindowRect(status, &statusRect);
  EXPECT_EQ(client.right, du.X(505));
  EXPECT_NEAR(client.bottom - (statusRect.bottom - statusRect.top), du.Y(318), 2);
  // Item texts and tips read back by control number, as the frame's menu handling does.
  rt::ScopedTarget target(frame->Handle());
  EXPECT_EQ(rt::GetControlText(-13), "Saldos de Clientes");
  EXPECT_EQ(rt::GetControlTip(-4), "Exit this application");
  EXPECT_EQ(rt::GetControlText(-99), "");
}

// The MDI client's style at the moment the frame was first shown (-1 before that).
LONG g_clientStyleAtShow = -1;
LRESULT CALLBACK RecordClientStyle(int code, WPARAM wp, LPARAM lp) {
  const auto* call = reinterpret_cast<const CWPSTRUCT*>(lp);
  if (code == HC_ACTION && call->message == WM_SHOWWINDOW && call->wParam && g_clientStyleAtShow == -1)
    if (::HWND client = FindWindowExA(call->hwnd, nullptr, "MDICLIENT", nullptr))
      g_clientStyleAtShow = GetWindowLongA(client, GWL_STYLE);
  return CallNextHookEx(nullptr, code, wp, lp);
}

// The frame is first seen as it stays: its MDI client shows no scroll bar that nothing needs,
// not even for a moment (drawing the bars at the first show and taking them away again made
// the first show slow, and the first menu choice waited behind it).
TEST_F(AppFixture, FrameIsFirstShownWithoutScrollBarsItDoesNotNeed) {
  g_clientStyleAtShow = -1;
  HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, RecordClientStyle, nullptr, GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  std::unique_ptr<rt::Window> frame;
  rt::LoadFrameStructure(frame, config_.frameModule, app::kFrameLayout);
  const bool opened = frame && frame->Open();
  if (opened) frame->Show();  // windows are made hidden and shown once their start-up is done
  UnhookWindowsHookEx(hook);
  ASSERT_TRUE(opened);
  ASSERT_NE(g_clientStyleAtShow, -1) << "the frame was shown without its MDI client";
  EXPECT_EQ(g_clientStyleAtShow & (WS_HSCROLL | WS_VSCROLL), 0);
  Pump(100);
  EXPECT_EQ(GetWindowLongA(frame->MdiClient(), GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL), 0);
}

// The frame's keys stay the frame's: the dialog navigation that runtime dialogs get never takes
// them. Real Enter, Down and Tab with the frame in front reach the window that has the focus
// (its MDI client, where the frame puts it) while the frame's event loop runs.
std::vector<WPARAM> g_frameKeys;
WNDPROC g_frameProc = nullptr;
rt::Window* g_looping = nullptr;
LRESULT CALLBACK RecordKeys(::HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_KEYDOWN) g_frameKeys.push_back(wp);
  return CallWindowProcA(g_frameProc, h, msg, wp, lp);
}
// Gives the event loop an event now and then, after the keys queued before it.
void CALLBACK WakeLoop(::HWND, UINT, UINT_PTR, DWORD) { g_looping->Push(rt::Event{rt::EVENT_AlertKey, 0}); }

TEST_F(AppFixture, TheFramesKeysAreNotTakenByDialogNavigation) {
  std::unique_ptr<rt::Window> frame;
  rt::LoadFrameStructure(frame, config_.frameModule, app::kFrameLayout);
  ASSERT_TRUE(frame && frame->Open());
  frame->Show();
  ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == frame->Handle(); }));
  SetFocus(frame->Handle());
  ::HWND focus = GetFocus();
  ASSERT_TRUE(focus && GetAncestor(focus, GA_ROOT) == frame->Handle());
  g_frameKeys.clear();
  g_frameProc =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrA(focus, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordKeys)));
  g_looping = frame.get();
  const UINT_PTR timer = SetTimer(nullptr, 0, 30, WakeLoop);
  const std::vector<WPARAM> keys = {VK_RETURN, VK_DOWN, VK_TAB};
  for (WPARAM k : keys) PressKeys({static_cast<WORD>(k)});
  rt::Event e;
  const DWORD start = GetTickCount();
  while (g_frameKeys.size() < keys.size() && GetTickCount() - start < 3000 && frame->NextEvent(e)) {
  }
  KillTimer(nullptr, timer);
  SetWindowLongPtrA(focus, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_frameProc));
  EXPECT_EQ(g_frameKeys, keys);
}

// A window that sets no response makes RUN return 2; INIT's failure skips the loop; a KILL
// whose parent fails (the manager already shut down) returns that level at once, saving no
// placement and keeping the procedure name.
TEST_F(AppFixture, RunWithoutAResponseReturns2AndFailuresSaveNoPlacement) {
  struct Closer : app::ProcedureWindow {
    using ProcedureWindow::ProcedureWindow;
    void OwnStep() override { rt::PostEvent(rt::EVENT_CloseWindow); }
  };
  std::unique_ptr<rt::Window> window;
  rt::LoadWindowStructure(window, config_.dialogModule, app::kDialogLayout);
  ASSERT_TRUE(window);
  Closer w("Closer", window.get());
  EXPECT_EQ(w.RUN(), 2);
  EXPECT_EQ(w.OPENED, 1);
  EXPECT_NE(IniValue(config_.iniFile, "Closer", "Width"), "") << "KILL saved the placement";
  EXPECT_EQ(app::GLOBALERRORS->PROCEDURENAME(), "") << "KILL dropped the procedure name";
  WritePrivateProfileStringA("Closer", nullptr, nullptr, config_.iniFile.c_str());
  app::GLOBALERRORS->SETPROCEDURENAME("Closer");
  EXPECT_EQ(w.KILL(), 5);
  EXPECT_EQ(IniValue(config_.iniFile, "Closer", "Width"), "") << "no placement saved by a failed KILL";
  EXPECT_EQ(app::GLOBALERRORS->PROCEDURENAME(), "Closer");
  app::GLOBALERRORS->SETPROCEDURENAME();

  struct Failing : app::ProcedureWindow {
    using ProcedureWindow::ProcedureWindow;
    fw::BYTE INIT() override { return 4; }
  };
  std::unique_ptr<rt::Window> other;
  rt::LoadWindowStructure(other, config_.dialogModule, app::kDialogLayout);
  Failing f("Failing", other.get());
  EXPECT_EQ(f.RUN(), 2);
  EXPECT_FALSE(other->IsOpen());
  EXPECT_EQ(IniValue(config_.iniFile, "Failing", "Width"), "") << "no placement for a window never opened";
}

// MENSAJE on a thread of its own here, so that the test can look at it and close it.
class MensajeFixture : public AppFixture {
 protected:
  void TearDown() override {
    if (worker_.joinable()) {  // a test that stopped early leaves its dialog open
      if (::HWND dialog = FindTopWindow(GetCurrentProcessId(), "Caption")) CloseAsUser(dialog);
      WaitFor([&] { return done_.load(); });
      worker_.join();
    }
    AppFixture::TearDown();
  }
  ::HWND ShowOnThread(const std::string& text) {
    done_ = false;
    worker_ = std::thread([this, text] {
      app::MENSAJE(text);
      done_ = true;
    });
    ::HWND dialog = nullptr;
    WaitFor([&] { return (dialog = FindTopWindow(GetCurrentProcessId(), "Caption")) != nullptr; });
    return dialog;
  }
  void CloseAndJoin(::HWND dialog) {
    CloseAsUser(dialog);
    WaitFor([&] { return done_.load(); });
    worker_.join();
  }
  std::thread worker_;
  std::atomic<bool> done_{false};
};

TEST_F(MensajeFixture, ShowsTheFirst200CharactersAndReturnsWhenClosed) {
  struct Case {
    std::string text, shown;
  } cases[] = {{"Facturas", "Facturas"},
               {std::string(250, 'x') + "tail", std::string(200, 'x')},
               {"", ""}};
  for (const Case& c : cases) {
    ::HWND dialog = ShowOnThread(c.text);
    ASSERT_TRUE(dialog);
    // The text is filled in once the window is up.
    std::string shown;
    EXPECT_TRUE(WaitFor([&] { return (shown = WindowText(GetDlgItem(dialog, app::FEQ_LOC_TEXTO))) == c.shown; }))
        << shown;
    EXPECT_EQ(WindowText(GetDlgItem(dialog, app::FEQ_OKBUTTON)), "&OK");
    EXPECT_EQ(WindowText(GetDlgItem(dialog, app::FEQ_CANCELBUTTON)), "&Cancel");
    const LONG style = GetWindowLongA(dialog, GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
    // Sizes and places in dialog units of its font, "MS Sans Serif" 8.
    const DialogUnits du("MS Sans Serif", 8);
    RECT client{};
    GetClientRect(dialog, &client);
    EXPECT_EQ(client.right, du.X(395));
    EXPECT_EQ(client.bottom, du.Y(224));
    struct Place {
      int feq, x, y, width, height;
    } places[] = {{app::FEQ_LOC_TEXTO, 31, 70, 318, 26},
                  {app::FEQ_OKBUTTON, 295, 201, 35, 14},
                  {app::FEQ_CANCELBUTTON, 337, 201, 41, 14}};
    for (const Place& p : places) {
      RECT r{};
      GetWindowRect(GetDlgItem(dialog, p.feq), &r);
      MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
      EXPECT_EQ(r.left, du.X(p.x)) << p.feq;
      EXPECT_EQ(r.top, du.Y(p.y)) << p.feq;
      EXPECT_EQ(r.right - r.left, du.X(p.width)) << p.feq;
      EXPECT_EQ(r.bottom - r.top, du.Y(p.height)) << p.feq;
    }
    EXPECT_FALSE(done_.load()) << "MENSAJE returns only when its window has closed";
    CloseAndJoin(dialog);
    EXPECT_TRUE(done_.load());
  }
}

TEST_F(MensajeFixture, EscapeAndTheButtonsCloseIt) {
  for (int how = 0; how < 3; ++how) {
    ::HWND dialog = ShowOnThread("Recibos");
    ASSERT_TRUE(dialog);
    if (how == 0) PostMessageA(GetDlgItem(dialog, app::FEQ_OKBUTTON), WM_KEYDOWN, VK_ESCAPE, 0);
    else {
      // The notification a click on the button sends its dialog.
      const int id = how == 1 ? app::FEQ_OKBUTTON : app::FEQ_CANCELBUTTON;
      PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    }
    EXPECT_TRUE(WaitFor([&] { return done_.load(); })) << how;
    worker_.join();
  }
}

// The buttons a dialog on a watched thread was told were clicked (BN_CLICKED), in order.
std::vector<int> g_clicked;
LRESULT CALLBACK WatchClicks(int code, WPARAM wp, LPARAM lp) {
  const auto* m = reinterpret_cast<const CWPSTRUCT*>(lp);
  if (code == HC_ACTION && m->message == WM_COMMAND && HIWORD(m->wParam) == BN_CLICKED && !GetParent(m->hwnd))
    g_clicked.push_back(LOWORD(m->wParam));
  return CallNextHookEx(nullptr, code, wp, lp);
}

// Real keys to the dialog work it as a Windows dialog: the focus starts on "&OK" (the text
// above it cannot take it), Tab and Shift+Tab go round the two buttons, Enter presses the
// focused button (at first the default one, "&OK"), Space the focused one, Alt+O and Alt+C
// their buttons; each press ends the dialog, Escape too (without a button).
TEST_F(MensajeFixture, TheKeyboardWorksItAsADialog) {
  using Chords = std::vector<std::vector<WORD>>;
  const WORD kAlt = VK_MENU;
  const struct Case {
    const char* keys;
    Chords chords;
    std::vector<int> focus;    // the focused button after each chord but the last
    std::vector<int> clicked;  // the buttons pressed
  } cases[] = {
      {"Enter", {{VK_RETURN}}, {}, {app::FEQ_OKBUTTON}},
      {"Space", {{VK_SPACE}}, {}, {app::FEQ_OKBUTTON}},
      {"Tab, Space", {{VK_TAB}, {VK_SPACE}}, {app::FEQ_CANCELBUTTON}, {app::FEQ_CANCELBUTTON}},
      {"Tab, Enter", {{VK_TAB}, {VK_RETURN}}, {app::FEQ_CANCELBUTTON}, {app::FEQ_CANCELBUTTON}},
      {"Tab, Tab, Space", {{VK_TAB}, {VK_TAB}, {VK_SPACE}}, {app::FEQ_CANCELBUTTON, app::FEQ_OKBUTTON},
       {app::FEQ_OKBUTTON}},
      {"Shift+Tab, Space", {{VK_SHIFT, VK_TAB}, {VK_SPACE}}, {app::FEQ_CANCELBUTTON}, {app::FEQ_CANCELBUTTON}},
      {"Shift+Tab twice, Enter", {{VK_SHIFT, VK_TAB}, {VK_SHIFT, VK_TAB}, {VK_RETURN}},
       {app::FEQ_CANCELBUTTON, app::FEQ_OKBUTTON}, {app::FEQ_OKBUTTON}},
      {"Alt+O", {{kAlt, 'O'}}, {}, {app::FEQ_OKBUTTON}},
      {"Alt+C", {{kAlt, 'C'}}, {}, {app::FEQ_CANCELBUTTON}},
      {"Tab, Alt+O", {{VK_TAB}, {kAlt, 'O'}}, {app::FEQ_CANCELBUTTON}, {app::FEQ_OKBUTTON}},
      {"Escape", {{VK_ESCAPE}}, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    ::HWND dialog = ShowOnThread("Recibos");
    ASSERT_TRUE(dialog);
    const DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
    auto focusIs = [&](int feq) { return WaitFor([&] { return FocusOf(thread) == GetDlgItem(dialog, feq); }, 3000); };
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == dialog; }));
    EXPECT_TRUE(focusIs(app::FEQ_OKBUTTON)) << "focus on " << ClassOf(FocusOf(thread));
    // The default button, as the dialog tells the platform's navigation: the focused button.
    auto defaultIs = [&](int feq) {
      return SendMessageA(dialog, DM_GETDEFID, 0, 0) == MAKELRESULT(feq, DC_HASDEFID) &&
             (GetWindowLongA(GetDlgItem(dialog, feq), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    };
    EXPECT_TRUE(defaultIs(app::FEQ_OKBUTTON));
    g_clicked.clear();
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, WatchClicks, nullptr, thread);
    ASSERT_TRUE(hook);
    for (std::size_t i = 0; i < c.chords.size(); ++i) {
      PressKeys(c.chords[i]);
      if (i < c.focus.size()) {
        EXPECT_TRUE(focusIs(c.focus[i])) << "after chord " << i;
        EXPECT_TRUE(defaultIs(c.focus[i])) << "after chord " << i;
      }
    }
    const bool ended = WaitFor([&] { return done_.load(); }, 5000);
    EXPECT_TRUE(ended) << "the keys end the dialog";
    if (!ended) CloseAsUser(dialog);
    WaitFor([&] { return done_.load(); });
    worker_.join();
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(g_clicked, c.clicked);
  }
}

// A dialog left for another window keeps its focus: back again, Space presses the button
// that had it.
TEST_F(MensajeFixture, TheFocusComesBackWithTheDialog) {
  ::HWND dialog = ShowOnThread("Recibos");
  ASSERT_TRUE(dialog);
  const DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
  ::HWND cancel = GetDlgItem(dialog, app::FEQ_CANCELBUTTON);
  ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == dialog; }));
  PressKeys({VK_TAB});
  ASSERT_TRUE(WaitFor([&] { return FocusOf(thread) == cancel; }));
  ::HWND other = CreateWindowExA(0, "STATIC", "other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_TRUE(other);
  SetForegroundWindow(other);
  ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == other; }));
  SetForegroundWindow(dialog);
  ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == dialog; }));
  EXPECT_TRUE(WaitFor([&] { return FocusOf(thread) == cancel; }, 3000)) << "focus on " << ClassOf(FocusOf(thread));
  g_clicked.clear();
  HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, WatchClicks, nullptr, thread);
  PressKeys({VK_SPACE});
  const bool ended = WaitFor([&] { return done_.load(); }, 5000);
  EXPECT_TRUE(ended);
  if (!ended) CloseAsUser(dialog);
  WaitFor([&] { return done_.load(); });
  worker_.join();
  UnhookWindowsHookEx(hook);
  DestroyWindow(other);
  EXPECT_EQ(g_clicked, std::vector<int>{app::FEQ_CANCELBUTTON});
}

TEST_F(MensajeFixture, OpensWhereItWasMovedTo) {
  ::HWND dialog = ShowOnThread("Facturas");
  ASSERT_TRUE(dialog);
  SetWindowPos(dialog, nullptr, 210, 140, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  RECT moved;
  GetWindowRect(dialog, &moved);
  CloseAndJoin(dialog);
  ::HWND again = ShowOnThread("Recibos");
  ASSERT_TRUE(again);
  RECT r;
  GetWindowRect(again, &r);
  EXPECT_EQ(r.left, moved.left);
  EXPECT_EQ(r.top, moved.top);
  EXPECT_EQ(r.right - r.left, moved.right - moved.left);
  CloseAndJoin(again);
}

// Notes in the start-up trace every change of the drag-full-windows setting, with the value
// it was set to, at the moment the set call announces it (to every top-level window).
class DragSettingNotes {
 public:
  DragSettingNotes() { SystemParametersInfoA(SPI_GETDRAGFULLWINDOWS, 0, &original_, 0); }
  ~DragSettingNotes() { Set(original_); }
  static void Set(BOOL on) { SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, on, nullptr, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE); }

 private:
  testing_support::DragSettingListener listener_{[] {
    BOOL on = FALSE;
    SystemParametersInfoA(SPI_GETDRAGFULLWINDOWS, 0, &on, 0);
    app::Trace(on ? "setting: drag on" : "setting: drag off");
  }};
  BOOL original_ = FALSE;
};

// Start-up and shutdown run in a fixed order: the modules' start-ups in order (each
// process start-up followed by its first-thread start-up), the program body's steps, then
// the clean-ups in exact reverse. A drag setting that was on is off before the frame runs
// and on again after it, before the INI manager shuts down; one that was off is never set.
TEST(StartupOrder, ModulesAndProgramBodyRunInOrder) {
  DragSettingNotes notes;
  for (BOOL dragOn : {TRUE, FALSE}) {
    SCOPED_TRACE(dragOn ? "drag setting on at start" : "drag setting off at start");
    DragSettingNotes::Set(dragOn);
    testing_support::TempDir dir;
    testing_support::ScopedCurrentDir cwd(dir.path());
    app::ClearTrace();
    static app::ProgramConfig config;
    config.name = "Brivane";
    config.iniFile = "Order.INI";
    config.frameModule = "Order$FRAME";
    config.dialogModule = "Order$DIALOG";
    config.frame = [] {
      app::Trace("frame runs");
      EXPECT_NE(app::INIMGR, nullptr);
      BOOL on = TRUE;
      SystemParametersInfoA(SPI_GETDRAGFULLWINDOWS, 0, &on, 0);
      EXPECT_FALSE(on) << "off while the frame runs";
      // A later thread gets its own globals, at 0 whatever thread 1's hold, and its dictionary
      // set-up; the frame goes on once it has ended.
      app::ThisThread().GLOBALREQUEST = 7;
      app::ThisThread().VCRREQUEST = 7;
      const int32_t n = rt::StartThread(
          [] {
            const app::ThreadGlobals& g = app::ThisThread();
            const bool fresh = g.GLOBALREQUEST == 0 && g.GLOBALRESPONSE == 0 && g.VCRREQUEST == 0;
            app::Trace(fresh ? "thread 2 runs" : "thread 2 runs with another thread's globals");
          },
          25000);
      EXPECT_EQ(n, 2);
      if (HANDLE h = rt::OpenThreadHandle(n)) {
        EXPECT_EQ(WaitForSingleObject(h, 30000), WAIT_OBJECT_0);
        CloseHandle(h);
      }
    };
    rt::Module last;
    last.name = "qftaskpanel";
    last.attachProcess = [] { app::Trace("qftaskpanel start"); };
    last.detachProcess = [] { app::Trace("qftaskpanel end"); };
    const std::vector<rt::Module> modules = {app::MainModule("Brivane"), app::WindowModule("Brivane$QUILL001", {}),
                                             app::WindowModule("Brivane$QUILL002", {rt::ControlKind::Image}),
                                             app::WindowModule("Brivane$QUILL003", {}), last};
    EXPECT_EQ(app::RunProgramEntry(config, modules), 0);

    std::vector<std::string> expected = {
        "Brivane.__attach_process", "Brivane.__attach_thread", "Brivane$QUILL001 start", "Brivane$QUILL002 start",
        "Brivane$QUILL003 start", "qftaskpanel start", "GLOBALERRORS.INIT", "FUZZYMATCHER.INIT", "INIMGR.INIT",
        "DCTINIT"};
    if (dragOn) expected.insert(expected.end(), {"setting: drag off", "drag setting off"});
    expected.insert(expected.end(), {
        "MAIN", "frame runs",
        // thread 2: module thread start-ups (its dictionary runs DCTINIT), then its clean-ups
        "Brivane.__attach_thread", "DCTINIT", "thread 2 runs", "Brivane.__detach_thread", "DCTKILL",
        "MAIN returned"});
    if (dragOn) expected.insert(expected.end(), {"setting: drag on", "drag setting on"});
    expected.insert(expected.end(), {"INIMGR.KILL", "FUZZYMATCHER.KILL", "qftaskpanel end", "Brivane$QUILL003 end",
                                     "Brivane$QUILL002 end", "Brivane$QUILL001 end", "Brivane.__detach_thread",
                                     "DCTKILL", "Brivane.__detach_process"});
    EXPECT_EQ(app::TraceSteps(), expected);
    BOOL after = !dragOn;
    SystemParametersInfoA(SPI_GETDRAGFULLWINDOWS, 0, &after, 0);
    EXPECT_EQ(after, dragOn) << "as it was, after the program body";
    char sectors[64] = {};
    GetPrivateProfileStringA("__Dont_Touch_Me__", "Sectors", "missing", sectors, sizeof sectors,
                             dir.File("Order.INI").c_str());
    EXPECT_STRNE(sectors, "missing") << "the INI manager's own section, in the current directory";
  }
}

}  // namespace
