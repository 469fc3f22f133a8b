// The program INI file outlives every run: Caldrel killed at random moments while it closes
// (and stores its frame's placement and the INI manager's own section) leaves the file as it
// was or with the finished placement, and every other section whole.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <random>

#include "recent_kill_harness.h"

namespace {

using namespace testing_support;

constexpr int kKills = 30;

// A file from an earlier run that knew no frame placement yet, with a large foreign section.
std::string OldIni() {
  std::string text = "[__Dont_Touch_Me__]\r\nSectors=Zeta\r\n[Zeta]\r\nXPos=1\r\n[Otra]\r\n";
  for (int i = 0; i < 400; ++i) text += "clave_" + std::to_string(i) + "=valor " + std::to_string(i) + "\r\n";
  return text;
}

// Whether the file holds the frame's whole placement, the manager's section naming it, and
// every line of the other sections.
bool IsFinished(const std::string& file) {
  for (const char* key : {"XPos", "YPos", "Width", "Height", "Maximize", "Minimize"})
    if (IniValue(file, "Main", key).empty()) return false;
  if (IniValue(file, "__Dont_Touch_Me__", "Sectors") != "Main,Zeta") return false;
  if (IniValue(file, "Zeta", "XPos") != "1") return false;
  for (int i = 0; i < 400; ++i)
    if (IniValue(file, "Otra", "clave_" + std::to_string(i)) != "valor " + std::to_string(i)) return false;
  return true;
}

// Starts Caldrel, asks its frame to close, waits `delay` microseconds and kills it; false when
// the frame never appeared.
bool CloseAndKill(const std::string& dir, double delay) {
  const std::string exe = ProgramPath("Caldrel.exe");
  std::string cmd = "\"" + exe + "\"";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi))
    return false;
  const ::HWND frame = WaitTopWindow(pi.dwProcessId, "Application", 30000);
  if (frame) {
    PostMessageA(frame, WM_CLOSE, 0, 0);
    recent_kill::Spin(delay);
  }
  TerminateProcess(pi.hProcess, 9);
  WaitForSingleObject(pi.hProcess, 10000);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return frame != nullptr;
}

TEST(ProgramIniKill, TheFileHoldsTheOldContentOrTheFinishedOne) {
  const uint32_t seed = GetTickCount() ^ (GetCurrentProcessId() << 16);
  std::cout << "kill moments from seed " << seed << std::endl;
  std::mt19937 random(seed);
  TempDir dir;
  const std::string file = dir.path() + "\\Caldrel.INI";
  const std::string old = OldIni();
  // The moment of each kill follows the boundary between "old" and "finished" outcomes.
  double aim = 20000, spread = 20000;
  int olds = 0, finished = 0;
  for (int kill = 0; kill < kKills; ++kill) {
    WriteFileText(file, old);
    const double delay = std::max(0.0, std::uniform_real_distribution<double>(aim - spread, aim + spread)(random));
    ASSERT_TRUE(CloseAndKill(dir.path(), delay)) << "Caldrel did not start";
    const std::string found = FileExists(file) ? ReadFileText(file) : "<no file>";
    if (found == old) {
      ++olds;
      aim += spread / 3;
    } else {
      ASSERT_TRUE(IsFinished(file)) << "killed " << static_cast<long>(delay) << " us after the close request:\n"
                                    << found.substr(0, 2000);
      ++finished;
      aim = std::max(0.0, aim - spread / 3);
    }
  }
  std::cout << kKills << " kills: " << olds << " old, " << finished << " finished" << std::endl;
}

}  // namespace
