// Placements through the real program INI and the real exe, on desktops of several sizes:
// where a window opens for what is stored, and what the run stores again.
#include <gtest/gtest.h>

#include <optional>

#include "e2e_support.h"
#include "framework/ini_class.h"

namespace {

using namespace e2e;

constexpr SIZE kDefaultDesktop{0, 0};  // the prefix's own desktop (1280x1024)

// A program run in a Wine virtual desktop of its own, of the given size: Wine's explorer makes
// the desktop and starts the program in it. Its windows are found through that desktop, as
// this process's own desktop does not list them.
class RunningOnDesktop {
 public:
  RunningOnDesktop(const Program& program, const std::string& dir, SIZE size) {
    static int serial = 0;
    name_ = "Placement" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++serial);
    const std::string args = "/desktop=" + name_ + "," + std::to_string(size.cx) + "x" + std::to_string(size.cy) +
                             " \"" + ProgramPath(program.exe) + "\"";
    launcher_ = std::make_unique<Process>("C:\\windows\\explorer.exe", dir, args);
    WaitFor([&] { return (desktop_ = OpenDesktopA(name_.c_str(), 0, FALSE, DESKTOP_ENUMERATE | DESKTOP_READOBJECTS)); });
    frame_ = Wait("Application");
    DWORD pid = 0;
    if (frame_) GetWindowThreadProcessId(frame_, &pid);
    if (pid) process_ = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE, FALSE, pid);
  }
  ~RunningOnDesktop() {
    if (process_) {
      if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) TerminateProcess(process_, 99);
      CloseHandle(process_);
    }
    if (desktop_) CloseDesktop(desktop_);
    // The desktop's explorer ends once its last window has gone.
    if (launcher_->Wait(10000) == -1) launcher_->Kill();
  }
  ::HWND frame() const { return frame_; }
  // The visible window of that caption on the program's desktop (waits for it).
  ::HWND Wait(const std::string& caption) const {
    ::HWND found = nullptr;
    WaitFor([&] { return (found = Find(caption)) != nullptr; }, 15000);
    return found;
  }
  long Exit() {
    ChooseMenuItem(frame_, -4);
    if (!process_ || WaitForSingleObject(process_, 20000) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    return static_cast<long>(code);
  }

 private:
  struct Search {
    const std::string* caption;
    ::HWND found;
  };
  static BOOL CALLBACK Match(::HWND h, LPARAM lp) {
    auto* search = reinterpret_cast<Search*>(lp);
    // IsWindowVisible says no for every window of another desktop: its style says it.
    const bool visible = (GetWindowLongA(h, GWL_STYLE) & WS_VISIBLE) != 0;
    if (visible && WindowText(h) == *search->caption) search->found = h;
    return search->found == nullptr;
  }
  ::HWND Find(const std::string& caption) const {
    if (!desktop_) return nullptr;
    Search search{&caption, nullptr};
    EnumDesktopWindows(desktop_, Match, reinterpret_cast<LPARAM>(&search));
    return search.found;
  }
  std::string name_;
  std::unique_ptr<Process> launcher_;
  HDESK desktop_ = nullptr;
  HANDLE process_ = nullptr;
  ::HWND frame_ = nullptr;
};

std::string PlacementSection(const std::string& section, RECT r, int maximize) {
  return "[" + section + "]\nXPos=" + std::to_string(r.left) + "\nYPos=" + std::to_string(r.top) +
         "\nWidth=" + std::to_string(r.right - r.left) + "\nHeight=" + std::to_string(r.bottom - r.top) +
         "\nMaximize=" + std::to_string(maximize) + "\nMinimize=0\n";
}

RECT Normal(::HWND window) {
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  GetWindowPlacement(window, &wp);
  return wp.rcNormalPosition;
}

std::string Print(const RECT& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ") " + std::to_string(r.right - r.left) + "x" +
         std::to_string(r.bottom - r.top);
}

// One run of Caldrel in a series on the same program INI file: the desktop it runs on, what
// the user does to the window, where the window shows first and what is stored after.
struct OneRun {
  SIZE desktop;
  RECT shown;                        // the window's normal rectangle as it opens
  bool zoomed;                       // it opens maximised
  std::optional<RECT> userMovesTo;   // the user moves or sizes it there before leaving
  RECT stored;                       // stored after the run
  int storedMaximize;
};
struct Series {
  const char* what;
  const char* section;  // "Main" (the frame) or "Mensaje" (the dialog, opened by "Facturas")
  RECT initial;         // stored before the first run
  int initialMaximize;
  std::vector<OneRun> runs;
};

