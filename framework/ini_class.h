#pragma once
// The framework's INI manager: keeps each window's placement in the program INI file under
// the window procedure's name, and its own bookkeeping in "__Dont_Touch_Me__". It serialises
// its own file access, so windows of several threads may share it.
#include <windows.h>

#include <cstdint>
#include <mutex>
#include <set>
#include <string>

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
  // stored or the values are unusable.
  void FETCH(const std::string& procedure, rt::Window& window);
  // Stores the window's current placement under `procedure`.
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
  bool inited_ = false;
};

// Makes a stored placement usable on this desktop (or within `area`): sizes at least the
// minimum and at most the area, and at least part of the window inside it. Pure.
RECT SanePlacement(const Placement& p, const RECT& area, SIZE minimum);

}  // namespace fw
