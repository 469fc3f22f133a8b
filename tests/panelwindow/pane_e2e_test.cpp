// Brivane's task-panel window through the real program: a fixed tool pane on a thread of its
// own beside the frame, its four groups, and what clicks on its rows do.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>

#include "e2e_support.h"
#include "pane_driver.h"

namespace {

using namespace e2e;
using namespace pane;

class PaneRun : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NO_FATAL_FAILURE(Start()); }

  void Start() {
    run = std::make_unique<Running>(kBrivane, dir.path());
    ASSERT_TRUE(run->frame());
    p = WaitPane(run->frame());
    ASSERT_TRUE(p.control) << "no \"ToolBar\" child with its panel control";
    paneThread = GetWindowThreadProcessId(p.window, nullptr);
    frameThread = GetWindowThreadProcessId(run->frame(), nullptr);
    // Painted: the first task row of the open "Comprobantes" shows the task background.
    const Rows rows = LayOut(p.control, Groups{});
    const RECT first = rows.comprobantesTasks.at(0);
    COLORREF seen = 0;
    ASSERT_TRUE(WaitFor([&] {
      return (seen = ScreenShot(p.control).At(first.right - 6, (first.top + first.bottom) / 2)) == kTaskBackground;
    })) << std::hex << seen << " at " << std::dec << first.right - 6 << "," << (first.top + first.bottom) / 2;
  }
  void Stop() {
    EXPECT_EQ(run->Exit(), 0);
    run.reset();
  }
  DWORD pid() const { return run->process().pid(); }
  // Clicks the "Comprobantes" tasks at these places in turn and closes each one's dialog;
  // the active task of `groups` follows the clicks.
  void ClickTasks(Groups& groups, std::initializer_list<int> places) {
    for (int t : places) {
      Click(p.control, LayOut(p.control, groups).comprobantesTasks.at(t));
      groups.active = kComprobantesTasks[t];
      ::HWND dialog = WaitDialogOn(pid(), paneThread);
      ASSERT_TRUE(dialog);
      CloseAsUser(dialog);
      ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
    }
  }
  std::string PaneFile() const { return dir.File(kPaneFile); }
  ScreenShot Shot() {
    MoveAway(p.control);
    Settle(p.control);
    return ScreenShot(p.control);
  }

  TempDir dir;
  std::unique_ptr<Running> run;
  Pane p;
  DWORD paneThread = 0, frameThread = 0;
};

TEST_F(PaneRun, IsAFixedToolPaneOnItsOwnThread) {
  EXPECT_NE(paneThread, frameThread) << "the pane runs on a thread of its own";
  EXPECT_EQ(GetParent(p.window), p.client);
  EXPECT_EQ(WindowText(p.window), "ToolBar");
  const LONG style = GetWindowLongA(p.window, GWL_STYLE);
  EXPECT_TRUE((style & WS_CAPTION) == WS_CAPTION) << "a title bar";
  EXPECT_FALSE(style & WS_SYSMENU) << "no system menu, so no close button";
  EXPECT_FALSE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME) << "a thin border that does not size";
  // The title bar is where it can be taken to move it.
  RECT w{};
  GetWindowRect(p.window, &w);
  DWORD_PTR hit = 0;
  SendMessageTimeoutA(p.window, WM_NCHITTEST, 0, MAKELPARAM((w.left + w.right) / 2, w.top + GetSystemMetrics(SM_CYCAPTION) / 2),
                      SMTO_NORMAL, 5000, &hit);
  EXPECT_EQ(hit, static_cast<DWORD_PTR>(HTCAPTION));
  // At the top left of the frame's client area. Its sizes are dialog units of its font,
  // "MS Sans Serif" 8: a client area of 89 by 228 units, and the control at x -1, y 0, 91 by
  // 227 units, one unit past the left and right edges and one unit short of the bottom.
  POINT origin{w.left, w.top};
  ScreenToClient(p.client, &origin);
  EXPECT_EQ(origin.x, 0);
  EXPECT_EQ(origin.y, 0);
  const DialogUnits du("MS Sans Serif", 8);
  ASSERT_TRUE(du.valid());
  RECT pane{}, control{};
  GetClientRect(p.window, &pane);
  EXPECT_EQ(pane.right, du.X(89));
  EXPECT_EQ(pane.bottom, du.Y(228));
  GetWindowRect(p.control, &control);
  MapWindowPoints(nullptr, p.window, reinterpret_cast<POINT*>(&control), 2);
  EXPECT_EQ(control.left, du.X(-1));
  EXPECT_EQ(control.top, 0);
  EXPECT_EQ(control.right - control.left, du.X(91));
  EXPECT_EQ(control.bottom - control.top, du.Y(227));
  // The strip under the control shows the window's own background, the panel's colour.
  MoveAway(p.control);
  Settle(p.control);
  const ScreenShot shot(p.window);
  const RECT strip{0, control.bottom, pane.right, pane.bottom};
  ASSERT_GT(strip.bottom, strip.top);
  EXPECT_EQ(CountColour(shot, strip, 0x00E6A07A), (strip.right - strip.left) * (strip.bottom - strip.top));

  // Escape, to the pane and to its panel, leaves it open.
  for (::HWND to : {p.window, p.control}) {
    PostMessageA(to, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageA(to, WM_KEYUP, VK_ESCAPE, 0xC0010001);
  }
  Settle(p.control);
  Pump(300);
  EXPECT_TRUE(IsWindow(p.window));
  EXPECT_TRUE(IsWindowVisible(p.window));
  Stop();
}

