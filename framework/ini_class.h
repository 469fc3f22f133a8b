#pragma once
// The framework's INI manager: keeps each window's placement in the program INI file under
// the window procedure's name, and its own bookkeeping in "__Dont_Touch_Me__". It serialises
// its own file access, so windows of several threads may share it.
#include <windows.h>

#include <cstdint>
#include <mutex>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace rt {
class Window;
}

namespace fw {

// One window's stored placement, in pixels (frame: screen; MDI child: its client area).
struct Placement {
  int32_t x = 0, y = 0, width = 0, height = 0;
  bool maximized = false, minimized = false;
};

class INICLASS {
 public:
  virtual ~INICLASS() = default;
  // Binds to the named file (a bare name lies in the current directory); storage type 0 is
  // an INI file. Reads the manager's own section.
  void INIT(const std::string& fileName, int32_t storageType = 0, int32_t extraData = 0);
  // Applies the placement stored under `procedure` to the window; nothing when none is
  // stored or the values are unusable. A window of fixed size keeps its layout size; other
  // sizes are cut to the work area of the monitor nearest the stored rectangle, and a
  // position out of reach is brought into it. A window not yet shown stays hidden and is
  // shown later as the placement asks: maximised only when it has a maximise box.
  void FETCH(const std::string& procedure, rt::Window& window);
  // Stores the window's real placement under `procedure`; a position or a size that FETCH
  // only changed to fit the screen, and that the user has not changed since, is stored as
  // it was, so that a run on a small screen loses nothing a large one stored.
  void UPDATE(const std::string& procedure, rt::Window& window);
  void UPDATE() {}  // a hook without effect
  // Writes the manager's own section and lets the file go.
  void KILL();

  std::string FileName() const;
  static constexpr const char* kOwnSection = "__Dont_Touch_Me__";

  // The placement stored under a section, when every key is present and readable.
  bool ReadPlacement(const std::string& section, Placement& out);

 private:
  std::string Path() const;
  mutable std::mutex mutex_;
  std::string file_;
  std::set<std::string> sectors_;  // sections this manager keeps
  // Windows FETCH moved or cut to fit: where it put them and what was stored.
  struct Moved {
    ::HWND window;
    RECT shown;
    Placement stored;
  };
  std::map<std::string, Moved> moved_;  // by procedure
  bool inited_ = false;
};

// A monitor in screen coordinates: all of it, and its work area (without the task bar).
struct MonitorArea {
  RECT monitor, work;
};
// The monitors of the desktop, the primary first (EnumDisplayMonitors, GetMonitorInfo).
std::vector<MonitorArea> DesktopMonitors();
// Where a top-level window whose rectangle is `r` can be placed, in the workspace coordinates
// of stored placements: the work area of the monitor nearest `r`, chosen as MonitorFromRect
// chooses (the one sharing the most area with it, else the closest; the first of equals).
// Empty when there is no monitor. Pure.
RECT ReachableArea(const RECT& r, const std::vector<MonitorArea>& monitors);

// Makes a stored placement usable: sizes at least `minimum` and at most `maximum`, and the
// window inside `area` (at its top left when it is larger). Pure.
RECT SanePlacement(const Placement& p, const RECT& area, SIZE minimum, SIZE maximum);

}  // namespace fw
