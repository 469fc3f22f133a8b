#include "window.h"

#include <commctrl.h>
#include <commdlg.h>
#include <winspool.h>

#include <algorithm>
#include <mutex>

#include "ini_entry.h"
#include "controls.h"
#include "properties.h"
#include "threads.h"

namespace rt {
namespace {

constexpr char kFrameClass[] = "RtFrame";
constexpr char kWindowClass[] = "RtWindow";
constexpr char kMdiChildClass[] = "RtMdiChild";
constexpr UINT kMdiClientId = 0x7E00;
constexpr UINT kStatusBarId = 0x7E01;

// Thread-local state stays trivially destructible (see threads.cpp): the stack of current
// targets lives on the heap while it is not empty.
thread_local std::vector<::HWND>* t_targets = nullptr;  // innermost last
thread_local Window* t_creating = nullptr;   // window whose Win32 window is being created

std::mutex g_frameMutex;
Window* g_frame = nullptr;

std::mutex g_layoutMutex;
std::map<std::string, const WindowLayout*>& Layouts() {
  static std::map<std::string, const WindowLayout*> layouts;
  return layouts;
}

Window* FromHandle(::HWND hwnd) { return reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA)); }

LRESULT CALLBACK WindowProc(::HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Window* w = FromHandle(hwnd);
  if (!w && t_creating) {
    w = t_creating;
    w->Attach(hwnd);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(w));
  }
  if (!w) {
    const char* cls = nullptr;
    char name[32] = {};
    GetClassNameA(hwnd, name, sizeof name);
    cls = name;
    if (lstrcmpiA(cls, kMdiChildClass) == 0) return DefMDIChildProcA(hwnd, msg, wp, lp);
    return DefWindowProcA(hwnd, msg, wp, lp);
  }
  return w->Handle(msg, wp, lp);
}

void PushTarget(::HWND hwnd) {
  if (!t_targets) t_targets = new std::vector<::HWND>();
  t_targets->push_back(hwnd);
  detail::SetThreadWindow(hwnd);
}

void PopTarget(::HWND hwnd) {
  if (!t_targets) return;
  auto it = std::find(t_targets->rbegin(), t_targets->rend(), hwnd);
  if (it != t_targets->rend()) t_targets->erase(std::next(it).base());
  if (t_targets->empty()) {
    delete t_targets;
    t_targets = nullptr;
  }
  detail::SetThreadWindow(t_targets ? t_targets->back() : nullptr);
}

HICON LoadNamedIcon(const std::string& name, int size) {
  if (name.empty()) return nullptr;
  std::string res = name;
  std::replace(res.begin(), res.end(), '.', '_');
  HICON icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), res.c_str(), IMAGE_ICON, size, size, 0));
  if (!icon) icon = static_cast<HICON>(LoadImageA(nullptr, name.c_str(), IMAGE_ICON, size, size, LR_LOADFROMFILE));
  return icon;
}

// Closes the windows of the other threads and waits until those threads have ended, not
// only their windows: a thread still opening its window, or still tearing down after its
// window has gone, must not race the frame's destruction or the process's shutdown.
// Messages are pumped meanwhile, since those windows talk to this thread while they open
// and close (an MDI child and the frame's MDI client).
void CloseOtherThreads() {
  const int32_t self = CurrentThread();
  std::vector<std::pair<int32_t, HANDLE>> started;  // threads the runtime started, until they end
  for (;;) {
    const std::vector<int32_t> withWindows = ThreadsWithWindows();
    for (int32_t n : withWindows) PostEvent(EVENT_CloseWindow, 0, n);
    for (int32_t n = 1; n <= kMaxThreads; ++n) {
      if (n == self || std::any_of(started.begin(), started.end(), [n](const auto& s) { return s.first == n; }))
        continue;
      if (HANDLE h = OpenThreadHandle(n)) started.emplace_back(n, h);
    }
    std::erase_if(started, [](const auto& s) {
      if (WaitForSingleObject(s.second, 0) != WAIT_OBJECT_0) return false;
      CloseHandle(s.second);
      return true;
    });
    if (withWindows.empty() && started.empty()) return;
    std::vector<HANDLE> handles;
    for (const auto& s : started) handles.push_back(s.second);
    const DWORD count = static_cast<DWORD>(std::min<std::size_t>(handles.size(), MAXIMUM_WAIT_OBJECTS - 1));
    MsgWaitForMultipleObjects(count, handles.data(), FALSE, 100, QS_ALLINPUT);
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
  }
}

