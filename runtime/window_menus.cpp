#include "window_internal.h"

#include <commctrl.h>
#include <commdlg.h>
#include <winspool.h>

// A window's menu bar, its items' messages, the standard actions of menu items and the
// commands that menus, accelerators and buttons send.
namespace rt {

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

  mdiClient_ = detail::CreateMdiClient(hwnd_, windowMenu);
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
      RequestClose();
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

// An item chosen from the menu, or an accepted event the program posts for it (a replayed
// choice): an item with a standard action has it carried out and raises no accepted event.
void Window::Accept(int32_t feq) {
  const MenuLayout* item = FindMenuItem(feq);
  if (item && item->kind == MenuLayout::Kind::Item && item->action != StandardAction::None)
    RunStandardAction(item->action);
  else
    Push(Event{EVENT_Accepted, feq});
}

bool Window::OnCommand(WPARAM wp, LPARAM lp) {
  const UINT id = LOWORD(wp);
  if (layout_.kind == WindowKind::Frame && id >= kFirstMdiChildId && id < kFirstMdiChildId + 0x100) return false;
  const int32_t feq = static_cast<int16_t>(id);
  if (lp == 0) {  // a menu item or an accelerator
    // A number that names no item of this window (a replayed entry written elsewhere) is
    // taken from a menu only, not from an accelerator.
    if (HIWORD(wp) == 0 || FindMenuItem(feq)) Accept(feq);
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

}  // namespace rt
