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

std::vector<std::string> StepsFrom(const std::vector<std::string>& trace, const std::string& first) {
  auto it = std::find(trace.begin(), trace.end(), first);
  return std::vector<std::string>(it, trace.end());
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
    Sleep(300);  // painted, so that the rows the click aims at are there
    Click(p.control, LayOut(p.control, Groups{}).salir);
    clicked = true;
  });
  EXPECT_EQ(app::RunProgramEntry(config, modules), 0);
  driver.join();
  ASSERT_TRUE(clicked.load());
  EXPECT_NE(frameThread.load(), paneThread.load());

  const std::vector<std::string> expected = {
      "MAIN",
      // thread 2: its globals, the window opened with its panel, the run, the tear-down
      "Brivane.__attach_thread", "DCTINIT", "Main_TaskPanel INIT", "TASKPANEL INIT", "Main_TaskPanel KILL",
      "TASKPANEL DESTRUCT", "Main_TaskPanel closed", "Brivane.__detach_thread", "DCTKILL",
      // thread 1 goes on only once thread 2 has ended
      "MAIN returned"};
  std::vector<std::string> steps = StepsFrom(app::TraceSteps(), "MAIN");
  std::erase_if(steps, [](const std::string& s) { return s.rfind("drag setting", 0) == 0; });
  steps.resize(std::min(steps.size(), expected.size()));
  EXPECT_EQ(steps, expected);
  for (const char* key : {"XPos", "YPos", "Width", "Height"})
    EXPECT_NE(IniValue(dir.File("Brivane.INI"), "Main_TaskPanel", key), "") << key;
}

}  // namespace
