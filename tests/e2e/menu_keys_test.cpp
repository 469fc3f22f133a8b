// The frame's menu from the keyboard through the real programs, with real key presses and
// mouse clicks: Alt, F10 and Alt+letter enter and leave the menu wherever the keyboard focus
// is (Brivane's task pane on its own thread, the frame, a dialog of either thread), the menu
// answers its keys, and afterwards the frame still shows its choices and closes.
//
// A program that hangs fails here instead of hanging the run: every wait is bounded, and a
// program still running at the end of a case is killed.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>
#include <tuple>
#include <vector>

#include "e2e_support.h"
#include "pane_driver.h"

namespace {

using namespace e2e;
using namespace pane;

constexpr DWORD kStepMs = 5000;  // the longest a single key or click may take to show its effect

// Real input, as the user gives it: keys go to the foreground window, clicks through the cursor.
void Key(WORD vk, bool up) { SendKey(vk, up); }
void Tap(WORD vk) {
  Key(vk, false);
  Key(vk, true);
}
void AltWith(WORD vk) {
  Key(VK_MENU, false);
  Tap(vk);
  Key(VK_MENU, true);
}

// What the keyboard and the menus of a program's threads show now (the threads share one
// input state, so any of them tells).
struct InputState {
  ::HWND focus = nullptr;
  ::HWND menuOwner = nullptr;  // null outside menu mode
  bool dropdown = false;       // a menu window is shown
};

InputState StateOf(DWORD pid, DWORD thread) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  InputState s;
  if (!GetGUIThreadInfo(thread, &info)) return s;
  s.focus = info.hwndFocus;
  if (info.flags & (GUI_INMENUMODE | GUI_POPUPMENUMODE | GUI_SYSTEMMENUMODE)) s.menuOwner = info.hwndMenuOwner;
  for (::HWND h : TopWindows(pid))
    if (ClassOf(h) == "#32768") s.dropdown = true;
  return s;
}

// Where the menu stands after a key.
enum class Menu { Closed, Bar, Dropdown };
const char* Name(Menu m) { return m == Menu::Closed ? "closed" : m == Menu::Bar ? "on the bar" : "dropped down"; }

// One program run in a fresh directory (where `prepare` may put files first), with the frame
// (and Brivane's pane) found.
struct Program {
  explicit Program(const e2e::Program& program, const std::function<void(const TempDir&)>& prepare = {})
      : run(program, Prepared(dir, prepare)), brivane(program.threads > 1) {
    if (!run.frame()) return;
    frameThread = GetWindowThreadProcessId(run.frame(), nullptr);
    if (brivane) {
      pane = WaitPane(run.frame());
      if (!pane.control) return;
      const RECT first = LayOut(pane.control, Groups{}).comprobantesTasks.at(0);
      WaitFor([&] { return ScreenShot(pane.control).At(first.right - 6, (first.top + first.bottom) / 2) == kTaskBackground; });
    }
    ready = run.FrameRunning();
  }
  static const std::string& Prepared(const TempDir& dir, const std::function<void(const TempDir&)>& prepare) {
    if (prepare) prepare(dir);
    return dir.path();
  }
  DWORD pid() { return run.process().pid(); }
  InputState State() { return StateOf(pid(), frameThread); }