Window* OwningWindow(::HWND hwnd) {
  for (::HWND h = hwnd; h; h = GetParent(h)) {
    char name[32] = {};
    GetClassNameA(h, name, sizeof name);
    if (!lstrcmpiA(name, kFrameClass) || !lstrcmpiA(name, kWindowClass) || !lstrcmpiA(name, kMdiChildClass))
      return FromHandle(h);
  }
  return nullptr;
}

}  // namespace

bool StartRuntime() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  HINSTANCE inst = GetModuleHandleA(nullptr);
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = inst;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  const struct {
    const char* name;
    HBRUSH brush;
  } classes[] = {{kFrameClass, reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1)},
                 {kWindowClass, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)},
                 {kMdiChildClass, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)}};
  for (const auto& c : classes) {
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExA(inst, c.name, &existing)) continue;
    wc.lpszClassName = c.name;
    wc.hbrBackground = c.brush;
    if (!RegisterClassExA(&wc)) return false;
  }
  return true;
}

void RegisterLayout(const std::string& module, const std::string& name, const WindowLayout* layout) {
  std::lock_guard lock(g_layoutMutex);
  Layouts()[module + "|" + name] = layout;
}

const WindowLayout* FindLayout(const std::string& module, const std::string& name) {
  std::lock_guard lock(g_layoutMutex);
  auto it = Layouts().find(module + "|" + name);
  return it == Layouts().end() ? nullptr : it->second;
}