// What the pane shows at the start: "Recientes", "Comprobantes" open with its four tasks,
// "Informes" and "Salir" closed, each group with its icon.
TEST_F(PaneRun, ShowsTheFourGroupsWithTheirTasksAndIcons) {
  const Rows rows = LayOut(p.control, Groups{});
  const ScreenShot shot = Shot();
  // Header bars: white titles on the blue bars, the style-1 bar of "Comprobantes" light
  // with its title in the header text colour.
  for (const RECT& bar : {rows.recientes, rows.informes, rows.salir})
    EXPECT_GT(CountColour(shot, bar, RGB(255, 255, 255)), 20) << bar.top;
  EXPECT_GT(CountColour(shot, rows.comprobantes, 0x00C75C22, 40), 20);
  // Task rows: the tasks' background and their titles in the task colour, each row with its
  // 16-pixel voucher icon (green stamp) at its left.
  ASSERT_EQ(rows.comprobantesTasks.size(), 4u);
  for (const RECT& row : rows.comprobantesTasks) {
    SCOPED_TRACE(row.top);
    EXPECT_EQ(shot.At(row.right - 6, (row.top + row.bottom) / 2), kTaskBackground);
    EXPECT_GT(CountColour(shot, RECT{row.left + 25, row.top, row.right, row.bottom}, kTaskText, 40), 10);
    EXPECT_GT(CountColour(shot, RECT{row.left, row.top, row.left + 24, row.bottom}, RGB(40, 150, 70), 30), 0);
  }
  // "Informes" and "Salir" are closed: right under their bars lies the panel's background,
  // not a box of tasks.
  for (const RECT& bar : {rows.informes, rows.salir}) {
    const RECT below{bar.left + 40, bar.bottom + 6, bar.right - 10, bar.bottom + 8};
    EXPECT_EQ(CountColour(shot, below, kTaskBackground), 0) << bar.top;
  }
  // Group icons stand 8 pixels above their bars at the left: the voucher (its white sheet
  // and green stamp), the report (its orange and blue bars), the red exit disc.
  auto iconArea = [](const RECT& bar) { return RECT{bar.left, bar.top - 8, bar.left + 32, bar.top + 24}; };
  EXPECT_GT(CountColour(shot, iconArea(rows.comprobantes), RGB(40, 150, 70), 30), 4);
  EXPECT_GT(CountColour(shot, iconArea(rows.informes), RGB(240, 170, 40), 30), 4);
  EXPECT_GT(CountColour(shot, iconArea(rows.informes), RGB(50, 140, 210), 30), 4);
  EXPECT_GT(CountColour(shot, iconArea(rows.salir), RGB(215, 45, 40), 30), 50);
  // "Recientes" has no icon: its title starts near the bar's left edge.
  EXPECT_EQ(CountColour(shot, iconArea(rows.recientes), RGB(215, 45, 40), 30), 0);
  Stop();
}

