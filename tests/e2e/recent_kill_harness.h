#pragma once
// Killing the real programs while they change a recent-item file, on each road that writes
// one: Brivane's start (the re-binding of its task-panel list), and Caldrel recording a menu
// choice whose update moves the whole list, or one that only writes slot 1. Every file
// starts as a full list with comments, foreign keys and a large other section around it;
// after each kill the file must hold the old list or the new one, byte for byte, and
// nothing else. The moment of each kill follows the boundary between "old" and "new"
// outcomes as the kills go, so that kills keep landing around the write.
#include <windows.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "stepwise_update.h"
#include "test_support.h"

namespace recent_kill {

using namespace testing_support;

enum class Road { StartRebinding, FullUpdate, SlotOneUpdate };
enum class Outcome { Old, New, Broken };

inline const char* RoadName(Road road) {
  switch (road) {
    case Road::StartRebinding:
      return "Brivane killed during its start (re-binding)";
    case Road::FullUpdate:
      return "Caldrel killed recording a choice that moves the whole list";
    case Road::SlotOneUpdate:
      return "Caldrel killed recording a choice into an empty slot 1";
  }
  return "";
}

inline const char* const kTaskTitles[] = {"Facturacion",      "Pagos",  "Otros Pagos",     "Imputaciones",
                                          "Subdiario de IVA", "Saldos", "Resumen Cta Cte", "Asientos Contables"};

// A full list in the file's own layout, between lines the store does not own.
inline std::string OldFile(Road road) {
  std::string text = "; recientes\r\n[RECIENTES.]\r\n; lista\r\nCampo_21=5\r\n";
  for (int n = road == Road::SlotOneUpdate ? 2 : 1; n <= 20; ++n) {
    const std::string s = std::to_string(n);
    if (road == Road::StartRebinding)
      text += "Encab_" + s + "=" + std::to_string(1000 + n) + "\r\nCampo_" + s + "=" + std::to_string(2000 + n) +
              "\r\nTexto_" + s + "=" + kTaskTitles[(n - 1) % 8] + "\r\n";
    else
      text += "Campo_" + s + "=" + std::to_string(-100 - n) + "\r\nTexto_" + s + "=Opcion " + s + "\r\n";
  }
  text += "Texto_121=fuera\r\n[Otra]\r\n";
  for (int i = 0; i < 400; ++i) text += "clave_" + std::to_string(i) + "=valor de la clave " + std::to_string(i) + "\r\n";
  return text;
}

inline const char* ListFileName(Road road) {
  return road == Road::StartRebinding ? "RECIENTES.TaskPanel.zarozevi.ini" : "RECIENTES.Zarozevi.ini";
}

// What the key-by-key road leaves in a copy of `oldText`, for a Caldrel choice of
// "Facturas" (-7), or for a re-binding to the ids that `result` holds for each title.
inline std::string NewFile(Road road, const std::string& oldText, const std::string& result, const std::string& scratchDir) {
  const std::string copy = scratchDir + "\\expected.ini";
  WriteFileText(copy, oldText);
  if (road == Road::StartRebinding) {
    std::vector<app::RecentTask> tasks;
    for (int t = 0; t < 8; ++t) {
      const std::string s = std::to_string(t + 1);  // slot t+1 holds title t
      tasks.push_back({std::atoi(IniValue(result, "RECIENTES.", "Encab_" + s).c_str()),
                       std::atoi(IniValue(result, "RECIENTES.", "Campo_" + s).c_str()), kTaskTitles[t]});
    }
    recent_test::StepwiseRebind(copy, tasks);
  } else {
    recent_test::StepwisePushRecentItem(copy, app::RecentIdentity::Number, 0, -7, "Facturas");
  }
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, copy.c_str());
  const std::string text = ReadFileText(copy);
  DeleteFileA(copy.c_str());
  return text;
}

inline void Spin(double microseconds) {
  LARGE_INTEGER freq, start, now;
  QueryPerformanceFrequency(&freq);
  QueryPerformanceCounter(&start);
  do QueryPerformanceCounter(&now);
  while (static_cast<double>(now.QuadPart - start.QuadPart) * 1e6 / static_cast<double>(freq.QuadPart) < microseconds);
}

