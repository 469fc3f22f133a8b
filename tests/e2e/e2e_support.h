#pragma once
// Running the real programs: one started exe in a fresh directory, its frame found by caption.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <memory>
#include <string>

#include "test_support.h"

namespace e2e {

using namespace testing_support;

struct Program {
  std::string exe;        // "Brivane.exe"
  std::string iniFile;    // "Brivane.INI"
  std::string frameFile;  // the frame's recent-item file
  int threads;            // threads that run while the frame is open
};

// Brivane runs its task-panel window on a second thread; Caldrel starts none.
inline const Program kBrivane{"Brivane.exe", "Brivane.INI", "RECIENTES.TaskPanel.Frame.zarozevi.ini", 2};
inline const Program kCaldrel{"Caldrel.exe", "Caldrel.INI", "RECIENTES.Zarozevi.ini", 1};

// Threads of a process now.
inline int ThreadCount(DWORD pid) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  int n = 0;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
    if (entry.th32OwnerProcessID == pid) ++n;
  CloseHandle(snapshot);
  return n;
}

// A program running in a directory, with its frame window.
class Running {
 public:
  Running(const Program& program, const std::string& dir) : program_(program), dir_(dir) {
    process_ = std::make_unique<Process>(ProgramPath(program.exe), dir);
    if (process_->started()) frame_ = WaitTopWindow(process_->pid(), "Application");
  }
  ~Running() {
    if (process_ && process_->started() && process_->Wait(0) == -1) process_->Kill();
  }
  ::HWND frame() const { return frame_; }
  // The frame's thread has finished its window start-up and runs its event loop.
  bool FrameRunning() const {
    DWORD_PTR result = 0;
    return frame_ && SendMessageTimeoutA(frame_, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result) != 0;
  }
  Process& process() { return *process_; }
  std::string File(const std::string& name) const { return dir_ + "\\" + name; }
  std::string Ini() const { return File(program_.iniFile); }
  std::string Recent() const { return File(program_.frameFile); }

  // Chooses "E&xit" and waits for the end; returns the exit code (-1 on time-out).
  long Exit() {
    ChooseMenuItem(frame_, -4);
    return process_->Wait(20000);
  }
  // The visible dialog "Caption" of the program (waits for it).
  ::HWND WaitDialog(DWORD timeoutMs = 10000) { return WaitTopWindow(process_->pid(), "Caption", timeoutMs); }
  // Texts shown in the dialog's text control.
  static std::string DialogText(::HWND dialog) {
    ::HWND text = GetDlgItem(dialog, 1);
    return text ? WindowText(text) : std::string("<no text control>");
  }
  // The dialog comes to show `expected` in its text control (filled in only after the window
  // has appeared, so it is waited for).
  static ::testing::AssertionResult Shows(::HWND dialog, const std::string& expected) {
    std::string shown;
    if (WaitFor([&] { return (shown = DialogText(dialog)) == expected; })) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the dialog shows \"" << shown << "\", not \"" << expected << "\"";
  }

 private:
  Program program_;
  std::string dir_;
  std::unique_ptr<Process> process_;
  ::HWND frame_ = nullptr;
};

}  // namespace e2e

namespace e2e {
inline void PrintTo(const Program& p, std::ostream* os) { *os << p.exe; }
}  // namespace e2e