Window::Window(const WindowLayout& layout, std::vector<TextBinding> bindings)
    : layout_(layout), bindings_(std::move(bindings)) {
  const int height = -MulDiv(layout_.font.points, 96, 72);
  font_ = CreateFontA(height, 0, 0, 0, layout_.font.weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0,
                      layout_.font.face.c_str());
  if (HDC dc = GetDC(nullptr)) {
    HGDIOBJ old = SelectObject(dc, font_ ? static_cast<HGDIOBJ>(font_) : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICA tm{};
    SIZE sz{};
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    if (GetTextMetricsA(dc, &tm) && GetTextExtentPoint32A(dc, letters, 52, &sz)) {
      baseX_ = (sz.cx / 26 + 1) / 2;
      baseY_ = tm.tmHeight;
    }
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
  }
  if (layout_.background != CLR_INVALID) background_ = CreateSolidBrush(layout_.background);
}

Window::~Window() {
  Destroy();
  if (font_) DeleteObject(font_);
  if (background_) DeleteObject(background_);
  if (icon_) DestroyIcon(icon_);
}

POINT Window::DialogUnitsToPixels(int x, int y) const {
  return POINT{MulDiv(x, baseX_, 4), MulDiv(y, baseY_, 8)};
}

RECT Window::LayoutRect() const {
  const POINT size = DialogUnitsToPixels(layout_.width, layout_.height);
  const POINT pos = DialogUnitsToPixels(layout_.x, layout_.y);
  RECT r{0, 0, size.x, size.y};
  const LONG style = hwnd_ ? GetWindowLongA(hwnd_, GWL_STYLE) : WS_OVERLAPPEDWINDOW;
  const LONG exStyle = hwnd_ ? GetWindowLongA(hwnd_, GWL_EXSTYLE) : 0;
  AdjustWindowRectEx(&r, style, layout_.kind == WindowKind::Frame, exStyle);
  OffsetRect(&r, -r.left, -r.top);
  if (layout_.kind == WindowKind::Frame) r.bottom += GetSystemMetrics(SM_CYCAPTION);  // room for the status bar
  OffsetRect(&r, pos.x, pos.y);
  return r;
}

bool Window::Open() {
  if (hwnd_) return true;
  HINSTANCE inst = GetModuleHandleA(nullptr);
  DWORD style = 0, exStyle = 0;
  const char* cls = kWindowClass;
  switch (layout_.kind) {
    case WindowKind::Frame:
      cls = kFrameClass;
      style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
      break;
    case WindowKind::Window:
      style = WS_OVERLAPPED | WS_CAPTION | WS_CLIPCHILDREN;
      if (layout_.systemMenu) style |= WS_SYSMENU;
      if (layout_.minimizeBox) style |= WS_MINIMIZEBOX;
      if (layout_.maximizeBox) style |= WS_MAXIMIZEBOX;
      style |= layout_.sizable ? WS_THICKFRAME : DS_MODALFRAME;
      exStyle = layout_.sizable ? 0 : WS_EX_DLGMODALFRAME;
      exStyle |= WS_EX_CONTROLPARENT;
      break;
    case WindowKind::MdiChild:
      cls = kMdiChildClass;
      style = WS_CHILD | WS_CAPTION | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
      if (layout_.systemMenu) style |= WS_SYSMENU;
      if (layout_.minimizeBox) style |= WS_MINIMIZEBOX;
      if (layout_.maximizeBox) style |= WS_MAXIMIZEBOX;
      style |= layout_.sizable ? WS_THICKFRAME : WS_BORDER;
      break;
  }
  POINT size = DialogUnitsToPixels(layout_.width, layout_.height);
  RECT r{0, 0, size.x, size.y};
  AdjustWindowRectEx(&r, style, layout_.kind == WindowKind::Frame && !layout_.menu.empty(), exStyle);
  int w = r.right - r.left, h = r.bottom - r.top;
  if (layout_.kind == WindowKind::Frame && !layout_.statusZones.empty()) h += GetSystemMetrics(SM_CYCAPTION);
  POINT pos = DialogUnitsToPixels(layout_.x, layout_.y);
  int x = layout_.defaultPosition ? CW_USEDEFAULT : pos.x, y = layout_.defaultPosition ? CW_USEDEFAULT : pos.y;

  t_creating = this;
  if (layout_.kind == WindowKind::MdiChild) {
    Window* frame = ApplicationFrame();
    ::HWND client = frame ? frame->MdiClient() : nullptr;
    if (!client) {
      t_creating = nullptr;
      return false;
    }
    if (layout_.defaultPosition) x = y = CW_USEDEFAULT;
    // Created on this thread: an MDI child lives on the thread that creates it.
    hwnd_ = CreateWindowExA(WS_EX_MDICHILD, cls, layout_.caption.c_str(), style, x, y, w, h, client, nullptr,
                            inst, nullptr);
  } else {
    HMENU menu = nullptr;
    hwnd_ = CreateWindowExA(exStyle, cls, layout_.caption.c_str(), style, x, y, w, h, nullptr, menu, inst, nullptr);
  }
  t_creating = nullptr;
  if (!hwnd_) return false;
  SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));

  if (!layout_.icon.empty()) {
    icon_ = LoadNamedIcon(layout_.icon, 32);
    if (icon_) SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  }
  if (layout_.kind == WindowKind::Frame) {
    BuildMenu();
    CreateFrameParts();
    std::lock_guard lock(g_frameMutex);
    g_frame = this;
  }
  CreateControls();
  PushTarget(hwnd_);
  ShowWindow(hwnd_, SW_SHOW);
  UpdateWindow(hwnd_);
  if (layout_.kind != WindowKind::MdiChild) SetForegroundWindow(hwnd_);
  events_.push_back(Event{EVENT_OpenWindow, 0});
  return true;
}

void Window::BuildMenu() {
  if (layout_.menu.empty()) return;
  HMENU bar = CreateMenu();
  HMENU windowMenu = nullptr;
  auto fill = [&](auto&& self, HMENU into, const std::vector<MenuLayout>& items) -> void {
    for (const MenuLayout& item : items) {
      switch (item.kind) {
        case MenuLayout::Kind::Separator:
          AppendMenuA(into, MF_SEPARATOR, 0, nullptr);
          break;
        case MenuLayout::Kind::Item:
          AppendMenuA(into, MF_STRING, static_cast<uint16_t>(item.feq), item.caption.c_str());
          break;
        case MenuLayout::Kind::Menu: {
          HMENU sub = CreatePopupMenu();
          self(self, sub, item.children);
          AppendMenuA(into, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(sub), item.caption.c_str());
          if (item.action == StandardAction::WindowList) windowMenu = sub;
          break;
        }
      }
    }
  };
  fill(fill, bar, layout_.menu);
  SetMenu(hwnd_, bar);

  CLIENTCREATESTRUCT ccs{windowMenu, kFirstMdiChildId};
  mdiClient_ = CreateWindowExA(WS_EX_CLIENTEDGE, "MDICLIENT", nullptr,
                               WS_CHILD | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL | WS_VISIBLE | MDIS_ALLCHILDSTYLES,
                               0, 0, 0, 0, hwnd_, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kMdiClientId)),
                               GetModuleHandleA(nullptr), &ccs);
}