TEST_F(PaneRun, ATaskIsRecordedBeforeItsDialogWhichLeavesTheFrameWorking) {
  const Rows rows = LayOut(p.control, Groups{});
  const RECT facturacion = rows.comprobantesTasks.at(0);
  const RECT title{facturacion.left + 22, facturacion.top, facturacion.right, facturacion.bottom};
  const int textBefore = CountColour(Shot(), title, kTaskText, 60);

  Click(p.control, facturacion);
  ::HWND dialog = WaitDialogOn(pid(), paneThread);
  ASSERT_TRUE(dialog) << "the dialog runs on the pane's thread";
  EXPECT_TRUE(Running::Shows(dialog, "Facturacion"));
  // Recorded already, while the dialog is open.
  EXPECT_EQ(Slot(PaneFile(), "Texto_", 1), "Facturacion");
  const std::string campo = Slot(PaneFile(), "Campo_", 1), encab = Slot(PaneFile(), "Encab_", 1);
  EXPECT_GT(std::atol(campo.c_str()), 0);
  EXPECT_GT(std::atol(encab.c_str()), 0);
  EXPECT_NE(campo, encab);

  // The frame's menu works meanwhile: its own dialog opens on its own thread and is recorded
  // in the frame's file.
  ChooseMenuItem(run->frame(), -7);
  ::HWND frameDialog = WaitDialogOn(pid(), frameThread);
  ASSERT_TRUE(frameDialog);
  EXPECT_TRUE(Running::Shows(frameDialog, "Facturas"));
  CloseAsUser(frameDialog);
  ASSERT_TRUE(WaitFor([&] { return IniValue(run->Recent(), kSection, "Texto_1") == "Facturas"; }));
  EXPECT_TRUE(IsWindow(dialog));

  CloseAsUser(dialog);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
  // Drawn as the active task now: its title in bold takes more pixels of the task colour.
  const int textAfter = CountColour(Shot(), title, kTaskText, 60);
  EXPECT_GT(textAfter, textBefore + textBefore / 8) << textBefore << " -> " << textAfter;

  // A second task: slot 1, the first moves down; the same task again stays one entry.
  Click(p.control, LayOut(p.control, Groups{true, false, false, "Facturacion"}).comprobantesTasks.at(2));
  dialog = WaitDialogOn(pid(), paneThread);
  ASSERT_TRUE(dialog);
  EXPECT_TRUE(Running::Shows(dialog, "Otros Pagos"));
  EXPECT_EQ(Slot(PaneFile(), "Texto_", 1), "Otros Pagos");
  EXPECT_EQ(Slot(PaneFile(), "Texto_", 2), "Facturacion");
  EXPECT_EQ(Slot(PaneFile(), "Campo_", 2), campo);
  CloseAsUser(dialog);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
  Click(p.control, LayOut(p.control, Groups{true, false, false, "Otros Pagos"}).comprobantesTasks.at(2));
  dialog = WaitDialogOn(pid(), paneThread);
  ASSERT_TRUE(dialog);
  CloseAsUser(dialog);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
  EXPECT_EQ(Slot(PaneFile(), "Texto_", 1), "Otros Pagos");
  EXPECT_EQ(Slot(PaneFile(), "Texto_", 2), "Facturacion");
  EXPECT_EQ(Slot(PaneFile(), "Texto_", 3), "");
  Stop();
}

// The group's box under a header: task background right under the bar.
bool BoxUnder(const ScreenShot& shot, const RECT& bar) {
  return CountColour(shot, RECT{bar.left + 40, bar.bottom + 7, bar.right - 10, bar.bottom + 9}, kTaskBackground) > 20;
}

TEST_F(PaneRun, HeaderClicksOpenAndCloseTheirGroups) {
  Groups open;
  // "Informes" opens below the open "Comprobantes", then "Comprobantes" closes and
  // "Informes" moves up, then both come back to the start.
  struct Step {
    const char* header;
    Groups after;
  } steps[] = {{"Informes", {true, true, false, ""}},
               {"Comprobantes", {false, true, false, ""}},
               {"Informes", {false, false, false, ""}},
               {"Comprobantes", {true, false, false, ""}}};
  for (const Step& s : steps) {
    SCOPED_TRACE(s.header);
    const Rows before = LayOut(p.control, open);
    Click(p.control, std::string(s.header) == "Informes" ? before.informes : before.comprobantes);
    open = s.after;
    const Rows rows = LayOut(p.control, open);
    const ScreenShot shot = Shot();
    EXPECT_EQ(BoxUnder(shot, rows.comprobantes), open.comprobantes);
    EXPECT_EQ(BoxUnder(shot, rows.informes), open.informes);
    for (const RECT& row : rows.informesTasks)
      EXPECT_GT(CountColour(shot, RECT{row.left + 25, row.top, row.right, row.bottom}, kTaskText, 40), 5);
    // Header clicks show nothing and record nothing.
    EXPECT_EQ(DialogsOpen(pid()), 0);
  }
  // "Recientes" with nothing stored: no popup, nothing shown, and the group stays closed.
  const Rows rows = LayOut(p.control, open);
  Click(p.control, rows.recientes);
  Settle(p.control);
  EXPECT_EQ(DialogsOpen(pid()), 0);
  EXPECT_FALSE(BoxUnder(Shot(), rows.recientes));
  EXPECT_FALSE(FileExists(PaneFile()));

  // An "Informes" task, once its group is open (and drawn: clicks hit what was painted).
  Click(p.control, rows.informes);
  Settle(p.control);
  const Rows withInformes = LayOut(p.control, Groups{true, true, false, ""});
  Click(p.control, withInformes.informesTasks.at(1));
  ::HWND dialog = WaitDialogOn(pid(), paneThread);
  ASSERT_TRUE(dialog);
  EXPECT_TRUE(Running::Shows(dialog, "Saldos"));
  EXPECT_EQ(Slot(PaneFile(), "Texto_", 1), "Saldos");
  CloseAsUser(dialog);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
  Stop();
}

