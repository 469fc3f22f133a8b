#pragma once
// Helpers shared by the tests: temporary directories, started programs, waiting, finding
// windows and reading pixels back. Everything goes through the real Win32 calls.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace testing_support {

// A fresh directory under the temporary path, removed with everything in it at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

// Makes `dir` the current directory for a while.
class ScopedCurrentDir {
 public:
  explicit ScopedCurrentDir(const std::string& dir);
  ~ScopedCurrentDir();

 private:
  std::string previous_;
};

// Waits (pumping this thread's messages) until `done` holds or the time is up.
bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs = 10000);
// Pumps this thread's messages for about `ms` milliseconds.
void Pump(DWORD ms);

// A program started in a working directory.
class Process {
 public:
  Process(const std::string& exe, const std::string& workDir, const std::string& args = "");
  ~Process();  // terminates the process if it still runs
  bool started() const { return pi_.hProcess != nullptr; }
  DWORD pid() const { return pi_.dwProcessId; }
  HANDLE handle() const { return pi_.hProcess; }
  // Waits for the end; returns the exit code, or -1 on time-out.
  long Wait(DWORD timeoutMs = 20000);
  void Kill();

 private:
  PROCESS_INFORMATION pi_{};
};

// Path of a program built beside the tests ("Brivane.exe", "Caldrel.exe").
std::string ProgramPath(const std::string& exe);

// Top-level windows of a process (visible only, or all).
std::vector<::HWND> TopWindows(DWORD pid, bool visibleOnly = true);
// The first visible top-level window of `pid` whose caption is `caption` (null when none).
::HWND FindTopWindow(DWORD pid, const std::string& caption);
// Waits for such a window.
::HWND WaitTopWindow(DWORD pid, const std::string& caption, DWORD timeoutMs = 15000);
// A descendant window with the caption (null when none).
::HWND FindChildByText(::HWND parent, const std::string& text);
std::string WindowText(::HWND hwnd);
std::string ClassOf(::HWND hwnd);
// Texts of all descendant windows, in Z order.
std::vector<std::string> ChildTexts(::HWND parent);

// Closes a window as a user would (WM_SYSCOMMAND SC_CLOSE).
void CloseAsUser(::HWND hwnd);
// Chooses a menu item of a window by its command id, as automation would.
void ChooseMenuItem(::HWND window, int32_t feq);
// One real key press or release, to the foreground window.
void SendKey(WORD vk, bool up);
// Real key presses for the foreground window: the keys of a chord pressed in order and
// released in reverse ({VK_MENU, 'O'} is Alt+O).
void PressKeys(const std::vector<WORD>& chord);
// The window that has the keyboard focus on a thread (of any process).
::HWND FocusOf(DWORD thread);

// The visible popup menu window ("#32768") of a process, waiting for it.
::HWND WaitPopupMenu(DWORD pid, DWORD timeoutMs = 10000);
// Picks item n (1-based) of the open popup menu with the keyboard, or dismisses it (n = 0).
void PickPopupItem(::HWND menuWindow, int n);

// A 32-bit top-down DIB section selected into a memory DC; both released at the end.
class Dib32 {
 public:
  Dib32(int width, int height);
  ~Dib32();
  Dib32(const Dib32&) = delete;
  Dib32& operator=(const Dib32&) = delete;
  HDC dc() const { return dc_; }
  // Pixels 0x00RRGGBB, row by row from the top (after GdiFlush).
  const uint32_t* bits() const { return static_cast<const uint32_t*>(bits_); }

 private:
  HDC dc_ = nullptr;
  HBITMAP dib_ = nullptr;
  HGDIOBJ old_ = nullptr;
  void* bits_ = nullptr;
};

// A copy of a window's client area (or of the whole window) in 32-bit pixels, read through
// the window's device context, or from the screen (another process's window cannot be read
// through its own device context under Wine).
class Capture {
 public:
  enum class From { Client, Window, Screen };
  explicit Capture(::HWND hwnd, bool wholeWindow = false)
      : Capture(hwnd, wholeWindow ? From::Window : From::Client) {}
  Capture(::HWND hwnd, From from);
  int width() const { return width_; }
  int height() const { return height_; }
  // Colour 0x00BBGGRR at (x, y); CLR_INVALID outside.
  COLORREF At(int x, int y) const;

 private:
  int width_ = 0, height_ = 0;
  std::vector<uint32_t> pixels_;
};

// Dialog units of a font, converted to pixels as Windows converts them for a dialog that uses
// that font (a real dialog made from a template in memory, asked through MapDialogRect).
class DialogUnits {
 public:
  DialogUnits(const std::string& face, WORD points);
  bool valid() const { return perFourX_ > 0 && perEightY_ > 0; }
  // Pixels of `units` horizontal or vertical dialog units, rounded as MapDialogRect rounds.
  int X(int units) const { return MulDiv(units, perFourX_, 4000); }
  int Y(int units) const { return MulDiv(units, perEightY_, 8000); }

 private:
  int perFourX_ = 0, perEightY_ = 0;  // pixels of 4000 horizontal and 8000 vertical units
};

// A hidden top-level window that calls `onChange` each time a set call of the
// drag-full-windows setting is announced (with the update flags, a set call broadcasts
// WM_SETTINGCHANGE to every top-level window, of any process). Messages reach it while its
// thread pumps or waits in a sent-message-aware way.
class DragSettingListener {
 public:
  explicit DragSettingListener(std::function<void()> onChange);
  ~DragSettingListener();
  DragSettingListener(const DragSettingListener&) = delete;
  DragSettingListener& operator=(const DragSettingListener&) = delete;

 private:
  static LRESULT CALLBACK Proc(::HWND h, UINT msg, WPARAM wp, LPARAM lp);
  std::function<void()> onChange_;
  ::HWND window_ = nullptr;
};

// The drag-full-windows setting as stored for the user: 1 on, 0 off, -1 unreadable. Another
// process's change is read where it is stored (Wine caches the setting per process).
int StoredDragSetting();

// An INI value as the private-profile API reads it ("" when missing).
std::string IniValue(const std::string& file, const std::string& section, const std::string& key);
bool FileExists(const std::string& path);
// The names in a folder (files and folders, without "." and ".."), sorted.
std::vector<std::string> NamesIn(const std::string& dir);
std::string ReadFileText(const std::string& path);
void WriteFileText(const std::string& path, const std::string& text);

}  // namespace testing_support
