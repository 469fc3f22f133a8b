// Brivane through the real program: "Salir", "E&xit" and the close box end it whatever is
// open; the task-panel window stays open and whole until the frame closes; a small frame
// never cuts the pane for later runs.
#include <gtest/gtest.h>

#include "e2e_support.h"
#include "pane_driver.h"

namespace {

using namespace e2e;
using namespace pane;

constexpr char kPaneSection[] = "Main_TaskPanel";

// One Brivane run with its pane found and painted.
struct PaneProgram {
  explicit PaneProgram(const std::string& dir) : run(kBrivane, dir) {
    if (!run.frame()) return;
    p = WaitPane(run.frame());
    if (!p.control) return;
    paneThread = GetWindowThreadProcessId(p.window, nullptr);
    frameThread = GetWindowThreadProcessId(run.frame(), nullptr);
    const RECT first = LayOut(p.control, Groups{}).comprobantesTasks.at(0);
    WaitFor([&] { return ScreenShot(p.control).At(first.right - 6, (first.top + first.bottom) / 2) == kTaskBackground; });
  }
  bool ready() const { return p.control != nullptr; }
  DWORD pid() { return run.process().pid(); }
  SIZE PaneSize() const {
    RECT r{};
    GetWindowRect(p.window, &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
  }

  Running run;
  Pane p;
  DWORD paneThread = 0, frameThread = 0;
};

std::string Stored(const std::string& ini, const char* key) { return IniValue(ini, kPaneSection, key); }

// Each way out, with dialogs open on the frame's thread, the pane's thread or both: the
// program ends with exit code 0, both placements are saved, and a frame dialog that closed
// on the way had its choice recorded as any closing does.
TEST(CloseRoads, TheProgramEndsWhateverIsOpen) {
  enum class Way { Salir, Exit, CloseBox };
  struct Case {
    const char* what;
    bool frameDialog, paneDialog;
    Way way;
    bool framePopup = false;  // the frame's "Recientes" popup open as well
    bool panePopup = false;   // the pane's "Recientes" popup open as well
  } cases[] = {
      {"Salir, frame dialog", true, false, Way::Salir},
      {"E&xit, pane dialog", false, true, Way::Exit},
      {"close box, pane dialog", false, true, Way::CloseBox},
      {"Salir, both dialogs", true, true, Way::Salir},
      {"Salir, frame popup", false, false, Way::Salir, true},
      {"E&xit, pane popup", false, false, Way::Exit, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    if (c.framePopup) WriteFileText(dir.File(kBrivane.frameFile), "[RECIENTES.]\r\nCampo_1=-10\r\nTexto_1=Recibos\r\n");
    if (c.panePopup)
      WriteFileText(dir.File(kPaneFile), "[RECIENTES.]\r\nEncab_1=1\r\nCampo_1=2\r\nTexto_1=Saldos\r\n");
    PaneProgram prog(dir.path());
    ASSERT_TRUE(prog.ready());
    const Rows rows = LayOut(prog.p.control, Groups{});
    if (c.panePopup) {
      Click(prog.p.control, rows.recientes);
      ASSERT_TRUE(WaitPopupMenu(prog.pid()));
    }
    if (c.paneDialog) {
      Click(prog.p.control, rows.comprobantesTasks.at(0));
      ASSERT_TRUE(WaitDialogOn(prog.pid(), prog.paneThread));
    }
    if (c.frameDialog) {
      ChooseMenuItem(prog.run.frame(), -7);  // "Facturas"
      ASSERT_TRUE(WaitDialogOn(prog.pid(), prog.frameThread));
      EXPECT_EQ(IniValue(prog.run.Recent(), "RECIENTES.", "Texto_1"), "") << "recorded only once it closes";
    }
    if (c.framePopup) {
      ChooseMenuItem(prog.run.frame(), -5);  // "Recientes"
      ASSERT_TRUE(WaitPopupMenu(prog.pid()));
    }
    switch (c.way) {
      case Way::Salir:
        Click(prog.p.control, rows.salir);
        break;
      case Way::Exit:
        ChooseMenuItem(prog.run.frame(), -4);
        break;
      case Way::CloseBox:
        CloseAsUser(prog.run.frame());
        break;
    }
    EXPECT_EQ(prog.run.process().Wait(15000), 0) << "ended with exit code 0";
    for (const char* section : {"Main", kPaneSection})
      for (const char* key : {"XPos", "YPos", "Width", "Height"})
        EXPECT_NE(IniValue(prog.run.Ini(), section, key), "") << section << " " << key;
    if (c.frameDialog || c.paneDialog) {
      EXPECT_NE(IniValue(prog.run.Ini(), "Mensaje", "Width"), "") << "the closed dialog saved its placement";
    }
    if (c.frameDialog) {
      EXPECT_EQ(IniValue(prog.run.Recent(), "RECIENTES.", "Texto_1"), "Facturas");
    }
    if (c.paneDialog) {
      EXPECT_EQ(Slot(dir.File(kPaneFile), "Texto_", 1), "Facturacion");
    }
  }
}

// Ctrl+F4 as real keys on the active pane, system commands and the "&Window" items leave
// the pane open, neither minimised nor maximised, at its size; the frame's closing still
// closes it and saves its placement.
TEST(CloseRoads, ThePaneClosesOnlyWithTheFrame) {
  TempDir dir;
  PaneProgram prog(dir.path());
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
  auto key = [](WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &in, sizeof in);
  };
  auto ctrlF4 = [&] {
    key(VK_CONTROL, false);
    key(VK_F4, false);
    key(VK_F4, true);
    key(VK_CONTROL, true);
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
    PaneProgram first(dir.path());
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
    PaneProgram small(dir.path());
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
    PaneProgram usual(dir.path());
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
  PaneProgram prog(dir.path());
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
