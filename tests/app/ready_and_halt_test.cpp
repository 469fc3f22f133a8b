// A window is first seen ready (placed and filled); the error manager keeps nested procedure
// names; a halt still runs the clean-ups, gives the drag setting back and exits with 0.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "app/frame.h"
#include "app/mensaje.h"
#include "app/program.h"
#include "app_fixture.h"
#include "runtime/message_box.h"
#include "runtime/threads.h"

namespace {

using namespace testing_support;

// What the dialog looked like at the first moment it was visible, caught on its own thread
// right after the message that made it so.
struct FirstSight {
  bool seen = false;
  RECT rect{};
  std::string text;
  std::string procedure;  // the error manager's running procedure on the dialog's thread
};
FirstSight g_sight;

LRESULT CALLBACK WatchShow(int code, WPARAM wp, LPARAM lp) {
  const auto* m = reinterpret_cast<const CWPRETSTRUCT*>(lp);
  if (code == HC_ACTION && !g_sight.seen && !GetParent(m->hwnd) && WindowText(m->hwnd) == "Caption" &&
      IsWindowVisible(m->hwnd)) {
    g_sight.seen = true;
    GetWindowRect(m->hwnd, &g_sight.rect);
    g_sight.text = WindowText(GetDlgItem(m->hwnd, 1));
    g_sight.procedure = app::GLOBALERRORS->PROCEDURENAME();
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

TEST_F(AppFixture, TheDialogIsFirstSeenAtItsSavedPlaceWithItsText) {
  const std::string ini = app::INIMGR->FileName();
  const char* stored[][2] = {{"XPos", "123"}, {"YPos", "77"}, {"Width", "400"}, {"Height", "300"},
                             {"Maximize", "0"}, {"Minimize", "0"}};
  for (const auto& kv : stored) WritePrivateProfileStringA("Mensaje", kv[0], kv[1], ini.c_str());
  g_sight = FirstSight{};
  HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROCRET, WatchShow, nullptr, GetCurrentThreadId());
  ASSERT_TRUE(hook);
  // The frame's procedure is running while its menu shows the dialog: a nested name.
  app::GLOBALERRORS->SETPROCEDURENAME("Main");
  std::thread closer([] {
    ::HWND dialog = WaitTopWindow(GetCurrentProcessId(), "Caption");
    if (dialog) CloseAsUser(dialog);
  });
  app::MENSAJE("Facturas");
  closer.join();
  UnhookWindowsHookEx(hook);
  EXPECT_EQ(app::GLOBALERRORS->PROCEDURENAME(), "Main") << "the dialog's end gives the frame its name back";
  app::GLOBALERRORS->SETPROCEDURENAME();
  EXPECT_EQ(app::GLOBALERRORS->PROCEDURENAME(), "");

  ASSERT_TRUE(g_sight.seen);
  EXPECT_EQ(g_sight.procedure, "Mensaje") << "the dialog's procedure runs over the frame's";
  EXPECT_EQ(g_sight.text, "Facturas") << "filled when first seen";
  // Where it stood then is where the stored placement puts it (it was not moved after).
  WINDOWPLACEMENT expected{};
  expected.length = sizeof expected;
  EXPECT_EQ(IniValue(ini, "Mensaje", "XPos"), "123");
  EXPECT_EQ(IniValue(ini, "Mensaje", "YPos"), "77");
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_EQ(g_sight.rect.left, work.left + 123);
  EXPECT_EQ(g_sight.rect.top, work.top + 77);
}


constexpr char kHaltTraceVariable[] = "HALT_TRACE_FILE";
constexpr char kHaltThreadVariable[] = "HALT_THREAD";  // the thread that meets the stop box

// The procedure of a button that finds no panel: the stop message "no win".
LRESULT CALLBACK StopsWithNoWin(::HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_APP) rt::StopWithMessage("no win");
  return DefWindowProcA(hwnd, msg, wp, lp);
}

// Run only as the child of HaltRunsTheCleanUpsAndRestoresTheDragSetting: a whole program in
// this process whose frame's thread meets a button procedure that finds no panel; the user
// chooses to stop in the "no win" box. The first module's clean-up, the last to run, writes
// the trace out.
TEST(Halt, ChildRun) {
  const char* traceFile = std::getenv(kHaltTraceVariable);
  if (!traceFile) GTEST_SKIP() << "run by the halt test only";
  static const std::string file = traceFile;
  static const DWORD firstThread = GetCurrentThreadId();
  const char* haltThread = std::getenv(kHaltThreadVariable);
  static const bool onSecondThread = haltThread && std::string(haltThread) == "2";
  static app::ProgramConfig config;
  config.name = "Caldrel";
  config.iniFile = "Caldrel.INI";
  config.frameModule = "Caldrel$QUILL003";
  config.dialogModule = "Caldrel$QUILL002";
  config.framePrefix = ".\\RECIENTES.";
  config.frameUserName = "Zarozevi";
  config.frame = [] {
    if (onSecondThread) {
      // The stop box on thread 2, once the frame runs on thread 1.
      rt::StartThread(
          [] {
            while (!rt::ThreadWindow(1)) Sleep(10);
            rt::StopWithMessage("no win");
          },
          25000);
      app::MAIN();
      return;
    }
    // A button of this thread that a panel should have taken over, but none did.
    ::HWND orphan = CreateWindowExA(0, "BUTTON", "orphan", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    SetWindowLongPtrA(orphan, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StopsWithNoWin));
    PostMessageA(orphan, WM_APP, 0, 0);
    app::MAIN();
  };
  rt::Module writer;
  writer.name = "trace writer";
  writer.detachProcess = [] {
    std::ofstream out(file);
    for (const std::string& step : app::TraceSteps()) out << step << "\n";
    out << (GetCurrentThreadId() == firstThread ? "on the first thread" : "on another thread") << "\n";
  };
  const std::vector<rt::Module> modules = {
      writer,
      app::MainModule("Caldrel"),
      app::WindowModule("Caldrel$QUILL002", {rt::ControlKind::String, rt::ControlKind::Button}),
      app::WindowModule("Caldrel$QUILL003", {}),
  };
  std::atomic<bool> stop{false};
  std::thread answer([&] {
    while (!stop) {
      for (::HWND w : TopWindows(GetCurrentProcessId()))
        if (WindowText(w) == "Stop" && ClassOf(w) == "#32770")
          PostMessageA(w, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      Sleep(20);
    }
  });
  app::RunProgramEntry(config, modules);
  stop = true;
  answer.join();
  ADD_FAILURE() << "the program returned instead of halting";
}

// The halting thread: the frame's own, or thread 2 while the frame runs on thread 1. Either
// way the clean-ups run on the first thread, so that nothing they free is still in use there.
class HaltOn : public ::testing::TestWithParam<int> {};

TEST_P(HaltOn, HaltRunsTheCleanUpsAndRestoresTheDragSetting) {
  BOOL original = FALSE;
  SystemParametersInfoA(SPI_GETDRAGFULLWINDOWS, 0, &original, 0);
  SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, TRUE, nullptr, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE);
  TempDir dir;
  const std::string trace = dir.File("trace.txt");
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, sizeof self);
  SetEnvironmentVariableA(kHaltTraceVariable, trace.c_str());
  SetEnvironmentVariableA(kHaltThreadVariable, std::to_string(GetParam()).c_str());
  long code = -1;
  {
    Process child(self, dir.path(), "--gtest_filter=Halt.ChildRun");
    SetEnvironmentVariableA(kHaltTraceVariable, nullptr);
    SetEnvironmentVariableA(kHaltThreadVariable, nullptr);
    ASSERT_TRUE(child.started());
    code = child.Wait(30000);
  }
  const int after = StoredDragSetting();
  SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, original, nullptr, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE);
  EXPECT_EQ(code, 0);
  EXPECT_EQ(after, 1) << "the drag setting is on again";
  std::vector<std::string> steps;
  {
    std::ifstream in(trace);
    for (std::string line; std::getline(in, line);) steps.push_back(line);
  }
  auto from = std::find(steps.begin(), steps.end(), "MAIN");
  ASSERT_NE(from, steps.end()) << "the program ran";
  const std::vector<std::string> tail(from + 1, steps.end());
  std::vector<std::string> expected;
  if (GetParam() == 2) expected = {"Caldrel.__attach_thread", "DCTINIT"};  // thread 2's start-ups
  expected.insert(expected.end(), {"drag setting on",      "Caldrel$QUILL003 end",    "Caldrel$QUILL002 end",
                                             "Caldrel.__detach_thread", "DCTKILL", "Caldrel.__detach_process",
                                             "on the first thread"});
  EXPECT_EQ(tail, expected) << "the halt skips the rest of the program body, never the clean-ups";
}

INSTANTIATE_TEST_SUITE_P(Threads, HaltOn, ::testing::Values(1, 2),
                         [](const auto& info) { return "Thread" + std::to_string(info.param); });

}  // namespace