TEST_F(PaneRun, RecientesPopsUpTheStoredTitlesAndReplaysTheChosenTask) {
  // Three tasks, newest last: "Imputaciones", "Pagos", "Facturacion" in slots 1 to 3.
  Groups groups;
  ASSERT_NO_FATAL_FAILURE(ClickTasks(groups, {0, 1, 3}));
  ASSERT_EQ(Slot(PaneFile(), "Texto_", 1), "Imputaciones");
  ASSERT_EQ(Slot(PaneFile(), "Texto_", 2), "Pagos");
  ASSERT_EQ(Slot(PaneFile(), "Texto_", 3), "Facturacion");
  const std::string pagosCampo = Slot(PaneFile(), "Campo_", 2);
  const Rows rows = LayOut(p.control, groups);

  // Dismissed: nothing shown, nothing written.
  const std::string before = ReadFileText(PaneFile());
  Click(p.control, rows.recientes);
  ::HWND menu = WaitPopupMenu(pid());
  ASSERT_TRUE(menu);
  EXPECT_EQ(GetWindowThreadProcessId(menu, nullptr), paneThread);
  PickPopupItem(menu, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(menu); }));
  Settle(p.control);
  EXPECT_EQ(DialogsOpen(pid()), 0);
  EXPECT_EQ(ReadFileText(PaneFile()), before);

  // Item n is slot n: item 2 replays "Pagos", recorded as slot 1 before its dialog opens.
  Click(p.control, rows.recientes);
  menu = WaitPopupMenu(pid());
  ASSERT_TRUE(menu);
  PickPopupItem(menu, 2);
  ::HWND dialog = WaitDialogOn(pid(), paneThread);
  ASSERT_TRUE(dialog);
  EXPECT_TRUE(Running::Shows(dialog, "Pagos"));
  EXPECT_EQ(Slot(PaneFile(), "Texto_", 1), "Pagos");
  EXPECT_EQ(Slot(PaneFile(), "Campo_", 1), pagosCampo);
  EXPECT_EQ(Slot(PaneFile(), "Texto_", 2), "Imputaciones");
  EXPECT_EQ(Slot(PaneFile(), "Texto_", 3), "Facturacion");
  CloseAsUser(dialog);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));

  // Item 3 is now "Facturacion".
  Click(p.control, rows.recientes);
  menu = WaitPopupMenu(pid());
  ASSERT_TRUE(menu);
  PickPopupItem(menu, 3);
  dialog = WaitDialogOn(pid(), paneThread);
  ASSERT_TRUE(dialog);
  EXPECT_TRUE(Running::Shows(dialog, "Facturacion"));
  EXPECT_EQ(Slot(PaneFile(), "Texto_", 1), "Facturacion");
  CloseAsUser(dialog);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
  // The group "Recientes" never opened.
  EXPECT_FALSE(BoxUnder(Shot(), rows.recientes));
  Stop();
}

