#include <gtest/gtest.h>

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

// The menu tree as a user sees it: texts in order, and each item's command id is its
// control number as a 16-bit value.
TEST_F(AppFixture, FrameMenuTreeHasTheAccountingMenusAndControlNumbers) {
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
    ASSERT_GE(GetMenuItemCount(sub), static_cast<int>(e.items.size())) << e.menu;
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
  UnhookWindowsHookEx(hook);
  ASSERT_TRUE(opened);
  ASSERT_NE(g_clientStyleAtShow, -1) << "the frame was shown without its MDI client";
  EXPECT_EQ(g_clientStyleAtShow & (WS_HSCROLL | WS_VSCROLL), 0);
  Pump(100);
  EXPECT_EQ(GetWindowLongA(frame->MdiClient(), GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL), 0);
}

// A window that sets no response makes RUN return 2; INIT's failure skips the loop.
TEST_F(AppFixture, RunWithoutAResponseReturns2) {
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
    EXPECT_EQ(WindowText(GetDlgItem(dialog, app::FEQ_LOC_TEXTO)), c.shown);
    EXPECT_EQ(WindowText(GetDlgItem(dialog, app::FEQ_OKBUTTON)), "&OK");
    EXPECT_EQ(WindowText(GetDlgItem(dialog, app::FEQ_CANCELBUTTON)), "&Cancel");
    const LONG style = GetWindowLongA(dialog, GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
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

// Start-up and shutdown run in a fixed order: the modules' start-ups in order (each
// process start-up followed by its first-thread start-up), the program body's steps, then
// the clean-ups in exact reverse.
TEST(StartupOrder, ModulesAndProgramBodyRunInOrder) {
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
    // A later thread gets its own globals and its dictionary set-up.
    static std::atomic<bool> ran{false};
    rt::StartThread([] { ran = app::ThisThread().GLOBALREQUEST == 0; }, 25000);
    for (int i = 0; i < 200 && !ran; ++i) Sleep(10);
    Sleep(50);
  };
  rt::Module last;
  last.name = "qftaskpanel";
  last.attachProcess = [] { app::Trace("qftaskpanel start"); };
  last.detachProcess = [] { app::Trace("qftaskpanel end"); };
  const std::vector<rt::Module> modules = {app::MainModule("Brivane"), app::WindowModule("Brivane$QUILL001", {}),
                                           app::WindowModule("Brivane$QUILL002", {rt::ControlKind::Image}),
                                           app::WindowModule("Brivane$QUILL003", {}), last};
  EXPECT_EQ(app::RunProgramEntry(config, modules), 0);

  std::vector<std::string> trace = app::TraceSteps();
  const std::vector<std::string> expected = {
      "Brivane.__attach_process", "Brivane.__attach_thread", "Brivane$QUILL001 start", "Brivane$QUILL002 start",
      "Brivane$QUILL003 start", "qftaskpanel start", "GLOBALERRORS.INIT", "FUZZYMATCHER.INIT", "INIMGR.INIT",
      "DCTINIT", "MAIN", "frame runs",
      // thread 2: module thread start-ups (its dictionary runs DCTINIT), then its clean-ups
      "Brivane.__attach_thread", "DCTINIT", "Brivane.__detach_thread", "DCTKILL",
      "MAIN returned", "INIMGR.KILL", "FUZZYMATCHER.KILL", "qftaskpanel end", "Brivane$QUILL003 end",
      "Brivane$QUILL002 end", "Brivane$QUILL001 end", "Brivane.__detach_thread", "DCTKILL",
      "Brivane.__detach_process"};
  // Drop the drag-setting steps, which depend on the machine's setting.
  std::erase_if(trace, [](const std::string& s) { return s.rfind("drag setting", 0) == 0; });
  EXPECT_EQ(trace, expected);
  char sectors[64] = {};
  GetPrivateProfileStringA("__Dont_Touch_Me__", "Sectors", "missing", sectors, sizeof sectors,
                           dir.File("Order.INI").c_str());
  EXPECT_STRNE(sectors, "missing") << "the INI manager's own section, in the current directory";
}

}  // namespace
