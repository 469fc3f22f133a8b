// Soak: one Brivane run driven for a long while as a user's automation would: random clicks
// on the task panel's rows (tasks, group headers, "Recientes" and its popup) and random
// choices in the frame's menu (accounting items, its "Recientes" popup), every dialog closed
// by the driver. Prints the process's memory along the way and at the end against the
// start, then repaints the panel a few thousand times and checks that it still draws what
// it should (its paints create their GDI objects anew every time), and that the program
// still ends with exit code 0.
//
//   bench_soak [actions (1000)] [seed] [path of Brivane.exe]
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "pane_driver.h"

namespace {

using namespace pane;

struct Memory {
  double privateMb = 0, workingSetMb = 0;
};
Memory MemoryOf(HANDLE process) {
  PROCESS_MEMORY_COUNTERS_EX pmc{};
  pmc.cb = sizeof pmc;
  GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof pmc);
  // Wine leaves PrivateUsage at 0; its commit charge (PagefileUsage) is the private memory.
  const SIZE_T privateBytes = pmc.PrivateUsage ? pmc.PrivateUsage : pmc.PagefileUsage;
  return {privateBytes / 1048576.0, pmc.WorkingSetSize / 1048576.0};
}

bool PopupShown(DWORD pid, ::HWND& menu, DWORD timeoutMs) {
  menu = nullptr;
  WaitFor(
      [&] {
        for (::HWND h : TopWindows(pid))
          if (ClassOf(h) == "#32768") return (menu = h) != nullptr;
        return false;
      },
      timeoutMs);
  return menu != nullptr;
}

// Closes every "Caption" dialog of the process until none is left; returns how many.
int CloseDialogs(DWORD pid) {
  int closed = 0;
  for (;;) {
    std::vector<::HWND> open;
    for (::HWND h : TopWindows(pid))
      if (WindowText(h) == "Caption") open.push_back(h);
    if (open.empty()) return closed;
    for (::HWND h : open) {
      CloseAsUser(h);
      WaitFor([&] { return !IsWindow(h); }, 5000);
      ++closed;
    }
  }
}

int StoredItems(const std::string& file) {
  int n = 0;
  for (int slot = 1; slot <= 20; ++slot)
    if (!IniValue(file, kSection, "Texto_" + std::to_string(slot)).empty()) ++n;
  return n;
}