  // Waits until the frame's menu stands as `m` (owned by `owner`: the frame unless said).
  ::testing::AssertionResult MenuIs(Menu m, ::HWND owner = nullptr) {
    if (!owner) owner = run.frame();
    InputState s;
    auto matches = [&] {
      s = State();
      switch (m) {
        case Menu::Closed:
          return s.menuOwner == nullptr && !s.dropdown;
        case Menu::Bar:
          return s.menuOwner == owner && !s.dropdown;
        case Menu::Dropdown:
          return s.menuOwner == owner && s.dropdown;
      }
      return false;
    };
    if (WaitFor(matches, kStepMs)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the menu is not " << Name(m) << ": menu owner " << s.menuOwner
                                         << (s.dropdown ? ", a menu window shown" : "");
  }

  // Waits until the menu state has stayed the same for a second, and returns it.
  InputState Quiet() {
    InputState last = State();
    DWORD since = GetTickCount();
    WaitFor(
        [&] {
          const InputState now = State();
          if (now.menuOwner != last.menuOwner || now.dropdown != last.dropdown || now.focus != last.focus) {
            last = now;
            since = GetTickCount();
          }
          return GetTickCount() - since >= 1000;
        },
        20000);
    return last;
  }
  // Waits until the keyboard focus is in `dialog`.
  bool FocusIn(::HWND dialog) {
    return WaitFor([&] { return State().focus && GetAncestor(State().focus, GA_ROOT) == dialog; }, kStepMs);
  }
  // The screen point of a spot of the pane's control.
  POINT OnPane(POINT at) const {
    ClientToScreen(pane.control, &at);
    return at;
  }
  // A screen point of the pane's control where a click does nothing (below its groups).
  POINT PaneEmptySpot() const {
    RECT c{};
    GetClientRect(pane.control, &c);
    return OnPane(POINT{c.right / 2, c.bottom - 4});
  }
  // A screen point of the frame's empty MDI client area.
  POINT FrameEmptySpot() const {
    RECT c{};
    GetWindowRect(FindWindowExA(run.frame(), nullptr, "MDIClient", nullptr), &c);
    return POINT{c.right - 40, c.bottom - 40};
  }

  TempDir dir;
  Running run;
  bool brivane;
  Pane pane;
  DWORD frameThread = 0;
  bool ready = false;
};

// "Comprobantes" > "Facturas" with the keyboard from the menu bar with "&File" highlighted.
::testing::AssertionResult ChooseFacturasFromBar(Program& prog) {
  Tap(VK_RIGHT);  // "Recientes"
  Tap(VK_RIGHT);  // "Comprobantes"
  Tap(VK_DOWN);   // its menu drops down, "Facturas" first
  if (auto r = prog.MenuIs(Menu::Dropdown); !r) return r;
  Tap(VK_RETURN);
  return ::testing::AssertionSuccess();
}

// The program has ended and stored the placements of its windows.
void ExpectPlacementsSaved(Program& prog) {
  std::vector<const char*> sections{"Main"};
  if (prog.brivane) sections.push_back("Main_TaskPanel");
  for (const char* section : sections)
    EXPECT_NE(IniValue(prog.run.Ini(), section, "Width"), "") << "placement of " << section << " saved";
}

// The dialog of the frame's choice "Facturas" shows, closes with Escape, and the choice is
// recorded; then "E&xit" from the keyboard ends the program with exit code 0 and its
// placements saved.
void FacturasThenExit(Program& prog) {
  ::HWND dialog = WaitDialogOn(prog.pid(), prog.frameThread, kStepMs);
  ASSERT_TRUE(dialog) << "the choice shows its dialog";
  EXPECT_TRUE(Running::Shows(dialog, "Facturas"));
  ASSERT_TRUE(prog.FocusIn(dialog));
  Tap(VK_ESCAPE);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, kStepMs)) << "Escape closes the dialog";
  EXPECT_TRUE(WaitFor([&] { return IniValue(prog.run.Recent(), "RECIENTES.", "Texto_1") == "Facturas"; }, kStepMs));
  AltWith('F');
  ASSERT_TRUE(prog.MenuIs(Menu::Dropdown)) << "Alt+F drops the File menu";
  Tap('X');
  EXPECT_EQ(prog.run.process().Wait(15000), 0) << "E&xit ends the program";
  ExpectPlacementsSaved(prog);
}

// Where the keyboard focus is before the keys: as the program starts, after a real click, or
// in a dialog of either thread (the pane's opened by a real click on a task, the frame's chosen
// with the keyboard).
enum class Place { StartUp, PaneClick, FrameClick, FrameDialog, PaneDialog };

struct Where {
  const e2e::Program* program;
  Place place;
};

constexpr const char* kPlaceNames[] = {"StartUp", "PaneClick", "FrameClick", "FrameDialog", "PaneDialog"};
void PrintTo(const Where& w, std::ostream* os) { *os << w.program->exe << " " << kPlaceNames[static_cast<int>(w.place)]; }

// Brings the focus to the place; returns the dialog for a dialog's place (null when it did not
// open), else the frame.
::HWND Reach(Program& prog, Place place) {
  DWORD thread = prog.frameThread;
  switch (place) {
    case Place::StartUp:
      return prog.run.frame();
    case Place::PaneClick:
      ClickScreen(prog.PaneEmptySpot());
      Settle(prog.pane.control);
      return prog.run.frame();
    case Place::FrameClick:
      ClickScreen(prog.FrameEmptySpot());
      Settle(prog.run.frame());
      return prog.run.frame();
    case Place::PaneDialog:
      ClickScreen(prog.OnPane(Centre(LayOut(prog.pane.control, Groups{}).comprobantesTasks.at(0))));  // "Facturacion"
      thread = GetWindowThreadProcessId(prog.pane.window, nullptr);
      break;
    case Place::FrameDialog:
      Tap(VK_F10);
      if (!prog.MenuIs(Menu::Bar) || !ChooseFacturasFromBar(prog)) return nullptr;
      break;
  }
  ::HWND dialog = WaitDialogOn(prog.pid(), thread, kStepMs);
  return dialog && prog.FocusIn(dialog) ? dialog : nullptr;
}