void Window::CreateFrameParts() {
  if (!mdiClient_) {
    CLIENTCREATESTRUCT ccs{nullptr, kFirstMdiChildId};
    mdiClient_ = CreateWindowExA(WS_EX_CLIENTEDGE, "MDICLIENT", nullptr,
                                 WS_CHILD | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL | WS_VISIBLE | MDIS_ALLCHILDSTYLES,
                                 0, 0, 0, 0, hwnd_, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kMdiClientId)),
                                 GetModuleHandleA(nullptr), &ccs);
  }
  if (!layout_.statusZones.empty()) {
    statusBar_ = CreateWindowExA(0, STATUSCLASSNAMEA, nullptr, WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0,
                                 hwnd_, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kStatusBarId)),
                                 GetModuleHandleA(nullptr), nullptr);
  }
  LayoutFrameParts();
}

void Window::LayoutFrameParts() {
  RECT client;
  GetClientRect(hwnd_, &client);
  int statusHeight = 0;
  if (statusBar_) {
    SendMessageA(statusBar_, WM_SIZE, 0, 0);
    RECT sr;
    GetWindowRect(statusBar_, &sr);
    statusHeight = sr.bottom - sr.top;
    // Zone widths: fixed ones as given, -1 takes what is left.
    int fixed = 0;
    for (int zw : layout_.statusZones) fixed += zw > 0 ? zw : 0;
    std::vector<int> edges;
    int x = 0;
    for (int zw : layout_.statusZones) {
      x += zw >= 0 ? zw : std::max(0, static_cast<int>(client.right) - fixed);
      edges.push_back(x);
    }
    if (!edges.empty()) edges.back() = -1;
    SendMessageA(statusBar_, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
  }
  if (mdiClient_)
    MoveWindow(mdiClient_, 0, 0, client.right, std::max(0, static_cast<int>(client.bottom) - statusHeight), TRUE);
}

void Window::CreateControls() {
  HINSTANCE inst = GetModuleHandleA(nullptr);
  for (const ControlLayout& c : layout_.controls) {
    const POINT pos = DialogUnitsToPixels(c.x, c.y);
    const POINT size = DialogUnitsToPixels(c.width, c.height);
    const char* cls = "STATIC";
    DWORD style = WS_CHILD | WS_VISIBLE;
    switch (c.kind) {
      case ControlKind::String:
        style |= SS_LEFT | SS_NOPREFIX;
        break;
      case ControlKind::Button:
        cls = "BUTTON";
        style |= BS_PUSHBUTTON | WS_TABSTOP;
        break;
      case ControlKind::Image:
        cls = kImageControlClass;
        break;
    }
    ::HWND ctl = CreateWindowExA(0, cls, c.text.c_str(), style, pos.x, pos.y, size.x, size.y, hwnd_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.feq)), inst, nullptr);
    if (ctl && font_) SendMessageA(ctl, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    if (ctl && !c.icon.empty()) {
      ScopedTarget target(hwnd_);
      SetControlIcon(c.feq, c.icon);
    }
  }
  Display();
}

void Window::Display() {
  if (!hwnd_) return;
  for (const TextBinding& b : bindings_) {
    if (!b.text) continue;
    std::string shown = *b.text;
    for (const ControlLayout& c : layout_.controls)
      if (c.feq == b.feq && c.textCapacity) shown = CutTo(shown, c.textCapacity);
    SetWindowTextA(GetDlgItem(hwnd_, b.feq), shown.c_str());
  }
}

const MenuLayout* Window::FindMenuItem(int32_t feq) const {
  const MenuLayout* found = nullptr;
  auto walk = [&](auto&& self, const std::vector<MenuLayout>& items) -> void {
    for (const MenuLayout& item : items) {
      if (found) return;
      if (item.feq == feq && item.kind != MenuLayout::Kind::Separator) found = &item;
      self(self, item.children);
    }
  };
  walk(walk, layout_.menu);
  return found;
}

std::string Window::MenuMessage(int32_t feq) const {
  const MenuLayout* item = FindMenuItem(feq);
  return item ? item->message : std::string();
}

