#include "test_support.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace testing_support {
namespace {

void RemoveTree(const std::string& dir) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = fd.cFileName;
      if (name == "." || name == "..") continue;
      const std::string full = dir + "\\" + name;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(full);
      else {
        SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(full.c_str());
      }
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryA(dir.c_str());
}

}  // namespace

TempDir::TempDir() {
  char base[MAX_PATH];
  GetTempPathA(MAX_PATH, base);
  static unsigned counter = 0;
  for (;;) {
    char name[MAX_PATH];
    std::snprintf(name, sizeof name, "%sbvt_%lu_%lu_%u", base, GetCurrentProcessId(), GetTickCount(), ++counter);
    if (CreateDirectoryA(name, nullptr)) {
      path_ = name;
      break;
    }
  }
}

TempDir::~TempDir() { RemoveTree(path_); }

ScopedCurrentDir::ScopedCurrentDir(const std::string& dir) {
  char cur[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, cur);
  previous_ = cur;
  SetCurrentDirectoryA(dir.c_str());
}
ScopedCurrentDir::~ScopedCurrentDir() { SetCurrentDirectoryA(previous_.c_str()); }

void Pump(DWORD ms) {
  const DWORD end = GetTickCount() + ms;
  do {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  } while (static_cast<LONG>(end - GetTickCount()) > 0);
}

bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (done()) return true;
    if (GetTickCount() - start > timeoutMs) return done();
    Pump(20);
  }
}

Process::Process(const std::string& exe, const std::string& workDir, const std::string& args) {
  STARTUPINFOA si{};
  si.cb = sizeof si;
  std::string cmd = "\"" + exe + "\"" + (args.empty() ? "" : " " + args);
  std::vector<char> buf(cmd.begin(), cmd.end());
  buf.push_back('\0');
  // Wine has been seen to refuse a start now and then while other tests start and end
  // programs beside it: the harness tries again, and says so.
  for (int attempt = 1; attempt <= 3; ++attempt) {
    if (CreateProcessA(exe.c_str(), buf.data(), nullptr, nullptr, FALSE, 0, nullptr, workDir.c_str(), &si, &pi_)) {
      WaitForInputIdle(pi_.hProcess, 5000);
      return;
    }
    std::fprintf(stderr, "CreateProcessA(%s) in %s, try %d: error %lu\n", exe.c_str(), workDir.c_str(), attempt,
                 GetLastError());
    pi_ = PROCESS_INFORMATION{};
    Sleep(250);
  }
}

Process::~Process() {
  if (pi_.hProcess) {
    if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) Kill();
    CloseHandle(pi_.hProcess);
    CloseHandle(pi_.hThread);
  }
}

long Process::Wait(DWORD timeoutMs) {
  if (!pi_.hProcess) return -1;
  const DWORD start = GetTickCount();
  while (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) {
    if (GetTickCount() - start > timeoutMs) return -1;
    Pump(20);
  }
  DWORD code = 0;
  GetExitCodeProcess(pi_.hProcess, &code);
  return static_cast<long>(code);
}

void Process::Kill() {
  if (pi_.hProcess) {
    TerminateProcess(pi_.hProcess, 99);
    WaitForSingleObject(pi_.hProcess, 5000);
  }
}

std::string ProgramPath(const std::string& exe) {
  char buf[MAX_PATH] = {};
  DWORD n = GetEnvironmentVariableA("TEST_BIN_DIR", buf, MAX_PATH);
  std::string dir;
  if (n > 0 && n < MAX_PATH) {
    dir = buf;
    // A Unix path from the build: reach it through Wine's drive Z:.
    if (!dir.empty() && dir[0] == '/') {
      std::replace(dir.begin(), dir.end(), '/', '\\');
      dir = "Z:" + dir;
    }
  } else {
    GetModuleFileNameA(nullptr, buf, MAX_PATH);
    dir = buf;
    dir = dir.substr(0, dir.find_last_of("\\/"));
  }
  return dir + "\\" + exe;
}

