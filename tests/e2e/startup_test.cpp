// Both programs start, open their frame, keep its placement in the program INI file and
// end with exit code 0, whatever the INI file holds.
#include <gtest/gtest.h>

#include "e2e_support.h"

namespace {

using namespace e2e;

class EachProgram : public ::testing::TestWithParam<Program> {};

TEST_P(EachProgram, OpensTheFrameAndExitsWithZeroLeavingThePlacement) {
  TempDir dir;
  Running run(GetParam(), dir.path());
  ASSERT_TRUE(run.frame()) << "no visible top-level window \"Application\"";
  EXPECT_TRUE(IsWindowVisible(run.frame()));
  EXPECT_EQ(GetParent(run.frame()), nullptr);
  EXPECT_NE(GetMenu(run.frame()), nullptr) << "the frame has a menu bar";
  ASSERT_TRUE(run.FrameRunning());
  // The frame's start-up, which starts the task-panel thread in Brivane, is over now.
  EXPECT_EQ(ThreadCount(run.process().pid()), GetParam().threads) << "threads while the frame runs";
  EXPECT_EQ(run.Exit(), 0);
  for (const char* key : {"XPos", "YPos", "Width", "Height", "Maximize", "Minimize"})
    EXPECT_NE(IniValue(run.Ini(), "Main", key), "") << key;
  EXPECT_NE(IniValue(run.Ini(), "__Dont_Touch_Me__", "Sectors"), "");
}

TEST_P(EachProgram, ASecondRunOpensWhereTheFirstWasLeft) {
  TempDir dir;
  RECT moved{};
  {
    Running run(GetParam(), dir.path());
    ASSERT_TRUE(run.frame());
    SetWindowPos(run.frame(), nullptr, 123, 87, 640, 420, SWP_NOZORDER | SWP_NOACTIVATE);
    WaitFor([&] {
      RECT r;
      GetWindowRect(run.frame(), &r);
      return r.left == 123 && r.right - r.left == 640;
    });
    GetWindowRect(run.frame(), &moved);
    ASSERT_EQ(run.Exit(), 0);
  }
  Running again(GetParam(), dir.path());
  ASSERT_TRUE(again.frame());
  RECT r{};
  GetWindowRect(again.frame(), &r);
  EXPECT_EQ(r.left, moved.left);
  EXPECT_EQ(r.top, moved.top);
  EXPECT_EQ(r.right - r.left, moved.right - moved.left);
  EXPECT_EQ(r.bottom - r.top, moved.bottom - moved.top);
  EXPECT_EQ(again.Exit(), 0);
}

// A program INI file that is garbage, holds unusable placements, or cannot be written:
// the frame still opens at a visible, sane place and the program ends normally.
TEST_P(EachProgram, BadProgramIniFilesStillGiveASaneFrame) {
  struct Case {
    const char* what;
    std::string content;  // empty: a directory stands where the file would be
  } cases[] = {
      {"garbage bytes", std::string("\x01\xff[[[\x00\x7f=\n\r=]]", 14) + std::string(300, '\xfe')},
      {"non-numeric", "[Main]\nXPos=abc\nYPos=1x\nWidth=wide\nHeight=\nMaximize=no\nMinimize=?\n"},
      {"negative", "[Main]\nXPos=-5000\nYPos=-5000\nWidth=-300\nHeight=-200\nMaximize=0\nMinimize=0\n"},
      {"off-screen", "[Main]\nXPos=90000\nYPos=70000\nWidth=500\nHeight=400\nMaximize=0\nMinimize=0\n"},
      {"2^31", "[Main]\nXPos=2147483648\nYPos=2147483648\nWidth=2147483648\nHeight=2147483648\nMaximize=0\nMinimize=0\n"},
      {"minimised", "[Main]\nXPos=10\nYPos=10\nWidth=500\nHeight=400\nMaximize=0\nMinimize=1\n"},
      {"read-only", ""},
  };
  const int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const std::string ini = dir.File(GetParam().iniFile);
    if (c.content.empty()) CreateDirectoryA(ini.c_str(), nullptr);
    else WriteFileText(ini, c.content);
    Running run(GetParam(), dir.path());
    ASSERT_TRUE(run.frame());
    RECT r{};
    GetWindowRect(run.frame(), &r);
    EXPECT_FALSE(IsIconic(run.frame()));
    EXPECT_GE(r.right - r.left, 100);
    EXPECT_GE(r.bottom - r.top, 50);
    EXPECT_LE(r.right - r.left, screenW + 16);
    EXPECT_LE(r.bottom - r.top, screenH + 16);
    EXPECT_GE(r.left, -16);
    EXPECT_GE(r.top, -16);
    EXPECT_LE(r.right, screenW + 16);
    EXPECT_LE(r.bottom, screenH + 16);
    EXPECT_EQ(run.Exit(), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Programs, EachProgram, ::testing::Values(kBrivane, kCaldrel),
                         [](const auto& info) { return info.param.exe.substr(0, info.param.exe.size() - 4); });

// Counts the changes of the drag-full-windows setting that any process announces: a set call
// with the update flags broadcasts WM_SETTINGCHANGE to every top-level window, this one too.
class SettingChanges {
 public:
  int count() const { return count_; }
  void reset() { count_ = 0; }

 private:
  int count_ = 0;
  DragSettingListener listener_{[this] { ++count_; }};
};

// The drag-full-windows setting is off while a program runs when it was on, and on again
// afterwards: one set call each way, announced to every window. When it was off at the start
// no set call is made at all, not even one to the same value.
TEST(DragSetting, SwitchedOffWhileTheFrameRunsOnlyWhenItWasOn) {
  BOOL original = FALSE;
  SystemParametersInfoA(SPI_GETDRAGFULLWINDOWS, 0, &original, 0);
  auto setting = [] { return StoredDragSetting(); };
  SettingChanges changes;
  for (const Program* program : {&kCaldrel, &kBrivane}) {
    for (BOOL start : {TRUE, FALSE}) {
      SCOPED_TRACE(program->exe + (start ? ", on at start" : ", off at start"));
      SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, start, nullptr, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE);
      ASSERT_EQ(setting(), start);
      changes.reset();  // this thread's own call is counted at once
      TempDir dir;
      Running run(*program, dir.path());
      ASSERT_TRUE(run.frame());
      EXPECT_TRUE(WaitFor([&] { return setting() == FALSE; })) << "off while the frame runs";
      // A set call waits until every window has seen its announcement: once the frame is up,
      // the start's call has been counted, or there was none.
      EXPECT_TRUE(WaitFor([&] { return changes.count() == (start ? 1 : 0); }))
          << changes.count() << ": switched off once, and only when it was on";
      EXPECT_EQ(run.Exit(), 0);
      EXPECT_TRUE(WaitFor([&] { return setting() == start; })) << "as it was after the frame closed";
      EXPECT_TRUE(WaitFor([&] { return changes.count() == (start ? 2 : 0); }))
          << changes.count() << ": switched on again once, and only when it was switched off";
    }
  }
  SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, original, nullptr, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE);
}

}  // namespace