// A key sequence: each step is a key (or Alt with a key, or a real click on the frame's empty
// MDI client area) and where the menu stands after it.
constexpr WORD kClickAway = 0;
struct Step {
  WORD vk;
  bool withAlt;
  Menu after;
};
void Press(Program& prog, const Step& step) {
  if (step.vk == kClickAway) ClickScreen(prog.FrameEmptySpot());
  else if (step.withAlt) AltWith(step.vk);
  else Tap(step.vk);
}
struct Sequence {
  const char* name;
  std::vector<Step> steps;
};

void PrintTo(const Sequence& s, std::ostream* os) { *os << s.name; }

const std::vector<Sequence> kSequences = {
    {"Alt", {{VK_MENU, false, Menu::Bar}}},
    {"F10", {{VK_F10, false, Menu::Bar}}},
    {"Alt then Escape", {{VK_MENU, false, Menu::Bar}, {VK_ESCAPE, false, Menu::Closed}}},
    {"F10 then arrows and Escape",
     {{VK_F10, false, Menu::Bar},
      {VK_RIGHT, false, Menu::Bar},
      {VK_RIGHT, false, Menu::Bar},
      {VK_DOWN, false, Menu::Dropdown},
      {VK_DOWN, false, Menu::Dropdown},
      {VK_ESCAPE, false, Menu::Bar},
      {VK_ESCAPE, false, Menu::Closed}}},
    {"Alt+F then Escape twice",
     {{'F', true, Menu::Dropdown}, {VK_ESCAPE, false, Menu::Bar}, {VK_ESCAPE, false, Menu::Closed}}},
    {"Alt twice", {{VK_MENU, false, Menu::Bar}, {VK_MENU, false, Menu::Closed}}},
    {"Alt+Space then Escape twice",
     {{VK_SPACE, true, Menu::Dropdown}, {VK_ESCAPE, false, Menu::Bar}, {VK_ESCAPE, false, Menu::Closed}}},
    {"F10 then a click away",
     {{VK_F10, false, Menu::Bar}, {VK_DOWN, false, Menu::Dropdown}, {kClickAway, false, Menu::Closed}}},
};

class MenuKeys : public ::testing::TestWithParam<std::tuple<Where, Sequence>> {};

// The keys enter and leave the frame's menu, the keyboard focus is where it was once the menu
// has closed, and a choice from the keyboard shows its dialog.
TEST_P(MenuKeys, EnterAndLeaveTheFramesMenu) {
  const auto& [where, sequence] = GetParam();
  Program prog(*where.program);
  ASSERT_TRUE(prog.ready);
  ASSERT_TRUE(Reach(prog, where.place));
  const ::HWND focus = prog.State().focus;
  for (const Step& step : sequence.steps) {
    Press(prog, step);
    ASSERT_TRUE(prog.MenuIs(step.after)) << "after key " << step.vk;
  }
  if (sequence.steps.back().after == Menu::Closed) {
    EXPECT_EQ(prog.State().focus, focus) << "the keyboard focus is back where it was";
    Tap(VK_F10);
    ASSERT_TRUE(prog.MenuIs(Menu::Bar));
  }
  ASSERT_TRUE(ChooseFacturasFromBar(prog));
  FacturasThenExit(prog);
}

const Where kPlaces[] = {{&kBrivane, Place::StartUp},
                         {&kBrivane, Place::PaneClick},
                         {&kBrivane, Place::FrameClick},
                         {&kCaldrel, Place::StartUp},
                         {&kCaldrel, Place::FrameClick}};