// A second run draws new ids: the slots whose titles are task titles are bound to them, so a
// replay reaches the task; the other slots stay exactly as they were.
TEST_F(PaneRun, ASecondRunRebindsTheStoredTasksToItsIds) {
  const Rows rows = LayOut(p.control, Groups{});
  Click(p.control, rows.comprobantesTasks.at(1));  // "Pagos"
  ::HWND dialog = WaitDialogOn(pid(), paneThread);
  ASSERT_TRUE(dialog);
  CloseAsUser(dialog);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
  const std::string oldEncab = Slot(PaneFile(), "Encab_", 1), oldCampo = Slot(PaneFile(), "Campo_", 1);
  Stop();

  // Add, by hand, a tooltip text (not a title), a title with trailing blanks in quotes, the
  // same title twice, and keys beyond the slots.
  WriteFileText(PaneFile(),
                "[RECIENTES.]\r\nEncab_1=" + oldEncab + "\r\nCampo_1=" + oldCampo +
                    "\r\nTexto_1=Pagos\r\n"
                    "Encab_2=777\r\nCampo_2=888\r\nTexto_2=Saldos de Proveedores\r\n"
                    "Encab_3=5\r\nCampo_3=6\r\nTexto_3=\"Saldos   \"\r\n"
                    "Encab_4=7\r\nCampo_4=8\r\nTexto_4=Pagos\r\n"
                    "Encab_21=9\r\nCampo_21=10\r\nTexto_21=Saldos\r\n"
                    "Encab_101=11\r\nCampo_101=12\r\nTexto_101=Saldos\r\n");
  ASSERT_NO_FATAL_FAILURE(Start());
  const std::string file = PaneFile();
  EXPECT_NE(Slot(file, "Campo_", 1), oldCampo) << "ids are drawn anew in every run";
  EXPECT_NE(Slot(file, "Encab_", 1), oldEncab);
  EXPECT_EQ(Slot(file, "Encab_", 4), Slot(file, "Encab_", 1));
  EXPECT_EQ(Slot(file, "Campo_", 4), Slot(file, "Campo_", 1));
  EXPECT_EQ(Slot(file, "Encab_", 2), "777");
  EXPECT_EQ(Slot(file, "Campo_", 2), "888");
  EXPECT_NE(Slot(file, "Campo_", 3), "6");
  EXPECT_NE(Slot(file, "Encab_", 3), Slot(file, "Encab_", 1)) << "\"Saldos\" is an \"Informes\" task";
  EXPECT_EQ(Slot(file, "Encab_", 21), "9");
  EXPECT_EQ(Slot(file, "Campo_", 101), "12");
  EXPECT_EQ(Slot(file, "Texto_", 2), "Saldos de Proveedores");

  // The popup's third item replays "Saldos" through its new ids.
  Click(p.control, LayOut(p.control, Groups{}).recientes);
  ::HWND menu = WaitPopupMenu(pid());
  ASSERT_TRUE(menu);
  PickPopupItem(menu, 3);
  dialog = WaitDialogOn(pid(), paneThread);
  ASSERT_TRUE(dialog);
  EXPECT_TRUE(Running::Shows(dialog, "Saldos"));
  CloseAsUser(dialog);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
  // A slot whose ids name nothing now: choosing it changes nothing and shows nothing.
  const std::string before = ReadFileText(PaneFile());
  Click(p.control, LayOut(p.control, Groups{}).recientes);
  menu = WaitPopupMenu(pid());
  ASSERT_TRUE(menu);
  PickPopupItem(menu, 3);  // "Saldos de Proveedores" is slot 3 now
  ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(menu); }));
  Settle(p.control);
  EXPECT_EQ(DialogsOpen(pid()), 0);
  EXPECT_EQ(ReadFileText(PaneFile()), before);
  Stop();
}

// The titles stored in slots 1 to 20 that appear in more than one slot.
std::vector<std::string> TitlesStoredTwice(const std::string& file) {
  std::vector<std::string> seen, twice;
  for (int n = 1; n <= 20; ++n) {
    const std::string title = Slot(file, "Texto_", n);
    if (title.empty()) continue;
    if (std::find(seen.begin(), seen.end(), title) != seen.end()) twice.push_back(title);
    seen.push_back(title);
  }
  return twice;
}

