// Start-up benchmark: time from process start to the frame being visible, side by side with
// Wine's own notepad, several runs each; prints both medians and the ratio.
#include <windows.h>

#include "bench_support.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// Milliseconds from CreateProcess to the first visible window (with that caption), or -1.
double TimeToWindow(const std::string& exe, const char* caption, const std::string& dir) {
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::string cmd = "\"" + exe + "\"";
  LARGE_INTEGER f, t0, t1;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&t0);
  if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi)) return -1;
  double ms = -1;
  for (int i = 0; i < 20000; ++i) {
    if (bench::FindVisible(pi.dwProcessId, caption)) {
      QueryPerformanceCounter(&t1);
      ms = 1000.0 * static_cast<double>(t1.QuadPart - t0.QuadPart) / static_cast<double>(f.QuadPart);
      break;
    }
    Sleep(1);
  }
  TerminateProcess(pi.hProcess, 0);
  WaitForSingleObject(pi.hProcess, 5000);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  return ms;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 7;
  std::string program = argc > 1 ? argv[1] : "Brivane.exe";
  char tmp[MAX_PATH];
  GetTempPathA(MAX_PATH, tmp);
  std::vector<double> ours, notepad;
  TimeToWindow(program, "Application", tmp);  // warm-up: first loads of the DLLs
  TimeToWindow("notepad.exe", nullptr, tmp);
  for (int i = 0; i < runs; ++i) {
    ours.push_back(TimeToWindow(program, "Application", tmp));
    notepad.push_back(TimeToWindow("notepad.exe", nullptr, tmp));
  }
  const double a = bench::Median(ours), b = bench::Median(notepad);
  std::printf("startup to visible frame, %d runs each (median)\n", runs);
  std::printf("  %-12s %8.1f ms\n", program.c_str(), a);
  std::printf("  %-12s %8.1f ms\n", "notepad.exe", b);
  std::printf("  ratio         %8.2f (goal: at most 1.20)\n", b > 0 ? a / b : 0.0);
  return 0;
}