constexpr SIZE kSmall{800, 600};
// The dialog keeps its layout size whatever is stored: its rows give and check positions only
// (stored sizes 0, which give way to the layout's). kInside: anywhere inside the desktop.
constexpr RECT kInside{-1, -1, -1, -1};
// Not checked: Wine reports a window shown maximised while hidden with its maximised
// rectangle as its normal one until it is restored.
constexpr RECT kUnchecked{-2, -2, -2, -2};

TEST(Placements, StoredPlacementsOnDesktopsOfEachSize) {
  const Series series[] = {
      {"a size bigger than the desktop, then a normal desktop again", "Main", {40, 30, 1140, 790}, 0,
       {{kSmall, {0, 0, 800, 600}, false, std::nullopt, {40, 30, 1140, 790}, 0},
        {kDefaultDesktop, {40, 30, 1140, 790}, false, std::nullopt, {40, 30, 1140, 790}, 0}}},
      {"a cut size the user changes is stored as the user left it", "Main", {40, 30, 1140, 790}, 0,
       {{kSmall, {0, 0, 800, 600}, false, RECT{10, 20, 650, 500}, {10, 20, 650, 500}, 0}}},
      {"a cut frame the user moves keeps its stored size", "Main", {40, 30, 1140, 790}, 0,
       {{kSmall, {0, 0, 800, 600}, false, RECT{-20, -10, 780, 590}, {-20, -10, 1080, 750}, 0}}},
      {"a position out of reach, then a normal desktop again", "Main", {700, 500, 1200, 900}, 0,
       {{kSmall, {300, 200, 800, 600}, false, std::nullopt, {700, 500, 1200, 900}, 0},
        {kDefaultDesktop, {700, 500, 1200, 900}, false, std::nullopt, {700, 500, 1200, 900}, 0}}},
      {"a frame stored maximised opens maximised on a small desktop", "Main", {40, 30, 1140, 790}, 1,
       {{kSmall, kUnchecked, true, std::nullopt, {40, 30, 1140, 790}, 1}}},
      {"the dialog stored maximised (it has no maximise box)", "Mensaje", {100, 80, 0, 0}, 1,
       {{kSmall, {100, 80, 0, 0}, false, std::nullopt, {100, 80, 0, 0}, 0},
        {kDefaultDesktop, {100, 80, 0, 0}, false, std::nullopt, {100, 80, 0, 0}, 0}}},
      {"the dialog out of reach on a small desktop, then a normal desktop again", "Mensaje", {600, 500, 0, 0}, 0,
       {{kSmall, kInside, false, std::nullopt, {600, 500, 0, 0}, 0},
        {kDefaultDesktop, {600, 500, 0, 0}, false, std::nullopt, {600, 500, 0, 0}, 0}}},
  };
  for (const Series& s : series) {
    SCOPED_TRACE(s.what);
    TempDir dir;
    const std::string ini = dir.File(kCaldrel.iniFile);
    WriteFileText(ini, PlacementSection(s.section, s.initial, s.initialMaximize));
    const bool dialog = std::string(s.section) == "Mensaje";
    int step = 0;
    for (const OneRun& run : s.runs) {
      SCOPED_TRACE("run " + std::to_string(++step));
      const bool small = run.desktop.cx != 0;
      std::unique_ptr<Running> plain;
      std::unique_ptr<RunningOnDesktop> onDesktop;
      if (small) onDesktop = std::make_unique<RunningOnDesktop>(kCaldrel, dir.path(), run.desktop);
      else plain = std::make_unique<Running>(kCaldrel, dir.path());
      ::HWND frame = small ? onDesktop->frame() : plain->frame();
      ASSERT_TRUE(frame);
      ::HWND window = frame;
      if (dialog) {
        ChooseMenuItem(frame, -7);  // "Facturas"
        window = small ? onDesktop->Wait("Caption") : plain->WaitDialog();
        ASSERT_TRUE(window);
      }
      const RECT shown = Normal(window);
      EXPECT_EQ(IsZoomed(window) != FALSE, run.zoomed);
      if (EqualRect(&run.shown, &kUnchecked)) {
      } else if (EqualRect(&run.shown, &kInside)) {
        EXPECT_GE(shown.left, 0);
        EXPECT_GE(shown.top, 0);
        EXPECT_LE(shown.right, run.desktop.cx);
        EXPECT_LE(shown.bottom, run.desktop.cy);
      } else if (dialog) {
        EXPECT_EQ(shown.left, run.shown.left);
        EXPECT_EQ(shown.top, run.shown.top);
      } else {
        EXPECT_EQ(Print(shown), Print(run.shown));
      }
      if (run.userMovesTo) {
        const RECT& to = *run.userMovesTo;
        SetWindowPos(window, nullptr, to.left, to.top, to.right - to.left, to.bottom - to.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        EXPECT_TRUE(WaitFor([&] {
          const RECT r = Normal(window);
          return EqualRect(&r, &to) != FALSE;
        })) << Print(Normal(window));
      }
      if (dialog) CloseAsUser(window);
      EXPECT_EQ(small ? onDesktop->Exit() : plain->Exit(), 0);
      EXPECT_EQ(IniValue(ini, s.section, "XPos"), std::to_string(run.stored.left));
      EXPECT_EQ(IniValue(ini, s.section, "YPos"), std::to_string(run.stored.top));
      if (!dialog) {
        EXPECT_EQ(IniValue(ini, s.section, "Width"), std::to_string(run.stored.right - run.stored.left));
        EXPECT_EQ(IniValue(ini, s.section, "Height"), std::to_string(run.stored.bottom - run.stored.top));
      }
      EXPECT_EQ(IniValue(ini, s.section, "Maximize"), std::to_string(run.storedMaximize));
    }
  }
}

// The monitor a stored rectangle belongs to, among monitors this machine does not have (this
// Wine shows one): the one sharing the most area with it, else the closest; the area is its
// work area, in workspace coordinates (starting at the monitor's corner).
TEST(Placements, TheReachableAreaIsTheWorkAreaOfTheNearestMonitor) {
  // The primary 1280x1024 with a task bar 30 high at its bottom; a second one 1024x768 to its
  // right, its task bar 40 wide at its left; a third 800x600 above the primary.
  const std::vector<fw::MonitorArea> monitors = {{{0, 0, 1280, 1024}, {0, 0, 1280, 994}},
                                                 {{1280, 0, 2304, 768}, {1320, 0, 2304, 768}},
                                                 {{0, -600, 800, 0}, {0, -600, 800, 0}}};
  const RECT primary{0, 0, 1280, 994}, second{1280, 0, 2264, 768}, above{0, -600, 800, 0};
  struct Case {
    const char* what;
    RECT stored, area;
  } cases[] = {
      {"inside the primary", {100, 100, 600, 500}, primary},
      {"inside the second", {1400, 100, 1900, 500}, second},
      {"across both, more on the second", {1100, 100, 1700, 500}, second},
      {"across both, more on the primary", {800, 100, 1400, 500}, primary},
      {"exactly half on each: the first of equals", {1180, 100, 1380, 500}, primary},
      {"above the primary", {100, -500, 600, -100}, above},
      {"right of everything", {5000, 100, 5500, 500}, second},
      {"below the second, nearer to it", {2000, 1100, 2300, 1200}, second},
      {"far below the primary", {100, 90000, 600, 90400}, primary},
      {"far left", {-9000, -300, -8500, -100}, above},
      {"an empty rectangle on the second", {1500, 300, 1500, 300}, second},
  };
  for (const Case& c : cases) {
    const RECT got = fw::ReachableArea(c.stored, monitors);
    EXPECT_EQ(Print(got), Print(c.area)) << c.what;
  }
  const RECT none = fw::ReachableArea(RECT{0, 0, 10, 10}, {});
  EXPECT_TRUE(IsRectEmpty(&none)) << "no monitor";
  // On this machine's own monitors, the same choice as the system's MonitorFromRect.
  const std::vector<fw::MonitorArea> real = fw::DesktopMonitors();
  ASSERT_FALSE(real.empty());
  for (const RECT& r : {RECT{100, 100, 600, 500}, RECT{90000, 70000, 90500, 70400}, RECT{-5000, -5000, -4500, -4600}}) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoA(MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &info);
    const RECT got = fw::ReachableArea(r, real);
    EXPECT_EQ(got.left, info.rcMonitor.left) << Print(r);
    EXPECT_EQ(got.right - got.left, info.rcWork.right - info.rcWork.left) << Print(r);
  }
}

// A frame the user maximises and leaves so is stored maximised, and the next start opens it
// maximised again.
TEST(Placements, AFrameClosedMaximisedOpensMaximised) {
  TempDir dir;
  {
    Running run(kCaldrel, dir.path());
    ASSERT_TRUE(run.frame());
    PostMessageA(run.frame(), WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    ASSERT_TRUE(WaitFor([&] { return IsZoomed(run.frame()) != FALSE; }));
    ASSERT_EQ(run.Exit(), 0);
    EXPECT_EQ(IniValue(run.Ini(), "Main", "Maximize"), "1");
  }
  Running again(kCaldrel, dir.path());
  ASSERT_TRUE(again.frame());
  EXPECT_TRUE(IsZoomed(again.frame()));
  EXPECT_EQ(again.Exit(), 0);
  EXPECT_EQ(IniValue(again.Ini(), "Main", "Maximize"), "1");
}

}  // namespace
