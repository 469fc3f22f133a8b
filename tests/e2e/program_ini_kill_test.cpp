// The program INI file outlives every run: Caldrel killed at random moments while it closes
// (and stores its frame's placement, then the INI manager's own section) leaves every section
// of the file whole: as it was, or as that step finished it.
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

// Whether every section of the file is whole: the frame's placement absent (not stored yet) or
// with all six keys, the manager's list of sections as before or naming the frame too, and
// every line of the other sections. The placement and the manager's section are stored one
// after the other, so a kill between the two leaves the first without the second.
bool EverySectionWhole(const std::string& file) {
  int keys = 0;
  for (const char* key : {"XPos", "YPos", "Width", "Height", "Maximize", "Minimize"})
    keys += IniValue(file, "Main", key).empty() ? 0 : 1;
  if (keys != 0 && keys != 6) return false;
  const std::string sectors = IniValue(file, "__Dont_Touch_Me__", "Sectors");
  if (sectors != "Zeta" && !(sectors == "Main,Zeta" && keys == 6)) return false;
  if (IniValue(file, "Zeta", "XPos") != "1") return false;
  for (int i = 0; i < 400; ++i)
    if (IniValue(file, "Otra", "clave_" + std::to_string(i)) != "valor " + std::to_string(i)) return false;
  return true;
}

// Starts Caldrel, asks its frame to close, waits `delay` microseconds and kills it; false when
// the frame never appeared.
bool CloseAndKill(const std::string& dir, double delay) {
  return recent_kill::KillAfterMark("Caldrel.exe", dir, delay, [](DWORD pid) {
    const ::HWND frame = WaitTopWindow(pid, "Application", 30000);
    if (frame) PostMessageA(frame, WM_CLOSE, 0, 0);
    return frame != nullptr;
  });
}

TEST(ProgramIniKill, EverySectionStaysWhole) {
  const uint32_t seed = GetTickCount() ^ (GetCurrentProcessId() << 16);
  std::cout << "kill moments from seed " << seed << std::endl;
  std::mt19937 random(seed);
  TempDir dir;
  const std::string file = dir.path() + "\\Caldrel.INI";
  const std::string old = OldIni();
  // The moment of each kill follows the boundary between unchanged and changed files.
  double aim = 20000, spread = 20000;
  int olds = 0, changed = 0;
  for (int kill = 0; kill < kKills; ++kill) {
    WriteFileText(file, old);
    const double delay = std::max(0.0, std::uniform_real_distribution<double>(aim - spread, aim + spread)(random));
    ASSERT_TRUE(CloseAndKill(dir.path(), delay)) << "Caldrel did not start";
    const std::string found = FileExists(file) ? ReadFileText(file) : "<no file>";
    if (found == old) {
      ++olds;
      aim += spread / 3;
    } else {
      ASSERT_TRUE(EverySectionWhole(file)) << "killed " << static_cast<long>(delay) << " us after the close request:\n"
                                           << found.substr(found.size() > 1500 ? found.size() - 1500 : 0);
      ++changed;
      aim = std::max(0.0, aim - spread / 3);
    }
  }
  std::cout << kKills << " kills: " << olds << " unchanged, " << changed << " changed" << std::endl;
}

}  // namespace
