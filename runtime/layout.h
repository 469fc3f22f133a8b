#pragma once
// Compiled window layouts: what a window looks like before it is built. Positions and sizes
// are in dialog units of the layout's font.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace rt {

enum class WindowKind { Frame, Window, MdiChild };

// Standard actions of menu items: the runtime carries them out itself and raises no event.
enum class StandardAction : int {
  None = 0,
  WindowList = 1,
  Tile = 2,
  Cascade = 3,
  ArrangeIcons = 4,
  HelpContents = 5,
  HelpOnHelp = 6,
  HelpSearch = 7,
  Cut = 10,
  Copy = 11,
  Paste = 12,
  Close = 15,
  PrintSetup = 16,
};

struct MenuLayout {
  enum class Kind { Menu, Item, Separator };
  Kind kind = Kind::Item;
  std::string caption;
  int32_t feq = 0;  // control number (negative), 0 for separators
  StandardAction action = StandardAction::None;
  std::string message;  // shown in the status bar while the item is selected
  std::vector<MenuLayout> children;
};

enum class ControlKind { String, Button, Image };

struct ControlLayout {
  ControlKind kind = ControlKind::String;
  int32_t feq = 0;  // control number, counted up from 1
  std::string text;
  int x = 0, y = 0, width = 0, height = 0;
  std::size_t textCapacity = 0;  // string controls: characters shown at most (0 = any)
  bool closesWindow = false;     // buttons: a click also asks the window to close
  std::string icon;              // buttons: icon name
  bool defaultButton = false;    // buttons: the one Enter presses in a dialog
};

struct FontLayout {
  std::string face = "MS Sans Serif";
  int points = 8;
  int weight = 400;
};

struct WindowLayout {
  WindowKind kind = WindowKind::Window;
  std::string caption;
  std::string icon;  // icon resource or file name; empty = none
  FontLayout font;
  bool defaultPosition = true;  // the system chooses the position
  int x = 0, y = 0, width = 0, height = 0;
  bool systemMenu = true;
  bool sizable = false;
  bool minimizeBox = false;
  bool maximizeBox = false;
  bool thinBorder = false;      // a thin, non-sizing border
  COLORREF background = CLR_INVALID;  // CLR_INVALID = the system's window colour
  std::vector<int> statusZones;       // widths; -1 takes what is left
  std::vector<MenuLayout> menu;       // frame only: the menu bar
  int32_t menuBarFeq = 0;             // control number of the menu bar itself
  std::vector<ControlLayout> controls;
  std::vector<int> alertKeys;  // virtual-key codes turned into alert events
};

// Layouts are compiled into the program and found by module and name.
void RegisterLayout(const std::string& module, const std::string& name, const WindowLayout* layout);
const WindowLayout* FindLayout(const std::string& module, const std::string& name);

}  // namespace rt