// Test names such as "Brivane_PaneClick_F10_then_arrows_and_Escape".
std::string CaseName(const ::testing::TestParamInfo<MenuKeys::ParamType>& info) {
  const auto& [where, sequence] = info.param;
  std::string name = where.program->exe.substr(0, where.program->exe.find('.')) + "_" +
                     kPlaceNames[static_cast<int>(where.place)] + "_" + sequence.name;
  for (char& c : name)
    if (!isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(Places, MenuKeys, ::testing::Combine(::testing::ValuesIn(kPlaces), ::testing::ValuesIn(kSequences)),
                         CaseName);

// A program run with the focus brought to the place of the case; `reached` is the dialog for a
// dialog's place, else the frame.
class AtPlace : public ::testing::TestWithParam<Where> {
 protected:
  void SetUp() override {
    started = std::make_unique<Program>(*GetParam().program);
    ASSERT_TRUE(started->ready);
    reached = Reach(*started, GetParam().place);
    ASSERT_TRUE(reached);
  }
  std::unique_ptr<Program> started;
  ::HWND reached = nullptr;
};

// Keys typed ahead, all sent at once before the program has handled the first: none is lost
// while the menu starts on the frame's thread. Alt and Escape leave the menu closed; F10,
// the arrows and Enter reach "Comprobantes" > "Facturas".
class TypedAhead : public AtPlace {};

TEST_P(TypedAhead, NoKeyIsLostWhileTheMenuStarts) {
  Program& prog = *started;
  Tap(VK_MENU);
  Tap(VK_ESCAPE);
  ASSERT_TRUE(prog.MenuIs(Menu::Closed));
  Pump(500);
  ASSERT_TRUE(prog.MenuIs(Menu::Closed)) << "Escape was not lost";
  for (WORD vk : {VK_F10, VK_RIGHT, VK_RIGHT, VK_DOWN, VK_RETURN}) Tap(vk);
  FacturasThenExit(prog);
}

INSTANTIATE_TEST_SUITE_P(Places, TypedAhead, ::testing::ValuesIn(kPlaces));

// Alt+F4 closes the frame from wherever the focus is, as "E&xit" does.
class AltF4 : public AtPlace {};

TEST_P(AltF4, EndsTheProgram) {
  Program& prog = *started;
  AltWith(VK_F4);
  EXPECT_EQ(prog.run.process().Wait(15000), 0);
  ExpectPlacementsSaved(prog);
}

INSTANTIATE_TEST_SUITE_P(Places, AltF4, ::testing::ValuesIn(kPlaces));

// A dialog of either thread with the keyboard focus in it: it has no menu bar, so Alt and F10
// act on its own system menu and Escape leaves that again; Alt+F finds nothing. The dialog
// then closes with Escape, its choice is recorded, and the frame still answers its menu.
class DialogKeys : public AtPlace {};

TEST_P(DialogKeys, MenuKeysInADialogDoNoHarm) {
  Program& prog = *started;
  const ::HWND dialog = reached;
  const ::HWND focus = prog.State().focus;
  const Step steps[] = {{VK_MENU, false, Menu::Bar}, {VK_ESCAPE, false, Menu::Closed}, {VK_F10, false, Menu::Bar},
                        {VK_ESCAPE, false, Menu::Closed}, {'F', true, Menu::Closed}};
  for (const Step& step : steps) {
    Press(prog, step);
    ASSERT_TRUE(prog.MenuIs(step.after, dialog)) << "after key " << step.vk;
  }
  EXPECT_EQ(prog.State().focus, focus);
  ASSERT_TRUE(IsWindow(dialog));
  Tap(VK_ESCAPE);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, kStepMs)) << "Escape closes the dialog";
  if (GetParam().place == Place::PaneDialog) {
    EXPECT_TRUE(WaitFor([&] { return Slot(prog.dir.File(kPaneFile), "Texto_", 1) == "Facturacion"; }, kStepMs));
  } else {
    EXPECT_TRUE(WaitFor([&] { return IniValue(prog.run.Recent(), "RECIENTES.", "Texto_1") == "Facturas"; }, kStepMs));
  }
  Tap(VK_F10);
  ASSERT_TRUE(prog.MenuIs(Menu::Bar));
  ASSERT_TRUE(ChooseFacturasFromBar(prog));
  FacturasThenExit(prog);
}

INSTANTIATE_TEST_SUITE_P(Dialogs, DialogKeys,
                         ::testing::Values(Where{&kBrivane, Place::FrameDialog}, Where{&kBrivane, Place::PaneDialog},
                                           Where{&kCaldrel, Place::FrameDialog}));

// "Recientes" from the keyboard: the frame's popup opened from its menu bar with F10, and the
// pane's popup opened by a real click, each chosen with the arrow keys and Enter.
struct PopupCase {
  const e2e::Program* program;
  bool pane;
};
void PrintTo(const PopupCase& c, std::ostream* os) { *os << c.program->exe << (c.pane ? ", the pane's popup" : ", the frame's popup"); }

