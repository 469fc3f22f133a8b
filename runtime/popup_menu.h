#pragma once
// The runtime's popup menu, described by a selection string.
//
// Items are separated by "|"; an empty item makes no entry; "-" alone is a separator; at the
// start of an item "~" greys it, then "+" checks it or "-" is dropped, then "[...]" is a
// bracketed option block that is skipped; "Caption{...}" makes a submenu. Items are
// numbered from 1 in the order they are made (separators and submenu captions not counted).
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace rt {

struct PopupItem {
  enum class Kind { Item, Separator, SubmenuBegin, SubmenuEnd };
  Kind kind = Kind::Item;
  std::string text;
  bool grayed = false;
  bool checked = false;
  int number = 0;  // items only
};

// The items a selection string describes, in order (pure: no window needed).
std::vector<PopupItem> ParsePopupSelection(std::string_view selection);

// Shows the menu at `position` (the mouse cursor when null) and returns the chosen item's
// number, or 0 when it is dismissed or has no item.
int PopupMenu(std::string_view selection, const POINT* position = nullptr);

}  // namespace rt