// The visible frame of a process, looked for without pause so that its appearance is seen
// as it happens.
inline ::HWND WaitFrameClosely(DWORD pid, DWORD timeoutMs = 30000) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < timeoutMs)
    if (::HWND frame = FindTopWindow(pid, "Application")) return frame;
  return nullptr;
}

// Starts a program in `dir` (without waiting for it to settle: a start may be what is
// killed), runs `mark` on it, waits `delay` microseconds after the mark and kills it; false
// when the program did not start or did not reach the mark.
inline bool KillAfterMark(const std::string& program, const std::string& dir, double delay,
                          const std::function<bool(DWORD pid)>& mark) {
  const std::string exe = ProgramPath(program);
  std::string cmd = "\"" + exe + "\"";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi))
    return false;
  const bool marked = mark(pi.dwProcessId);
  if (marked) Spin(delay);
  TerminateProcess(pi.hProcess, 9);
  WaitForSingleObject(pi.hProcess, 10000);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return marked;
}

struct Tally {
  int old = 0, fresh = 0, broken = 0, lost = 0;  // lost: the program did not get to the write
  std::string firstProblem;
};

// Runs `kills` kills on one road in `dir` (the programs' folder is found as the tests find it).
class KillRun {
 public:
  KillRun(Road road, std::string dir, uint32_t seed) : road_(road), dir_(std::move(dir)), random_(seed) {
    // Where to aim, after the last sign of life before the write: Brivane's frame appearing
    // (its task-panel window starts after it), or the choice's dialog being closed.
    aim_ = road == Road::StartRebinding ? 60000 : 3000;
    spread_ = road == Road::StartRebinding ? 40000 : 3000;
  }

  // One kill; returns its outcome and adds it to the tally.
  Outcome KillOnce(Tally& tally) {
    const std::string file = dir_ + "\\" + ListFileName(road_);
    const std::string oldText = OldFile(road_);
    WriteFileText(file, oldText);
    const double delay = std::max(0.0, std::uniform_real_distribution<double>(aim_ - spread_, aim_ + spread_)(random_));
    if (!Run(delay)) {
      ++tally.lost;
      return Outcome::Old;
    }
    const std::string found = FileExists(file) ? ReadFileText(file) : std::string("<no file>");
    Outcome outcome = Outcome::Broken;
    if (found == oldText) outcome = Outcome::Old;
    else if (found == NewFile(road_, oldText, file, dir_)) outcome = Outcome::New;
    // Follow the boundary: later after an old list, earlier after a new one.
    const double step = spread_ / 3;
    if (outcome == Outcome::Old) aim_ += step;
    if (outcome == Outcome::New) aim_ = std::max(0.0, aim_ - step);
    if (outcome == Outcome::Old) ++tally.old;
    if (outcome == Outcome::New) ++tally.fresh;
    if (outcome == Outcome::Broken && ++tally.broken == 1)
      tally.firstProblem = "killed " + std::to_string(static_cast<long>(delay)) + " us after the mark:\n" +
                           found.substr(0, 3000);
    return outcome;
  }

 private:
  // Brings the program to the mark, waits `delay` and kills it; false when the program did
  // not reach the mark.
  bool Run(double delay) {
    const bool caldrel = road_ != Road::StartRebinding;
    return KillAfterMark(caldrel ? "Caldrel.exe" : "Brivane.exe", dir_, delay, [caldrel](DWORD pid) {
      if (!caldrel) return WaitFrameClosely(pid) != nullptr;
      ::HWND frame = WaitTopWindow(pid, "Application", 30000);
      if (!frame) return false;
      ChooseMenuItem(frame, -7);  // "Facturas"
      ::HWND dialog = WaitTopWindow(pid, "Caption", 30000);
      if (dialog) CloseAsUser(dialog);
      return dialog != nullptr;
    });
  }

  Road road_;
  std::string dir_;
  std::mt19937 random_;
  double aim_ = 0, spread_ = 0;  // microseconds after the mark
};

}  // namespace recent_kill