// What the panel should show for the groups' state: every header bar with its title, the
// open groups' task rows on their background with their titles.
bool PanelLooksRight(const Pane& p, const Groups& groups) {
  MoveAway(p.control);
  Settle(p.control);
  const Rows rows = LayOut(p.control, groups);
  const ScreenShot shot(p.control);
  bool ok = CountColour(shot, rows.recientes, RGB(255, 255, 255)) > 20 &&
            CountColour(shot, rows.informes, RGB(255, 255, 255)) > 20 &&
            CountColour(shot, rows.salir, RGB(255, 255, 255)) > 20;
  for (const std::vector<RECT>* tasks : {&rows.comprobantesTasks, &rows.informesTasks})
    for (const RECT& row : *tasks)
      ok = ok && shot.At(row.right - 6, (row.top + row.bottom) / 2) == kTaskBackground &&
           CountColour(shot, RECT{row.left + 25, row.top, row.right, row.bottom}, kTaskText, 40) > 5;
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  const int actions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
  const unsigned seed = argc > 2 ? static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)) : GetTickCount();
  const std::string exe = argc > 3 ? argv[3] : ProgramPath("Brivane.exe");
  std::printf("soak: %d actions, seed %u, %s\n", actions, seed, exe.c_str());

  TempDir dir;
  Process proc(exe, dir.path());
  if (!proc.started()) {
    std::printf("could not start %s\n", exe.c_str());
    return 1;
  }
  const DWORD pid = proc.pid();
  ::HWND frame = WaitTopWindow(pid, "Application");
  const Pane p = frame ? WaitPane(frame) : Pane{};
  if (!p.control) {
    std::printf("no frame or no task-panel window\n");
    return 1;
  }
  const DWORD paneThread = GetWindowThreadProcessId(p.window, nullptr);
  const std::string paneFile = dir.File(kPaneFile);
  const std::string frameFile = dir.File("RECIENTES.TaskPanel.Frame.zarozevi.ini");
  Settle(p.control);
  const Memory start = MemoryOf(proc.handle());
  std::printf("start: private %.2f MB, working set %.2f MB, GDI objects %lu, USER objects %lu\n", start.privateMb,
              start.workingSetMb, GetGuiResources(proc.handle(), GR_GDIOBJECTS),
              GetGuiResources(proc.handle(), GR_USEROBJECTS));

  std::mt19937 random(seed);
  auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  Groups groups;
  constexpr int32_t kAccounting[] = {-7, -8, -9, -10, -12, -13, -14};
  int taskClicks = 0, headerClicks = 0, panelPopups = 0, menuChoices = 0, menuPopups = 0, dialogs = 0, lost = 0;
  const DWORD began = GetTickCount();
  Memory warm{};

  for (int a = 1; a <= actions; ++a) {
    const int kind = pick(100);
    const Rows rows = LayOut(p.control, groups);
    if (kind < 40) {  // a task of an open group
      std::vector<std::pair<RECT, std::string>> tasks;
      for (std::size_t t = 0; t < rows.comprobantesTasks.size(); ++t)
        tasks.emplace_back(rows.comprobantesTasks[t], kComprobantesTasks[t]);
      for (std::size_t t = 0; t < rows.informesTasks.size(); ++t)
        tasks.emplace_back(rows.informesTasks[t], kInformesTasks[t]);
      if (tasks.empty()) {
        Click(p.control, rows.comprobantes);
        groups.comprobantes = true;
        ++headerClicks;
      } else {
        const auto& [row, title] = tasks[pick(static_cast<int>(tasks.size()))];
        Click(p.control, row);
        if (!WaitDialogOn(pid, paneThread, 5000)) ++lost;
        groups.active = title;
        ++taskClicks;
      }
    } else if (kind < 60) {  // open or close a group
      if (pick(2) == 0) {
        Click(p.control, rows.comprobantes);
        groups.comprobantes = !groups.comprobantes;
      } else {
        Click(p.control, rows.informes);
        groups.informes = !groups.informes;
      }
      ++headerClicks;
    } else if (kind < 70) {  // "Recientes" of the panel: a stored task again, or dismissed
      const int stored = StoredItems(paneFile);
      Click(p.control, rows.recientes);
      ::HWND menu = nullptr;
      if (stored > 0 && PopupShown(pid, menu, 5000)) {
        const int item = pick(stored + 1);
        PickPopupItem(menu, item);
        if (item > 0 && !WaitDialogOn(pid, paneThread, 5000)) ++lost;
        ++panelPopups;
      }
    } else if (kind < 95) {  // an accounting item of the frame's menu
      ChooseMenuItem(frame, kAccounting[pick(7)]);
      if (!WaitTopWindow(pid, "Caption", 5000)) ++lost;
      ++menuChoices;
    } else {  // the frame's "Recientes"
      const int stored = StoredItems(frameFile);
      ChooseMenuItem(frame, -5);
      ::HWND menu = nullptr;
      if (stored > 0 && PopupShown(pid, menu, 5000)) {
        const int item = pick(stored + 1);
        PickPopupItem(menu, item);
        if (item > 0 && !WaitTopWindow(pid, "Caption", 5000)) ++lost;
        ++menuPopups;
      }
    }
    dialogs += CloseDialogs(pid);
    Settle(p.control);
    if (a % 100 == 0) {
      const Memory m = MemoryOf(proc.handle());
      if (a == 100) warm = m;
      std::printf("after %4d: private %.2f MB, working set %.2f MB\n", a, m.privateMb, m.workingSetMb);
      std::fflush(stdout);
    }
  }
  const double seconds = (GetTickCount() - began) / 1000.0;
  const Memory end = MemoryOf(proc.handle());
  std::printf("done in %.1f s: %d task clicks, %d header clicks, %d panel popups, %d menu choices, %d menu popups, "
              "%d dialogs closed, %d expected dialogs missing\n",
              seconds, taskClicks, headerClicks, panelPopups, menuChoices, menuPopups, dialogs, lost);
  std::printf("memory: private %.2f -> %.2f MB (%+.2f from start, %+.2f after the first 100), working set %.2f -> %.2f MB\n",
              start.privateMb, end.privateMb, end.privateMb - start.privateMb,
              warm.privateMb ? end.privateMb - warm.privateMb : 0.0, start.workingSetMb, end.workingSetMb);

  // GDI still creatable: thousands of paints, each making its device contexts, back buffer,
  // pens and brushes anew; then the panel must still show every row as it should.
  const bool rightBefore = PanelLooksRight(p, groups);
  const Rows rows = LayOut(p.control, groups);
  const POINT spots[] = {Centre(rows.recientes), Centre(rows.informes), Centre(rows.salir)};
  constexpr int kPaints = 5000;
  const DWORD paintStart = GetTickCount();
  for (int i = 0; i < kPaints; ++i) {
    DWORD_PTR result = 0;
    const POINT at = spots[i % 3];
    SendMessageTimeoutA(p.control, WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y), SMTO_NORMAL, 5000, &result);
    UpdateWindow(p.control);  // the paint, now, on the panel's thread
  }
  const double paintMs = static_cast<double>(GetTickCount() - paintStart) / kPaints;
  const bool rightAfter = PanelLooksRight(p, groups);
  const Memory painted = MemoryOf(proc.handle());
  std::printf("GDI: panel %s before and %s after %d hover repaints (%.2f ms each); private %.2f MB after them; "
              "GDI objects %lu, USER objects %lu (GetGuiResources is a stub under Wine)\n",
              rightBefore ? "correct" : "WRONG", rightAfter ? "correct" : "WRONG", kPaints, paintMs, painted.privateMb,
              GetGuiResources(proc.handle(), GR_GDIOBJECTS), GetGuiResources(proc.handle(), GR_USEROBJECTS));

  ChooseMenuItem(frame, -4);
  const long code = proc.Wait(30000);
  std::printf("exit code %ld\n", code);
  return code == 0 && rightAfter && lost == 0 ? 0 : 1;
}
