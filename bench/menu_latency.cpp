// Menu choice to dialog visible, with a full recent-item list (20 entries) and with an
// empty one: the frame records the choice after the dialog, so the list should not matter.
#include <windows.h>

#include "bench_support.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// Runs the program in `dir`, chooses "Facturas" `runs` times and returns the median time
// from the choice to the visible dialog.
double Measure(const std::string& exe, const std::string& dir, const std::string& recentFile, bool full, int runs) {
  std::vector<double> times;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::string cmd = "\"" + exe + "\"";
  if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi)) return -1;
  HWND frame = nullptr;
  for (int i = 0; i < 10000 && !(frame = bench::FindVisible(pi.dwProcessId, "Application")); ++i) Sleep(1);
  for (int r = 0; r < runs && frame; ++r) {
    if (full) {  // 20 other entries before every choice, so the update is a full one
      std::string text = "[RECIENTES.]\r\n";
      for (int n = 1; n <= 20; ++n)
        text += "Campo_" + std::to_string(n) + "=" + std::to_string(-100 - n) + "\r\nTexto_" + std::to_string(n) +
                "=Entrada " + std::to_string(n) + "\r\n";
      HANDLE f = CreateFileA((dir + "\\" + recentFile).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
      DWORD written = 0;
      WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
      CloseHandle(f);
    }
    const double t0 = bench::NowMs();
    PostMessageA(frame, WM_COMMAND, MAKEWPARAM(0xFFF9, 0), 0);
    HWND dialog = nullptr;
    for (int i = 0; i < 100000 && !(dialog = bench::FindVisible(pi.dwProcessId, "Caption")); ++i) Sleep(0);
    times.push_back(bench::NowMs() - t0);
    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    for (int i = 0; i < 5000 && bench::FindVisible(pi.dwProcessId, "Caption"); ++i) Sleep(1);
    Sleep(20);
  }
  TerminateProcess(pi.hProcess, 0);
  WaitForSingleObject(pi.hProcess, 5000);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  return bench::Median(times);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string exe = argc > 1 ? argv[1] : "Caldrel.exe";
  const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 15;
  char tmp[MAX_PATH];
  GetTempPathA(MAX_PATH, tmp);
  std::string dir = std::string(tmp) + "bench_menu_" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(dir.c_str(), nullptr);
  const std::string recent = exe.find("Brivane") != std::string::npos ? "RECIENTES.TaskPanel.Frame.zarozevi.ini"
                                                                       : "RECIENTES.Zarozevi.ini";
  const double empty = Measure(exe, dir, recent, false, runs);
  DeleteFileA((dir + "\\" + recent).c_str());
  const double full = Measure(exe, dir, recent, true, runs);
  std::printf("menu choice to dialog visible, median of %d\n", runs);
  std::printf("  empty list  %7.2f ms\n", empty);
  std::printf("  full list   %7.2f ms (goal: at most 16 ms)\n", full);
  std::printf("  ratio       %7.2f\n", empty > 0 ? full / empty : 0.0);
  return 0;
}