std::vector<::HWND> TopWindows(DWORD pid, bool visibleOnly) {
  struct Ctx {
    DWORD pid;
    bool visible;
    std::vector<::HWND> out;
  } ctx{pid, visibleOnly, {}};
  struct Enum {
    static BOOL CALLBACK Proc(::HWND h, LPARAM lp) {
      auto* c = reinterpret_cast<Ctx*>(lp);
      DWORD p = 0;
      GetWindowThreadProcessId(h, &p);
      if (p == c->pid && (!c->visible || IsWindowVisible(h))) c->out.push_back(h);
      return TRUE;
    }
  };
  EnumWindows(Enum::Proc, reinterpret_cast<LPARAM>(&ctx));
  return ctx.out;
}

std::string WindowText(::HWND hwnd) {
  char buf[2048] = {};
  // WM_GETTEXT works across processes for ordinary windows and controls.
  SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 2000, nullptr);
  return buf;
}

std::string ClassOf(::HWND hwnd) {
  char buf[256] = {};
  GetClassNameA(hwnd, buf, sizeof buf);
  return buf;
}

::HWND FindTopWindow(DWORD pid, const std::string& caption) {
  for (::HWND h : TopWindows(pid))
    if (WindowText(h) == caption) return h;
  return nullptr;
}

::HWND WaitTopWindow(DWORD pid, const std::string& caption, DWORD timeoutMs) {
  ::HWND found = nullptr;
  WaitFor([&] { return (found = FindTopWindow(pid, caption)) != nullptr; }, timeoutMs);
  return found;
}

::HWND FindChildByText(::HWND parent, const std::string& text) {
  struct Ctx {
    const std::string* text;
    ::HWND found;
  } ctx{&text, nullptr};
  struct Enum {
    static BOOL CALLBACK Proc(::HWND h, LPARAM lp) {
      auto* c = reinterpret_cast<Ctx*>(lp);
      if (WindowText(h) == *c->text) {
        c->found = h;
        return FALSE;
      }
      return TRUE;
    }
  };
  EnumChildWindows(parent, Enum::Proc, reinterpret_cast<LPARAM>(&ctx));
  return ctx.found;
}

std::vector<std::string> ChildTexts(::HWND parent) {
  std::vector<std::string> out;
  struct Enum {
    static BOOL CALLBACK Proc(::HWND h, LPARAM lp) {
      reinterpret_cast<std::vector<std::string>*>(lp)->push_back(WindowText(h));
      return TRUE;
    }
  };
  EnumChildWindows(parent, Enum::Proc, reinterpret_cast<LPARAM>(&out));
  return out;
}

void CloseAsUser(::HWND hwnd) { PostMessageA(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0); }

void ChooseMenuItem(::HWND window, int32_t feq) {
  PostMessageA(window, WM_COMMAND, MAKEWPARAM(static_cast<uint16_t>(feq), 0), 0);
}

namespace {
INPUT KeyInput(WORD vk, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return in;
}
}  // namespace

void SendKey(WORD vk, bool up) {
  INPUT in = KeyInput(vk, up);
  SendInput(1, &in, sizeof in);
}