void Window::RunStandardAction(StandardAction action) {
  switch (action) {
    case StandardAction::Close:
      Push(Event{EVENT_CloseWindow, 0});
      break;
    case StandardAction::Tile:
      SendMessageA(mdiClient_, WM_MDITILE, MDITILE_VERTICAL, 0);
      break;
    case StandardAction::Cascade:
      SendMessageA(mdiClient_, WM_MDICASCADE, 0, 0);
      break;
    case StandardAction::ArrangeIcons:
      SendMessageA(mdiClient_, WM_MDIICONARRANGE, 0, 0);
      break;
    case StandardAction::Cut:
    case StandardAction::Copy:
    case StandardAction::Paste: {
      const UINT msg = action == StandardAction::Cut ? WM_CUT : action == StandardAction::Copy ? WM_COPY : WM_PASTE;
      if (::HWND focus = GetFocus()) SendMessageA(focus, msg, 0, 0);
      break;
    }
    case StandardAction::PrintSetup: {
      // Without any printer the set-up dialog has nothing to show: say so plainly.
      DWORD needed = 0, count = 0;
      EnumPrintersA(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 4, nullptr, 0, &needed, &count);
      if (needed == 0) {
        MessageBoxA(hwnd_, "No hay impresoras instaladas.", "Print Setup", MB_OK | MB_ICONINFORMATION);
        break;
      }
      PRINTDLGA pd{};
      pd.lStructSize = sizeof pd;
      pd.hwndOwner = hwnd_;
      pd.Flags = PD_PRINTSETUP;
      if (PrintDlgA(&pd)) {
        if (pd.hDevMode) GlobalFree(pd.hDevMode);
        if (pd.hDevNames) GlobalFree(pd.hDevNames);
      }
      break;
    }
    case StandardAction::HelpContents:
    case StandardAction::HelpSearch:
    case StandardAction::HelpOnHelp:
      // The programs ship no help file (and current systems have no WinHelp viewer).
      MessageBoxA(hwnd_, "Este programa no tiene archivo de ayuda.", "Help", MB_OK | MB_ICONINFORMATION);
      break;
    case StandardAction::None:
    case StandardAction::WindowList:
      break;
  }
}

bool Window::OnCommand(WPARAM wp, LPARAM lp) {
  const UINT id = LOWORD(wp);
  if (layout_.kind == WindowKind::Frame && id >= kFirstMdiChildId && id < kFirstMdiChildId + 0x100) return false;
  const int32_t feq = static_cast<int16_t>(id);
  if (lp == 0) {  // a menu item or an accelerator
    const MenuLayout* item = FindMenuItem(feq);
    if (!item) {
      // A number that names no item of this window (a replayed entry written elsewhere).
      if (HIWORD(wp) == 0) Push(Event{EVENT_Accepted, feq});
      return true;
    }
    if (item->action != StandardAction::None) RunStandardAction(item->action);
    else Push(Event{EVENT_Accepted, feq});
    return true;
  }
  if (HIWORD(wp) == BN_CLICKED) {
    Push(Event{EVENT_Accepted, feq});
    for (const ControlLayout& c : layout_.controls)
      if (c.feq == feq && c.closesWindow) Push(Event{EVENT_CloseWindow, 0});
    return true;
  }
  return false;
}

LRESULT Window::DefaultProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (layout_.kind) {
    case WindowKind::Frame:
      return DefFrameProcA(hwnd_, mdiClient_, msg, wp, lp);
    case WindowKind::MdiChild:
      return DefMDIChildProcA(hwnd_, msg, wp, lp);
    case WindowKind::Window:
      break;
  }
  return DefWindowProcA(hwnd_, msg, wp, lp);
}

LRESULT Window::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_RT_EVENT:
      Push(Event{static_cast<int32_t>(wp), static_cast<int32_t>(lp)});
      return 0;
    case WM_CLOSE:
      Push(Event{EVENT_CloseWindow, 0});
      return 0;
    case WM_COMMAND:
      if (OnCommand(wp, lp)) return 0;
      break;
    case WM_SIZE:
      if (layout_.kind == WindowKind::Frame) {
        LayoutFrameParts();
        return 0;
      }
      break;
    case WM_MENUSELECT:
      if (statusBar_) {
        const bool closed = HIWORD(wp) == 0xFFFF && lp == 0;
        const std::string text = closed ? std::string() : MenuMessage(static_cast<int16_t>(LOWORD(wp)));
        SendMessageA(statusBar_, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text.c_str()));
      }
      break;
    case WM_ERASEBKGND:
      if (background_) {
        RECT r;
        GetClientRect(hwnd_, &r);
        FillRect(reinterpret_cast<HDC>(wp), &r, background_);
        return 1;
      }
      break;
    case WM_CTLCOLORSTATIC:
      if (background_) {
        SetBkColor(reinterpret_cast<HDC>(wp), layout_.background);
        return reinterpret_cast<LRESULT>(background_);
      }
      break;
    case WM_NCDESTROY: {
      LRESULT r = DefaultProc(msg, wp, lp);
      SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
      PopTarget(hwnd_);
      hwnd_ = nullptr;
      destroyed_ = true;
      return r;
    }
    default:
      break;
  }
  return DefaultProc(msg, wp, lp);
}

