#include "window_internal.h"

#include <commctrl.h>

#include <algorithm>

#include "controls.h"
#include "ini_entry.h"
#include "properties.h"

// A window's life: made from its layout, opened with its controls and frame parts,
// refreshed from its bound variables, and destroyed.
namespace rt {
namespace {

constexpr UINT kMdiClientId = 0x7E00;
constexpr UINT kStatusBarId = 0x7E01;

HICON LoadNamedIcon(const std::string& name, int size) {
  if (name.empty()) return nullptr;
  std::string res = name;
  std::replace(res.begin(), res.end(), '.', '_');
  HICON icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), res.c_str(), IMAGE_ICON, size, size, 0));
  if (!icon) icon = static_cast<HICON>(LoadImageA(nullptr, name.c_str(), IMAGE_ICON, size, size, LR_LOADFROMFILE));
  return icon;
}

}  // namespace

::HWND detail::CreateMdiClient(::HWND frame, HMENU windowMenu) {
  CLIENTCREATESTRUCT ccs{windowMenu, kFirstMdiChildId};
  return CreateWindowExA(WS_EX_CLIENTEDGE, "MDICLIENT", nullptr,
                         WS_CHILD | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL | WS_VISIBLE | MDIS_ALLCHILDSTYLES, 0, 0,
                         0, 0, frame, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kMdiClientId)),
                         GetModuleHandleA(nullptr), &ccs);
}

Window::Window(const WindowLayout& layout, std::vector<TextBinding> bindings)
    : layout_(layout), bindings_(std::move(bindings)) {
  if (HDC dc = GetDC(nullptr)) {
    // Points at the display's resolution, so that text has the size of the system's own
    // (title, menus) at any DPI; the dialog units below, and so every layout, follow.
    const int height = -MulDiv(layout_.font.points, GetDeviceCaps(dc, LOGPIXELSY), 72);
    font_ = CreateFontA(height, 0, 0, 0, layout_.font.weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0,
                        layout_.font.face.c_str());
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
  const char* cls = detail::kWindowClass;
  switch (layout_.kind) {
    case WindowKind::Frame:
      cls = detail::kFrameClass;
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
      cls = detail::kMdiChildClass;
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
  fixedSize_ = SIZE{w, h};
  if (layout_.kind == WindowKind::Frame && !layout_.statusZones.empty()) h += GetSystemMetrics(SM_CYCAPTION);
  POINT pos = DialogUnitsToPixels(layout_.x, layout_.y);
  int x = layout_.defaultPosition ? CW_USEDEFAULT : pos.x, y = layout_.defaultPosition ? CW_USEDEFAULT : pos.y;

  detail::CreatingWindow() = this;
  if (layout_.kind == WindowKind::MdiChild) {
    Window* frame = ApplicationFrame();
    ::HWND client = frame ? frame->MdiClient() : nullptr;
    if (!client) {
      detail::CreatingWindow() = nullptr;
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
  detail::CreatingWindow() = nullptr;
  if (!hwnd_) return false;
  SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));

  if (!layout_.icon.empty()) {
    icon_ = LoadNamedIcon(layout_.icon, 32);
    if (icon_) SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  }
  if (layout_.kind == WindowKind::Frame) {
    BuildMenu();
    CreateFrameParts();
    detail::SetApplicationFrame(this);
  }
  CreateControls();
  detail::PushTarget(hwnd_);
  events_.push_back(Event{EVENT_OpenWindow, 0});
  return true;
}

void Window::Show() {
  if (!hwnd_ || IsWindowVisible(hwnd_)) return;
  ShowWindow(hwnd_, showCommand_);
  UpdateWindow(hwnd_);
  if (layout_.kind != WindowKind::MdiChild) SetForegroundWindow(hwnd_);
}

void Window::CreateFrameParts() {
  if (!mdiClient_) {
    mdiClient_ = detail::CreateMdiClient(hwnd_, nullptr);
  }
  if (!layout_.statusZones.empty()) {
    statusBar_ = CreateWindowExA(0, STATUSCLASSNAMEA, nullptr, WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0,
                                 hwnd_, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kStatusBarId)),
                                 GetModuleHandleA(nullptr), nullptr);
  }
  LayoutFrameParts();
  SettleMdiClient();
}

// The MDI client is made with both scroll bars and works out at its first message which of
// them it needs (none while no child reaches past its edges). Letting it do so while the
// frame is still hidden spares the frame's first show from drawing both bars and taking them
// away again, which under Wine costs about 30 ms just as the frame appears: the first menu
// choice of a run waited for it.
void Window::SettleMdiClient() {
  MSG m;
  while (PeekMessageA(&m, mdiClient_, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
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
        style |= (c.defaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP;
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

void Window::Destroy() {
  if (!hwnd_) return;
  if (layout_.kind == WindowKind::Frame) {
    detail::CloseOtherThreads();
    detail::ForgetApplicationFrame(this);
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
    detail::PopTarget(hwnd_);
    hwnd_ = nullptr;
  }
  detail::ForgetApplicationFrame(this);
}

}  // namespace rt
