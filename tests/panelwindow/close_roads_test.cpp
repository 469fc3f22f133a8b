// Both programs through the real exes: every way out ("Salir", "E&xit", the close box,
// Alt+F4, the system command, WM_CLOSE) ends them whatever is open, once, with exit code 0;
// Brivane's task-panel window stays open and whole until the frame closes; a small frame
// never cuts the pane for later runs.
#include <gtest/gtest.h>

#include <utility>

#include "e2e_support.h"
#include "pane_driver.h"

namespace {

using namespace e2e;
using namespace pane;

constexpr char kPaneSection[] = "Main_TaskPanel";

// One run of a program, Brivane's with its pane found and painted.
struct Launched {
  Launched(const Program& program, const std::string& dir) : run(program, dir), brivane(program.threads > 1) {
    if (!run.frame()) return;
    frameThread = GetWindowThreadProcessId(run.frame(), nullptr);
    if (!brivane) return;
    p = WaitPane(run.frame());
    if (!p.control) return;
    paneThread = GetWindowThreadProcessId(p.window, nullptr);
    const RECT first = LayOut(p.control, Groups{}).comprobantesTasks.at(0);
    WaitFor([&] { return ScreenShot(p.control).At(first.right - 6, (first.top + first.bottom) / 2) == kTaskBackground; });
  }
  explicit Launched(const std::string& dir) : Launched(kBrivane, dir) {}
  bool ready() const { return run.frame() && (!brivane || p.control != nullptr); }
  DWORD pid() { return run.process().pid(); }
  SIZE PaneSize() const {
    RECT r{};
    GetWindowRect(p.window, &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
  }

  Running run;
  bool brivane;
  Pane p;
  DWORD paneThread = 0, frameThread = 0;
};

std::string Stored(const std::string& ini, const char* key) { return IniValue(ini, kPaneSection, key); }

// A point of the frame's title bar where the frame itself (no window over it) answers
// `area` (HTCAPTION, HTCLOSE).
bool FramePoint(::HWND frame, LRESULT area, POINT& at) {
  RECT w{};
  GetWindowRect(frame, &w);
  const int y = w.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
  for (int x = w.right - 2; x > w.left; x -= 2) {
    const POINT p{x, y};
    if (WindowFromPoint(p) != frame) continue;
    DWORD_PTR hit = 0;
    if (SendMessageTimeoutA(frame, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_NORMAL, 2000, &hit) &&
        static_cast<LRESULT>(hit) == area) {
      at = p;
      return true;
    }
  }
  return false;
}

// The frame made the foreground window by a real click on its title bar.
::testing::AssertionResult ActivateByClick(::HWND frame) {
  POINT title{};
  if (!FramePoint(frame, HTCAPTION, title)) return ::testing::AssertionFailure() << "no free spot on the title bar";
  ClickScreen(title);
  if (!WaitFor([&] { return GetForegroundWindow() == frame; })) return ::testing::AssertionFailure() << "not active";
  return ::testing::AssertionSuccess();
}

enum class Way { Salir, Exit, CloseBox, AltF4, SysClose, WmClose };

// Asks the program to end the given way; "Salir" needs Brivane's pane.
::testing::AssertionResult CloseBy(Way way, Launched& prog) {
  ::HWND frame = prog.run.frame();
  switch (way) {
    case Way::Salir:
      Click(prog.p.control, LayOut(prog.p.control, Groups{}).salir);
      break;
    case Way::Exit:
      ChooseMenuItem(frame, -4);
      break;
    case Way::CloseBox: {  // a real click on it, the frame made active first
      if (auto active = ActivateByClick(frame); !active) return active;
      POINT box{};
      if (!FramePoint(frame, HTCLOSE, box)) return ::testing::AssertionFailure() << "no close box in reach";
      ClickScreen(box);
      break;
    }
    case Way::AltF4:  // real keys to the frame, the foreground window
      if (auto active = ActivateByClick(frame); !active) return active;
      PressKeys({VK_MENU, VK_F4});
      break;
    case Way::SysClose:
      CloseAsUser(frame);
      break;
    case Way::WmClose:
      PostMessageA(frame, WM_CLOSE, 0, 0);
      break;
  }
  return ::testing::AssertionSuccess();
}

// Waits for the end (exit code, -1 on time-out), watching meanwhile for a dialog showing
// `unwanted`.
long WaitEnd(Launched& prog, const std::string& unwanted, bool& seen, DWORD timeoutMs = 15000) {
  for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
    const long code = prog.run.process().Wait(50);
    if (code != -1) return code;
    for (::HWND h : TopWindows(prog.pid()))
      if (WindowText(h) == "Caption" && Running::DialogText(h) == unwanted) seen = true;
  }
  return -1;
}

void ExpectPlacementsSaved(const std::string& ini, bool pane) {
  std::vector<const char*> sections{"Main"};
  if (pane) sections.push_back(kPaneSection);
  for (const char* section : sections)
    for (const char* key : {"XPos", "YPos", "Width", "Height"})
      EXPECT_NE(IniValue(ini, section, key), "") << section << " " << key;
}

// Each way out, with dialogs open on the frame's thread, the pane's thread or both, popup
// menus open, a menu choice queued behind the frame's dialog: the program ends with exit
// code 0, every placement is saved, a frame dialog that closed on the way had its choice
// recorded as any closing does, and no queued choice opens another dialog.
TEST(CloseRoads, TheProgramEndsWhateverIsOpen) {
  struct Case {
    const char* what;
    const Program* program;
    bool frameDialog, paneDialog;
    Way way;
    bool framePopup = false;   // the frame's "Recientes" popup open as well
    bool panePopup = false;    // the pane's "Recientes" popup open as well
    bool queuedChoice = false;  // "Notas de Debito" chosen while the frame's dialog is open
  } cases[] = {
      {"Salir, frame dialog", &kBrivane, true, false, Way::Salir},
      {"E&xit, pane dialog", &kBrivane, false, true, Way::Exit},
      {"SC_CLOSE, pane dialog", &kBrivane, false, true, Way::SysClose},
      {"Salir, both dialogs", &kBrivane, true, true, Way::Salir},
      {"Salir, frame popup", &kBrivane, false, false, Way::Salir, true},
      {"E&xit, pane popup", &kBrivane, false, false, Way::Exit, false, true},
      // The frame's own close requests with its own dialog open.
      {"Brivane E&xit, frame dialog", &kBrivane, true, false, Way::Exit},
      {"Brivane close box, frame dialog", &kBrivane, true, false, Way::CloseBox},
      {"Brivane Alt+F4, frame dialog", &kBrivane, true, false, Way::AltF4},
      {"Brivane SC_CLOSE, frame dialog", &kBrivane, true, false, Way::SysClose},
      {"Brivane WM_CLOSE, frame dialog", &kBrivane, true, false, Way::WmClose},
      {"Caldrel E&xit, frame dialog", &kCaldrel, true, false, Way::Exit},
      {"Caldrel close box, frame dialog", &kCaldrel, true, false, Way::CloseBox},
      {"Caldrel Alt+F4, frame dialog", &kCaldrel, true, false, Way::AltF4},
      {"Caldrel SC_CLOSE, frame dialog", &kCaldrel, true, false, Way::SysClose},
      {"Caldrel WM_CLOSE, frame dialog", &kCaldrel, true, false, Way::WmClose},
      // Dialogs on both threads at once.
      {"E&xit, both dialogs", &kBrivane, true, true, Way::Exit},
      {"close box, both dialogs", &kBrivane, true, true, Way::CloseBox},
      {"Alt+F4, both dialogs", &kBrivane, true, true, Way::AltF4},
      {"WM_CLOSE, both dialogs", &kBrivane, true, true, Way::WmClose},
      // The frame's own popup menu open.
      {"Brivane WM_CLOSE, frame popup", &kBrivane, false, false, Way::WmClose, true},
      {"Caldrel WM_CLOSE, frame popup", &kCaldrel, false, false, Way::WmClose, true},
      {"Caldrel E&xit, frame popup", &kCaldrel, false, false, Way::Exit, true},
      {"WM_CLOSE, pane dialog and frame popup", &kBrivane, false, true, Way::WmClose, true},
      // A choice queued behind the frame's dialog opens nothing once the program closes.
      {"Salir, choice queued", &kBrivane, true, false, Way::Salir, false, false, true},
      {"Brivane E&xit, choice queued", &kBrivane, true, false, Way::Exit, false, false, true},
      {"Brivane WM_CLOSE, choice queued", &kBrivane, true, true, Way::WmClose, false, false, true},
      {"Caldrel E&xit, choice queued", &kCaldrel, true, false, Way::Exit, false, false, true},
      {"Caldrel close box, choice queued", &kCaldrel, true, false, Way::CloseBox, false, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const std::string frameFile = dir.File(c.program->frameFile);
    if (c.framePopup) WriteFileText(frameFile, "[RECIENTES.]\r\nCampo_1=-10\r\nTexto_1=Recibos\r\n");
    if (c.panePopup)
      WriteFileText(dir.File(kPaneFile), "[RECIENTES.]\r\nEncab_1=1\r\nCampo_1=2\r\nTexto_1=Saldos\r\n");
    Launched prog(*c.program, dir.path());
    ASSERT_TRUE(prog.ready());
    if (c.panePopup) {
      Click(prog.p.control, LayOut(prog.p.control, Groups{}).recientes);
      ASSERT_TRUE(WaitPopupMenu(prog.pid()));
    }
    if (c.paneDialog) {
      Click(prog.p.control, LayOut(prog.p.control, Groups{}).comprobantesTasks.at(0));
      ASSERT_TRUE(WaitDialogOn(prog.pid(), prog.paneThread));
    }
    if (c.frameDialog) {
      ChooseMenuItem(prog.run.frame(), -7);  // "Facturas"
      ASSERT_TRUE(WaitDialogOn(prog.pid(), prog.frameThread));
      EXPECT_EQ(IniValue(prog.run.Recent(), "RECIENTES.", "Texto_1"), "") << "recorded only once it closes";
    }
    if (c.queuedChoice) {
      ChooseMenuItem(prog.run.frame(), -8);  // "Notas de Debito", taken once the dialog has closed
      Settle(prog.run.frame());
    }
    if (c.framePopup) {
      ChooseMenuItem(prog.run.frame(), -5);  // "Recientes"
      ASSERT_TRUE(WaitPopupMenu(prog.pid()));
    }
    ASSERT_TRUE(CloseBy(c.way, prog));
    bool secondDialog = false;
    EXPECT_EQ(WaitEnd(prog, "Notas de Debito", secondDialog), 0) << "ended with exit code 0";
    EXPECT_FALSE(secondDialog) << "a queued choice opened its dialog";
    ExpectPlacementsSaved(prog.run.Ini(), prog.brivane);
    if (c.frameDialog || c.paneDialog) {
      EXPECT_NE(IniValue(prog.run.Ini(), "Mensaje", "Width"), "") << "the closed dialog saved its placement";
    }
    if (c.frameDialog) {
      EXPECT_EQ(IniValue(frameFile, "RECIENTES.", "Texto_1"), "Facturas");
      EXPECT_EQ(IniValue(frameFile, "RECIENTES.", "Texto_2"), "");
    }
    if (c.paneDialog) {
      EXPECT_EQ(Slot(dir.File(kPaneFile), "Texto_", 1), "Facturacion");
    }
  }
}

// "Salir" while the user closes the frame's dialog: the close request the pane sends to the
// frame's thread may find the dialog as its innermost window and arrive after that dialog
// has gone. Tried at moments spread over the dialog's closing: the program always ends.
TEST(CloseRoads, SalirWhileTheFrameDialogCloses) {
  LARGE_INTEGER frequency{};
  QueryPerformanceFrequency(&frequency);
  auto spin = [&](double ms) {
    LARGE_INTEGER start{}, now{};
    QueryPerformanceCounter(&start);
    do QueryPerformanceCounter(&now);
    while (static_cast<double>(now.QuadPart - start.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart) < ms);
  };
  for (int attempt = 0; attempt < 20; ++attempt) {
    const double delayMs = attempt * 1.5;
    SCOPED_TRACE("Salir " + std::to_string(delayMs) + " ms after the dialog's close");
    TempDir dir;
    Launched prog(dir.path());
    ASSERT_TRUE(prog.ready());
    const RECT salir = LayOut(prog.p.control, Groups{}).salir;
    MoveTo(prog.p.control, Centre(salir));
    Settle(prog.p.control);
    ChooseMenuItem(prog.run.frame(), -7);
    ::HWND dialog = WaitDialogOn(prog.pid(), prog.frameThread);
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(Running::Shows(dialog, "Facturas"));
    CloseAsUser(dialog);
    spin(delayMs);
    ClickAt(prog.p.control, Centre(salir));
    EXPECT_EQ(prog.run.process().Wait(10000), 0) << "ended with exit code 0";
    ExpectPlacementsSaved(prog.run.Ini(), prog.brivane);
    EXPECT_EQ(IniValue(prog.run.Recent(), "RECIENTES.", "Texto_1"), "Facturas");
  }
}

// A close request at every step of start-up and shutdown: posted as soon as the frame
// exists (still hidden), at spread delays after, with or without a menu choice just before
// it (its dialog opening as the request comes), and again and again while the program
// closes. Never a freeze: exit code 0, every placement saved.
TEST(CloseRoads, CloseRequestsAtEveryStepOfStartUpAndShutdown) {
  for (const Program* program : {&kBrivane, &kCaldrel}) {
    for (DWORD delayMs : {0u, 5u, 20u, 60u, 150u, 400u}) {
      for (const auto& [choiceFirst, close] : {std::pair{false, WM_CLOSE}, std::pair{false, WM_SYSCOMMAND},
                                               std::pair{true, WM_CLOSE}, std::pair{true, WM_SYSCOMMAND}}) {
        SCOPED_TRACE(program->exe + (close == WM_CLOSE ? " WM_CLOSE " : " SC_CLOSE ") + std::to_string(delayMs) +
                     " ms after the frame exists" + (choiceFirst ? ", a choice first" : ""));
        TempDir dir;
        Process process(ProgramPath(program->exe), dir.path());
        ASSERT_TRUE(process.started());
        ::HWND frame = nullptr;
        ASSERT_TRUE(WaitFor(
            [&] {
              for (::HWND h : TopWindows(process.pid(), false))
                if (ClassOf(h) == "RtFrame") return (frame = h) != nullptr;
              return false;
            },
            15000));
        Sleep(delayMs);
        if (choiceFirst) ChooseMenuItem(frame, -7);
        long code = -1;
        for (DWORD waited = 0; code == -1 && waited < 15000; waited += 15) {
          PostMessageA(frame, close, close == WM_CLOSE ? 0 : SC_CLOSE, 0);
          if (::HWND pane = FindPane(frame).window) PostMessageA(pane, WM_CLOSE, 0, 0);  // it takes none
          code = process.Wait(15);
        }
        EXPECT_EQ(code, 0) << "ended with exit code 0";
        ExpectPlacementsSaved(dir.File(program->iniFile), program->threads > 1);
      }
    }
  }
}

// Ctrl+F4 as real keys on the active pane, system commands and the "&Window" items leave
// the pane open, neither minimised nor maximised, at its size; the frame's closing still
// closes it and saves its placement.
TEST(CloseRoads, ThePaneClosesOnlyWithTheFrame) {
  TempDir dir;
  Launched prog(dir.path());
  ASSERT_TRUE(prog.ready());
  const SIZE size = prog.PaneSize();
  auto whole = [&] {
    return IsWindow(prog.p.window) && IsWindowVisible(prog.p.window) && !IsIconic(prog.p.window) &&
           !IsZoomed(prog.p.window) && prog.PaneSize().cx == size.cx && prog.PaneSize().cy == size.cy;
  };
  // Active with the keyboard focus: a real click on its title bar.
  RECT w{};
  GetWindowRect(prog.p.window, &w);
  const POINT title{(w.left + w.right) / 2, w.top + GetSystemMetrics(SM_CYCAPTION) / 2};
  Drag(title, title);
  ASSERT_TRUE(WaitFor([&] {
    return reinterpret_cast<::HWND>(SendMessageA(prog.p.client, WM_MDIGETACTIVE, 0, 0)) == prog.p.window;
  }));
  auto ctrlF4 = [&] {
    PressKeys({VK_CONTROL, VK_F4});
    Settle(prog.p.control);
    Settle(prog.p.control);
  };
  ctrlF4();
  EXPECT_TRUE(whole()) << "Ctrl+F4, the keyboard with the pane";
  // The keyboard with the frame's thread (a click on the empty MDI client), the pane still
  // the active child: there the frame's MDI keys act on it.
  RECT client{};
  GetWindowRect(prog.p.client, &client);
  const POINT empty{client.right - 40, client.bottom - 40};
  Drag(empty, empty);
  ASSERT_TRUE(WaitFor([&] {
    return reinterpret_cast<::HWND>(SendMessageA(prog.p.client, WM_MDIGETACTIVE, 0, 0)) == prog.p.window;
  }));
  ctrlF4();
  EXPECT_TRUE(whole()) << "Ctrl+F4, the keyboard with the frame";

  for (WPARAM command : {SC_CLOSE, SC_MINIMIZE, SC_MAXIMIZE}) {
    PostMessageA(prog.p.window, WM_SYSCOMMAND, command, 0);
    Settle(prog.p.control);
    EXPECT_TRUE(whole()) << "system command " << std::hex << command;
  }
  for (int32_t item : {-20, -21, -22}) {  // "T&ile", "&Cascade", "&Arrange Icons"
    ChooseMenuItem(prog.run.frame(), item);
    Settle(prog.run.frame());
    Settle(prog.p.control);
    EXPECT_TRUE(whole()) << "Window item " << item;
  }
  // A close request sent to it from the frame's thread is not taken later either: a click
  // on a group afterwards still does what it does.
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(prog.p.window, WM_CLOSE, 0, 0, SMTO_NORMAL, 5000, &ignored);
  Click(prog.p.control, LayOut(prog.p.control, Groups{}).informes);
  Settle(prog.p.control);
  EXPECT_TRUE(whole()) << "WM_CLOSE";

  EXPECT_EQ(prog.run.Exit(), 0);
  EXPECT_EQ(Stored(prog.run.Ini(), "Height"), std::to_string(size.cy));
}

// A run with a 400x300 frame neither shows the pane cut nor stores it cut: the next run with
// the usual frame shows it whole and the INI holds its layout height. A stored position out
// of the frame's reach is shown in view and kept as the user left it.
TEST(CloseRoads, ASmallFrameNeverCutsThePane) {
  TempDir dir;
  SIZE layoutSize{};
  {
    Launched first(dir.path());
    ASSERT_TRUE(first.ready());
    layoutSize = first.PaneSize();
    EXPECT_EQ(first.run.Exit(), 0);
  }
  const std::string ini = dir.File(kBrivane.iniFile);
  ASSERT_EQ(Stored(ini, "Height"), std::to_string(layoutSize.cy));
  WritePrivateProfileStringA("Main", "Width", "400", ini.c_str());
  WritePrivateProfileStringA("Main", "Height", "300", ini.c_str());
  WritePrivateProfileStringA(kPaneSection, "XPos", "5000", ini.c_str());
  {
    Launched small(dir.path());
    ASSERT_TRUE(small.ready());
    RECT client{}, pane{};
    GetClientRect(small.p.client, &client);
    ASSERT_LT(client.bottom, layoutSize.cy) << "the frame is smaller than the pane";
    EXPECT_EQ(small.PaneSize().cy, layoutSize.cy) << "shown whole";
    EXPECT_EQ(small.PaneSize().cx, layoutSize.cx);
    GetWindowRect(small.p.window, &pane);
    MapWindowPoints(nullptr, small.p.client, reinterpret_cast<POINT*>(&pane), 2);
    EXPECT_GE(pane.left, 0) << "brought into view";
    EXPECT_LT(pane.left, client.right);
    EXPECT_EQ(small.run.Exit(), 0);
  }
  EXPECT_EQ(Stored(ini, "Height"), std::to_string(layoutSize.cy));
  EXPECT_EQ(Stored(ini, "Width"), std::to_string(layoutSize.cx));
  EXPECT_EQ(Stored(ini, "XPos"), "5000") << "what the user chose stays stored";

  WritePrivateProfileStringA("Main", nullptr, nullptr, ini.c_str());  // the usual frame again
  WritePrivateProfileStringA(kPaneSection, "XPos", "0", ini.c_str());
  {
    Launched usual(dir.path());
    ASSERT_TRUE(usual.ready());
    EXPECT_EQ(usual.PaneSize().cy, layoutSize.cy);
    RECT client{};
    GetClientRect(usual.p.client, &client);
    EXPECT_GE(client.bottom, layoutSize.cy);
    EXPECT_EQ(usual.run.Exit(), 0);
  }
  EXPECT_EQ(Stored(ini, "Height"), std::to_string(layoutSize.cy));
}

// An event raised while a message sent from another thread is handled (a menu command sent
// by automation) is taken at once, not when some later message happens to be posted.
TEST(CloseRoads, AnEventRaisedInASentMessageIsTakenAtOnce) {
  TempDir dir;
  Launched prog(dir.path());
  ASSERT_TRUE(prog.ready());
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(prog.run.frame(), WM_COMMAND, MAKEWPARAM(static_cast<uint16_t>(-7), 0), 0, SMTO_NORMAL, 5000,
                      &ignored);
  ::HWND dialog = WaitDialogOn(prog.pid(), prog.frameThread);
  ASSERT_TRUE(dialog);
  EXPECT_EQ(Running::DialogText(dialog), "Facturas");
  CloseAsUser(dialog);
  EXPECT_EQ(prog.run.Exit(), 0);
}

}  // namespace
