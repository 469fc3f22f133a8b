// Menu choice to dialog visible.
// Cold: the first choice of a fresh process ("Facturas", posted the moment the frame is
// visible), median over several processes, side by side with reference_popup.exe, a minimal
// Win32 program that shows a comparable popup for the first time, measured the same way.
// Warm: the later choices of one run, with a full recent-item list (20 entries) and with an
// empty one: the frame records the choice after the dialog, so the list should not matter.
// Usage: bench_menu_latency PROGRAM.exe [choices per run] [cold processes] [reference.exe]
#include <windows.h>

#include "bench_support.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr WPARAM kFacturas = MAKEWPARAM(0xFFF9, 0);  // the command id of "Facturas" (-7)
constexpr char kDialogCaption[] = "Caption";

// A started program, its frame once visible.
class Program {
 public:
  Program(const std::string& exe, const std::string& dir, const char* frameCaption) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    std::string cmd = "\"" + exe + "\"";
    if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi_)) return;
    started_ = true;
    for (int i = 0; i < 10000 && !(frame_ = bench::FindVisible(pi_.dwProcessId, frameCaption)); ++i) Sleep(1);
  }
  ~Program() {
    if (!started_) return;
    TerminateProcess(pi_.hProcess, 0);
    WaitForSingleObject(pi_.hProcess, 5000);
    CloseHandle(pi_.hProcess);
    CloseHandle(pi_.hThread);
  }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  bool Ready() const { return frame_ != nullptr; }

  // Chooses "Facturas" and returns the milliseconds until the dialog is visible (-1 when it
  // never shows), then closes the dialog again.
  double ChooseFacturas() {
    const double t0 = bench::NowMs();
    PostMessageA(frame_, WM_COMMAND, kFacturas, 0);
    HWND dialog = nullptr;
    for (int i = 0; i < 100000 && !(dialog = bench::FindVisible(pi_.dwProcessId, kDialogCaption)); ++i) Sleep(0);
    const double ms = dialog ? bench::NowMs() - t0 : -1;
    if (dialog) PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    for (int i = 0; i < 5000 && bench::FindVisible(pi_.dwProcessId, kDialogCaption); ++i) Sleep(1);
    Sleep(20);
    return ms;
  }

 private:
  PROCESS_INFORMATION pi_{};
  HWND frame_ = nullptr;
  bool started_ = false;
};

struct Figures {
  double median = -1, slowest = -1;
};

Figures Summarise(const std::vector<double>& times) {
  if (times.empty()) return {};
  return {bench::Median(times), *std::max_element(times.begin(), times.end())};
}

void WriteFullList(const std::string& path) {
  std::string text = "[RECIENTES.]\r\n";
  for (int n = 1; n <= 20; ++n)
    text += "Campo_" + std::to_string(n) + "=" + std::to_string(-100 - n) + "\r\nTexto_" + std::to_string(n) +
            "=Entrada " + std::to_string(n) + "\r\n";
  HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(f);
}

// The later choices of one run (the first one, cold, is left out): with `full`, 20 other
// entries are stored before every choice, so that each update is a full one.
Figures Warm(const std::string& exe, const std::string& dir, const std::string& recentFile, bool full, int runs) {
  Program program(exe, dir, "Application");
  if (!program.Ready()) return {};
  program.ChooseFacturas();
  std::vector<double> times;
  for (int r = 0; r < runs; ++r) {
    if (full) WriteFullList(dir + "\\" + recentFile);
    times.push_back(program.ChooseFacturas());
  }
  return Summarise(times);
}

std::string FreshDirectory(const std::string& name) {
  char tmp[MAX_PATH];
  GetTempPathA(MAX_PATH, tmp);
  std::string dir = std::string(tmp) + name + "_" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(dir.c_str(), nullptr);
  return dir;
}

std::string BesideThisProgram(const char* file) {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string dir = self;
  dir.erase(dir.find_last_of("\\/") + 1);
  return dir + file;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string exe = argc > 1 ? argv[1] : "Caldrel.exe";
  const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 15;
  const int processes = argc > 3 ? std::max(1, atoi(argv[3])) : 9;
  const std::string reference = argc > 4 ? argv[4] : BesideThisProgram("reference_popup.exe");
  const std::string dir = FreshDirectory("bench_menu");
  const std::string recent = exe.find("Brivane") != std::string::npos ? "RECIENTES.TaskPanel.Frame.zarozevi.ini"
                                                                       : "RECIENTES.Zarozevi.ini";

  // Cold: one fresh process per figure, the program and the reference taking turns; one
  // unmeasured run of each first, so that neither pays for loading its files from disk.
  std::vector<double> cold, coldReference;
  for (int p = -1; p < processes; ++p) {
    Program program(exe, dir, "Application");
    const double ours = program.Ready() ? program.ChooseFacturas() : -1;
    Program ref(reference, dir, "Reference");
    const double theirs = ref.Ready() ? ref.ChooseFacturas() : -1;
    if (p < 0) continue;
    if (ours >= 0) cold.push_back(ours);
    if (theirs >= 0) coldReference.push_back(theirs);
  }

  const Figures empty = Warm(exe, dir, recent, false, runs);
  DeleteFileA((dir + "\\" + recent).c_str());
  const Figures full = Warm(exe, dir, recent, true, runs);

  const Figures c = Summarise(cold), r = Summarise(coldReference);
  std::printf("first menu choice of a fresh process to dialog visible, median of %d processes\n", processes);
  std::printf("  program     %7.2f ms (slowest %.2f)\n", c.median, c.slowest);
  std::printf("  reference   %7.2f ms (slowest %.2f)\n", r.median, r.slowest);
  std::printf("  ratio       %7.2f (goal: at most 1.50)\n", r.median > 0 ? c.median / r.median : 0.0);
  std::printf("later menu choices to dialog visible, %d in one run\n", runs);
  std::printf("  empty list  %7.2f ms median, %.2f ms slowest\n", empty.median, empty.slowest);
  std::printf("  full list   %7.2f ms median, %.2f ms slowest (goal: at most 16 ms, each)\n", full.median,
              full.slowest);
  std::printf("  ratio       %7.2f (full / empty, medians)\n", empty.median > 0 ? full.median / empty.median : 0.0);
  return 0;
}
