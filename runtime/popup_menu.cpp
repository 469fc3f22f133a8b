#include "popup_menu.h"

#include "ini_entry.h"
#include "properties.h"
#include "window.h"

namespace rt {
namespace {

void FinishItem(std::string& text, std::vector<PopupItem>& out, int& number) {
  if (text.empty()) return;
  PopupItem item;
  if (text == "-") {
    item.kind = PopupItem::Kind::Separator;
  } else {
    std::size_t i = 0;
    if (i < text.size() && text[i] == '~') {
      item.grayed = true;
      ++i;
    }
    if (i < text.size() && text[i] == '+') {
      item.checked = true;
      ++i;
    } else if (i < text.size() && text[i] == '-') {
      ++i;
    }
    if (i < text.size() && text[i] == '[') {
      const std::size_t close = text.find(']', i);
      i = close == std::string::npos ? text.size() : close + 1;
    }
    item.text = text.substr(i);
    item.number = ++number;
  }
  out.push_back(std::move(item));
  text.clear();
}

}  // namespace

std::vector<PopupItem> ParsePopupSelection(std::string_view selection) {
  const std::string s = TrimRight(selection);
  std::vector<PopupItem> out;
  std::string text;
  int number = 0;
  for (char c : s) {
    switch (c) {
      case '|':
        FinishItem(text, out, number);
        break;
      case '{': {
        PopupItem sub;
        sub.kind = PopupItem::Kind::SubmenuBegin;
        sub.text = text;
        text.clear();
        out.push_back(std::move(sub));
        break;
      }
      case '}': {
        FinishItem(text, out, number);
        PopupItem end;
        end.kind = PopupItem::Kind::SubmenuEnd;
        out.push_back(std::move(end));
        break;
      }
      default:
        text.push_back(c);
        break;
    }
  }
  FinishItem(text, out, number);
  return out;
}

int PopupMenu(std::string_view selection, const POINT* position) {
  const std::vector<PopupItem> items = ParsePopupSelection(selection);
  int count = 0;
  for (const PopupItem& item : items)
    if (item.kind == PopupItem::Kind::Item) ++count;
  if (count == 0) return 0;

  HMENU root = CreatePopupMenu();
  std::vector<HMENU> stack{root};
  for (const PopupItem& item : items) {
    HMENU into = stack.back();
    switch (item.kind) {
      case PopupItem::Kind::Separator:
        AppendMenuA(into, MF_SEPARATOR, 0, nullptr);
        break;
      case PopupItem::Kind::Item: {
        UINT flags = MF_STRING | (item.grayed ? MF_GRAYED : 0) | (item.checked ? MF_CHECKED : 0);
        AppendMenuA(into, flags, static_cast<UINT_PTR>(item.number), item.text.c_str());
        break;
      }
      case PopupItem::Kind::SubmenuBegin: {
        HMENU sub = CreatePopupMenu();
        AppendMenuA(into, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(sub), item.text.c_str());
        stack.push_back(sub);
        break;
      }
      case PopupItem::Kind::SubmenuEnd:
        if (stack.size() > 1) stack.pop_back();
        break;
    }
  }

  POINT at{};
  if (position) at = *position;
  else GetCursorPos(&at);
  ::HWND owner = CurrentTarget();
  ::HWND temporary = nullptr;
  if (!owner || GetWindowThreadProcessId(owner, nullptr) != GetCurrentThreadId()) {
    temporary = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, AppInstance(), nullptr);
    owner = temporary;
  }
  SetForegroundWindow(owner);
  const int chosen = static_cast<int>(
      TrackPopupMenu(root, TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTALIGN | TPM_TOPALIGN, at.x, at.y, 0, owner, nullptr));
  PostMessageA(owner, WM_NULL, 0, 0);
  DestroyMenu(root);  // destroys the submenus with it
  if (temporary) DestroyWindow(temporary);
  return chosen > 0 && chosen <= count ? chosen : 0;
}

}  // namespace rt