class PopupKeys : public ::testing::TestWithParam<PopupCase> {};

TEST_P(PopupKeys, RecientesTakesTheKeyboard) {
  const PopupCase& c = GetParam();
  Program prog(*c.program, [&](const TempDir& dir) {
    WriteFileText(dir.File(c.program->frameFile), "[RECIENTES.]\r\nCampo_1=-10\r\nTexto_1=Recibos\r\n");
    WriteFileText(dir.File(kPaneFile), "[RECIENTES.]\r\nEncab_1=1\r\nCampo_1=2\r\nTexto_1=Saldos\r\n");
  });
  ASSERT_TRUE(prog.ready);
  DWORD thread = prog.frameThread;
  if (c.pane) {
    ClickScreen(prog.OnPane(Centre(LayOut(prog.pane.control, Groups{}).recientes)));
    thread = GetWindowThreadProcessId(prog.pane.window, nullptr);
  } else {
    Tap(VK_F10);
    ASSERT_TRUE(prog.MenuIs(Menu::Bar));
    Tap(VK_RIGHT);  // "Recientes"
    Tap(VK_RETURN);
  }
  ::HWND menu = WaitPopupMenu(prog.pid(), kStepMs);
  ASSERT_TRUE(menu);
  EXPECT_EQ(GetWindowThreadProcessId(menu, nullptr), thread);
  // The popup's loop runs (its window shows a moment before).
  ASSERT_TRUE(WaitFor([&] { return prog.State().menuOwner != nullptr; }, kStepMs));
  Tap(VK_DOWN);
  Tap(VK_RETURN);
  ::HWND dialog = WaitDialogOn(prog.pid(), thread, kStepMs);
  ASSERT_TRUE(dialog) << "the chosen item shows its dialog";
  EXPECT_TRUE(Running::Shows(dialog, c.pane ? "Saldos" : "Recibos"));
  CloseAsUser(dialog);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, kStepMs));
  EXPECT_EQ(prog.run.Exit(), 0);
}

INSTANTIATE_TEST_SUITE_P(Popups, PopupKeys,
                         ::testing::Values(PopupCase{&kBrivane, false}, PopupCase{&kBrivane, true},
                                           PopupCase{&kCaldrel, false}));

// A flood of 100 presses of Alt, F10 and Escape, mixed, sent at once wherever the focus is:
// the program never freezes, the frame still shows its choices, and "E&xit" ends it with
// exit code 0 and its placements saved.
class Flood : public AtPlace {};

TEST_P(Flood, HundredMenuKeysNeverFreeze) {
  Program& prog = *started;
  std::mt19937 random(static_cast<unsigned>(GetParam().place) * 2 + prog.brivane);
  const WORD keys[] = {VK_MENU, VK_F10, VK_ESCAPE};
  for (int n = 0; n < 100; ++n) Tap(keys[random() % 3]);
  // Once the program has taken them all (its menu state stays as it is), Escape leaves any
  // menu left open.
  for (int tries = 0; tries < 10 && prog.Quiet().menuOwner; ++tries) Tap(VK_ESCAPE);
  ASSERT_TRUE(prog.MenuIs(Menu::Closed, prog.run.frame()));
  for (::HWND h : TopWindows(prog.pid()))
    if (WindowText(h) == "Caption") CloseAsUser(h);
  ASSERT_TRUE(WaitFor([&] { return DialogsOpen(prog.pid()) == 0; }, kStepMs));
  ChooseMenuItem(prog.run.frame(), -7);
  ::HWND dialog = WaitDialogOn(prog.pid(), prog.frameThread, kStepMs);
  ASSERT_TRUE(dialog) << "the frame answers its menu";
  EXPECT_TRUE(Running::Shows(dialog, "Facturas"));
  CloseAsUser(dialog);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, kStepMs));
  EXPECT_EQ(prog.run.Exit(), 0);
  ExpectPlacementsSaved(prog);
}

INSTANTIATE_TEST_SUITE_P(Places, Flood,
                         ::testing::Values(Where{&kBrivane, Place::StartUp}, Where{&kBrivane, Place::PaneClick},
                                           Where{&kBrivane, Place::FrameDialog}, Where{&kBrivane, Place::PaneDialog},
                                           Where{&kCaldrel, Place::StartUp}, Where{&kCaldrel, Place::FrameDialog}));

}  // namespace