bool Window::NextEvent(Event& out) {
  while (events_.empty()) {
    if (!hwnd_) return false;
    MSG m;
    const BOOL got = GetMessageA(&m, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(m.wParam));  // leave it for the outermost loop
      return false;
    }
    if (m.message == WM_KEYDOWN && m.wParam == VK_ESCAPE) {
      // Escape is the cancel command of a window: an alert where the layout asks for one,
      // a close request for an ordinary window, the key's own handling elsewhere.
      if (Window* w = OwningWindow(m.hwnd)) {
        const auto& keys = w->Layout().alertKeys;
        if (std::find(keys.begin(), keys.end(), VK_ESCAPE) != keys.end()) {
          w->Push(Event{EVENT_AlertKey, 0});
          continue;
        }
        if (w->Layout().kind == WindowKind::Window) {
          w->Push(Event{EVENT_CloseWindow, 0});
          continue;
        }
      }
    }
    Window* frame = ApplicationFrame();
    ::HWND client = frame ? frame->MdiClient() : nullptr;
    if (client && GetWindowThreadProcessId(client, nullptr) == GetCurrentThreadId() && TranslateMDISysAccel(client, &m))
      continue;
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
  out = events_.front();
  events_.pop_front();
  return true;
}

void Window::Destroy() {
  if (!hwnd_) return;
  if (layout_.kind == WindowKind::Frame) {
    CloseOtherThreads();
    std::lock_guard lock(g_frameMutex);
    if (g_frame == this) g_frame = nullptr;
  }
  for (const ControlLayout& c : layout_.controls) ForgetIconName(GetDlgItem(hwnd_, c.feq));
  if (layout_.kind == WindowKind::MdiChild) {
    ::HWND client = GetParent(hwnd_);
    // The MDI client lives on the frame's thread; it is told before the child goes.
    if (client) SendMessageA(client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(hwnd_), 0);
    if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
  } else {
    DestroyWindow(hwnd_);
  }
  if (hwnd_) {  // WM_NCDESTROY did not come through us
    PopTarget(hwnd_);
    hwnd_ = nullptr;
  }
  std::lock_guard lock(g_frameMutex);
  if (g_frame == this) g_frame = nullptr;
}

namespace {
void Load(std::unique_ptr<Window>& ref, const std::string& module, const std::string& name,
          std::vector<TextBinding> bindings) {
  const WindowLayout* layout = FindLayout(module, name);
  ref.reset(layout ? new Window(*layout, std::move(bindings)) : nullptr);
}
}  // namespace

void LoadFrameStructure(std::unique_ptr<Window>& ref, const std::string& module, const std::string& name) {
  Load(ref, module, name, {});
}
void LoadWindowStructure(std::unique_ptr<Window>& ref, const std::string& module, const std::string& name,
                         std::vector<TextBinding> bindings) {
  Load(ref, module, name, std::move(bindings));
}
void LoadMdiChildStructure(std::unique_ptr<Window>& ref, const std::string& module, const std::string& name) {
  Load(ref, module, name, {});
}
void CloseWindow(std::unique_ptr<Window>& ref) { ref.reset(); }

::HWND CurrentTarget() { return t_targets ? t_targets->back() : nullptr; }

Window* CurrentWindow() {
  ::HWND h = CurrentTarget();
  return h ? OwningWindow(h) : nullptr;
}

ScopedTarget::ScopedTarget(::HWND window) { PushTarget(window); }
ScopedTarget::~ScopedTarget() {
  if (t_targets) PopTarget(t_targets->back());
}

Window* ApplicationFrame() {
  std::lock_guard lock(g_frameMutex);
  return g_frame;
}

}  // namespace rt