// Two runs in one folder: the second re-binds the stored tasks to its own ids at its start.
// The first still reaches them by their titles and records them under its own ids, whether
// chosen from "Recientes" or clicked, so no title is stored twice.
TEST_F(PaneRun, TwoRunsInOneFolderKeepOneEntryPerTitle) {
  Groups groups;
  ASSERT_NO_FATAL_FAILURE(ClickTasks(groups, {0, 1}));  // "Facturacion", then "Pagos"
  const std::string file = PaneFile();
  ASSERT_EQ(Slot(file, "Texto_", 1), "Pagos");
  const std::string encab = Slot(file, "Encab_", 1), pagos = Slot(file, "Campo_", 1),
                    facturacion = Slot(file, "Campo_", 2);

  Running second(kBrivane, dir.path());
  ASSERT_TRUE(second.frame());
  ASSERT_TRUE(WaitPane(second.frame()).control);
  ASSERT_TRUE(WaitFor([&] { return Slot(file, "Campo_", 1) != pagos && Slot(file, "Campo_", 2) != facturacion; }))
      << "the second run re-binds the stored tasks at its start";

  // A click on "Facturacion" in the first run, whose slot holds the second run's ids now.
  Click(p.control, LayOut(p.control, groups).comprobantesTasks.at(0));
  groups.active = "Facturacion";
  ::HWND dialog = WaitDialogOn(pid(), paneThread);
  ASSERT_TRUE(dialog);
  EXPECT_TRUE(Running::Shows(dialog, "Facturacion"));
  CloseAsUser(dialog);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
  EXPECT_EQ(Slot(file, "Texto_", 1), "Facturacion");
  EXPECT_EQ(Slot(file, "Campo_", 1), facturacion);
  EXPECT_EQ(Slot(file, "Texto_", 2), "Pagos");
  EXPECT_EQ(TitlesStoredTwice(file), std::vector<std::string>{});

  // The first run's "Recientes": item 2, "Pagos", stored under the second run's ids.
  Click(p.control, LayOut(p.control, groups).recientes);
  ::HWND menu = WaitPopupMenu(pid());
  ASSERT_TRUE(menu);
  PickPopupItem(menu, 2);
  dialog = WaitDialogOn(pid(), paneThread);
  ASSERT_TRUE(dialog) << "the stored title replays its task";
  EXPECT_TRUE(Running::Shows(dialog, "Pagos"));
  CloseAsUser(dialog);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
  EXPECT_EQ(Slot(file, "Texto_", 1), "Pagos");
  EXPECT_EQ(Slot(file, "Encab_", 1), encab) << "recorded under the first run's ids";
  EXPECT_EQ(Slot(file, "Campo_", 1), pagos);
  EXPECT_EQ(Slot(file, "Texto_", 2), "Facturacion");
  EXPECT_EQ(Slot(file, "Texto_", 3), "");
  EXPECT_EQ(TitlesStoredTwice(file), std::vector<std::string>{});
  EXPECT_EQ(second.Exit(), 0);
  Stop();
}

TEST_F(PaneRun, SalirEndsTheProgramAndThePlacementIsKept) {
  // Moved by its title bar, as a user drags it.
  RECT w{};
  GetWindowRect(p.window, &w);
  const POINT grab{w.left + 40, w.top + GetSystemMetrics(SM_CYCAPTION) / 2 + 2};
  Drag(grab, POINT{grab.x + 60, grab.y + 40});
  POINT at{};
  ASSERT_TRUE(WaitFor([&] {
    RECT r{};
    GetWindowRect(p.window, &r);
    at = POINT{r.left, r.top};
    ScreenToClient(p.client, &at);
    return at.x == 60 && at.y == 40;
  })) << at.x << "," << at.y;

  // "Salir" flips its expand button and then closes the frame, and with it the program.
  const Rows rows = LayOut(p.control, Groups{});
  Click(p.control, rows.salir);
  EXPECT_EQ(run->process().Wait(20000), 0);
  EXPECT_FALSE(FileExists(PaneFile())) << "a header click records nothing";
  EXPECT_EQ(IniValue(run->Ini(), "Main_TaskPanel", "XPos"), "60");
  EXPECT_EQ(IniValue(run->Ini(), "Main_TaskPanel", "YPos"), "40");
  EXPECT_NE(IniValue(run->Ini(), "Main_TaskPanel", "Width"), "");
  EXPECT_NE(IniValue(run->Ini(), "Main", "Width"), "");
  run.reset();

  // The next run opens it where it was left.
  ASSERT_NO_FATAL_FAILURE(Start());
  RECT again{};
  GetWindowRect(p.window, &again);
  POINT origin{again.left, again.top};
  ScreenToClient(p.client, &origin);
  EXPECT_EQ(origin.x, 60);
  EXPECT_EQ(origin.y, 40);
  EXPECT_EQ(again.right - again.left, w.right - w.left);
  EXPECT_EQ(again.bottom - again.top, w.bottom - w.top);
  Stop();
}

}  // namespace