void PressKeys(const std::vector<WORD>& chord) {
  std::vector<INPUT> inputs;
  for (WORD vk : chord) inputs.push_back(KeyInput(vk, false));
  for (auto it = chord.rbegin(); it != chord.rend(); ++it) inputs.push_back(KeyInput(*it, true));
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

::HWND FocusOf(DWORD thread) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

::HWND WaitPopupMenu(DWORD pid, DWORD timeoutMs) {
  ::HWND found = nullptr;
  WaitFor(
      [&] {
        for (::HWND h : TopWindows(pid))
          if (ClassOf(h) == "#32768") return (found = h) != nullptr;
        return false;
      },
      timeoutMs);
  return found;
}

void PickPopupItem(::HWND menuWindow, int n) {
  if (n <= 0) {
    PostMessageA(menuWindow, WM_KEYDOWN, VK_ESCAPE, 0);
    return;
  }
  for (int i = 0; i < n; ++i) PostMessageA(menuWindow, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageA(menuWindow, WM_KEYDOWN, VK_RETURN, 0);
}

Dib32::Dib32(int width, int height) {
  HDC screen = GetDC(nullptr);
  dc_ = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  dib_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, &bits_, nullptr, 0);
  old_ = SelectObject(dc_, dib_);
}

Dib32::~Dib32() {
  SelectObject(dc_, old_);
  DeleteObject(dib_);
  DeleteDC(dc_);
}

Capture::Capture(::HWND hwnd, From from) {
  RECT r;
  POINT origin{0, 0};
  if (from == From::Window) {
    GetWindowRect(hwnd, &r);
    OffsetRect(&r, -r.left, -r.top);
  } else {
    GetClientRect(hwnd, &r);
    if (from == From::Screen) ClientToScreen(hwnd, &origin);
  }
  width_ = r.right;
  height_ = r.bottom;
  if (width_ <= 0 || height_ <= 0) return;
  ::HWND source = from == From::Screen ? nullptr : hwnd;
  HDC src = from == From::Window ? GetWindowDC(hwnd) : GetDC(source);
  Dib32 dib(width_, height_);
  BitBlt(dib.dc(), 0, 0, width_, height_, src, origin.x, origin.y, SRCCOPY);
  GdiFlush();
  pixels_.assign(dib.bits(), dib.bits() + static_cast<std::size_t>(width_) * height_);
  ReleaseDC(source, src);
}

COLORREF Capture::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
  const uint32_t p = pixels_[static_cast<std::size_t>(y) * width_ + x];  // 0x00RRGGBB in a DIB
  return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

namespace {
INT_PTR CALLBACK NoDialogHandling(::HWND, UINT, WPARAM, LPARAM) { return FALSE; }
}  // namespace

DialogUnits::DialogUnits(const std::string& face, WORD points) {
  // DLGTEMPLATE, then no menu, the standard class, no title, the point size and the face.
  std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
  DLGTEMPLATE t{};
  t.style = DS_SETFONT | WS_POPUP;
  std::memcpy(words.data(), &t, sizeof t);
  words.insert(words.end(), {0, 0, 0, points});
  for (char c : face) words.push_back(static_cast<WORD>(static_cast<unsigned char>(c)));
  words.push_back(0);
  std::vector<DWORD> aligned((words.size() + 1) / 2, 0);  // a template starts on a DWORD
  std::memcpy(aligned.data(), words.data(), words.size() * sizeof(WORD));
  ::HWND dialog = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), reinterpret_cast<LPCDLGTEMPLATEA>(aligned.data()),
                                             nullptr, NoDialogHandling, 0);
  RECT r{0, 0, 4000, 8000};
  if (dialog && MapDialogRect(dialog, &r)) {
    perFourX_ = r.right;
    perEightY_ = r.bottom;
  }
  if (dialog) DestroyWindow(dialog);
}

std::string IniValue(const std::string& file, const std::string& section, const std::string& key) {
  char buf[2048] = {};
  GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buf, sizeof buf, file.c_str());
  return buf;
}

std::vector<std::string> NamesIn(const std::string& dir) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = fd.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  std::sort(names.begin(), names.end());
  return names;
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ReadFileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void WriteFileText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

DragSettingListener::DragSettingListener(std::function<void()> onChange) : onChange_(std::move(onChange)) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = Proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "DragSettingListener";
  RegisterClassA(&wc);
  window_ = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
  SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

DragSettingListener::~DragSettingListener() { DestroyWindow(window_); }

LRESULT CALLBACK DragSettingListener::Proc(::HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_SETTINGCHANGE && wp == SPI_SETDRAGFULLWINDOWS)
    if (auto* self = reinterpret_cast<DragSettingListener*>(GetWindowLongPtrA(h, GWLP_USERDATA)))
      self->onChange_();
  return DefWindowProcA(h, msg, wp, lp);
}

int StoredDragSetting() {
  char value[8] = {};
  DWORD size = sizeof value;
  if (RegGetValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "DragFullWindows", RRF_RT_REG_SZ, nullptr, value,
                   &size) != ERROR_SUCCESS)
    return -1;
  return value[0] == '1';
}

}  // namespace testing_support
