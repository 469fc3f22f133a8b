// The task-panel window inside a whole Brivane run in this process: the frame on thread 1
// starts it on thread 2; a driver thread (which calls nothing of the runtime, so that it
// takes no thread number) clicks "Salir"; the steps of both threads are read back in order.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "app/frame.h"
#include "app/globals.h"
#include "app/program.h"
#include "pane_driver.h"
#include "panelwindow/main_taskpanel.h"

namespace {

using namespace testing_support;
using namespace pane;

// The steps from `first` up to and including `last`.
std::vector<std::string> StepsBetween(const std::vector<std::string>& trace, const std::string& first,
                                      const std::string& last) {
  auto from = std::find(trace.begin(), trace.end(), first);
  auto to = std::find(from, trace.end(), last);
  return std::vector<std::string>(from, to == trace.end() ? to : std::next(to));
}

TEST(BrivaneRun, PaneStartsBesideTheFrameAndIsTornDownBeforeTheProgramBodyEnds) {
  TempDir dir;
  ScopedCurrentDir cwd(dir.path());
  app::ClearTrace();
  static const std::string user = "zarozevi";
  static app::ProgramConfig config;
  config.name = "Brivane";
  config.iniFile = "Brivane.INI";
  config.frameModule = "Brivane$QUILL003";
  config.dialogModule = "Brivane$QUILL001";
  config.framePrefix = ".\\RECIENTES.TaskPanel.Frame.";
  config.processUserName = &user;
  config.startPanelWindow = panelwindow::MAIN_TASKPANEL;
  config.frame = app::MAIN;
  const std::vector<rt::Module> modules = {
      app::MainModule("Brivane"),
      app::WindowModule("Brivane$QUILL001", {rt::ControlKind::String, rt::ControlKind::Button}),
      panelwindow::PanelWindowModule("Brivane$QUILL002"),
      app::WindowModule("Brivane$QUILL003", {}),
  };

  std::atomic<bool> clicked{false};
  std::atomic<DWORD> frameThread{0}, paneThread{0};
  std::thread driver([&] {
    ::HWND frame = WaitTopWindow(GetCurrentProcessId(), "Application");
    if (!frame) return;
    const Pane p = WaitPane(frame);
    if (!p.control) {
      PostMessageA(frame, WM_CLOSE, 0, 0);
      return;
    }
    frameThread = GetWindowThreadProcessId(frame, nullptr);
    paneThread = GetWindowThreadProcessId(p.window, nullptr);
    // Painted, so that the rows the click aims at are there: the first task row shows the
    // task background.
    const Rows rows = LayOut(p.control, Groups{});
    const RECT first = rows.comprobantesTasks.at(0);
    WaitFor([&] { return Capture(p.control).At(first.right - 6, (first.top + first.bottom) / 2) == kTaskBackground; });
    Click(p.control, rows.salir);
    clicked = true;
  });
  EXPECT_EQ(app::RunProgramEntry(config, modules), 0);
  driver.join();
  ASSERT_TRUE(clicked.load());
  EXPECT_NE(frameThread.load(), paneThread.load());

  const std::vector<std::string> expected = {
      "MAIN",
      // thread 2: its globals, the window opened with its panel, the run, the window's KILL,
      // then, once the run has returned, the panel's KILL from its destruction, and the rest
      "Brivane.__attach_thread", "DCTINIT", "Main_TaskPanel INIT", "TASKPANEL INIT", "Main_TaskPanel KILL",
      "TASKPANEL KILL", "TASKPANEL DESTRUCT", "Main_TaskPanel closed", "Brivane.__detach_thread", "DCTKILL",
      // thread 1 goes on only once thread 2 has ended
      "MAIN returned"};
  const std::vector<std::string> trace = app::TraceSteps();
  EXPECT_EQ(StepsBetween(trace, "MAIN", "MAIN returned"), expected);
  EXPECT_EQ(std::count(trace.begin(), trace.end(), "TASKPANEL KILL"), 1) << "the panel's KILL runs once";
  for (const char* key : {"XPos", "YPos", "Width", "Height"})
    EXPECT_NE(IniValue(dir.File("Brivane.INI"), "Main_TaskPanel", key), "") << key;
}

}  // namespace
