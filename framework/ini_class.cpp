#include "ini_class.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "runtime/ini_entry.h"
#include "runtime/profile_file.h"
#include "runtime/window.h"

namespace fw {
namespace {

constexpr const char* kKeys[] = {"XPos", "YPos", "Width", "Height", "Maximize", "Minimize"};

// A stored number: optional sign and digits only, within 32 bits (saturated beyond).
bool ParseNumber(const std::string& text, int32_t& out) {
  std::string s = rt::TrimRight(text);
  std::size_t i = s.find_first_not_of(' ');
  if (i == std::string::npos) return false;
  s = s.substr(i);
  std::size_t digits = (s[0] == '-' || s[0] == '+') ? 1 : 0;
  if (digits == s.size()) return false;
  for (std::size_t k = digits; k < s.size(); ++k)
    if (s[k] < '0' || s[k] > '9') return false;
  errno = 0;
  long long v = std::strtoll(s.c_str(), nullptr, 10);
  if (errno == ERANGE) v = s[0] == '-' ? LLONG_MIN : LLONG_MAX;
  out = static_cast<int32_t>(std::clamp<long long>(v, INT32_MIN, INT32_MAX));
  return true;
}

// The stored rectangle in screen terms, its far edges saturated at the coordinate range.
RECT StoredRect(const Placement& p) {
  auto edge = [](long long v) { return static_cast<LONG>(std::clamp<long long>(v, LONG_MIN, LONG_MAX)); };
  return RECT{p.x, p.y, edge(static_cast<long long>(p.x) + p.width), edge(static_cast<long long>(p.y) + p.height)};
}

// A window the user can maximise: top-level, with a maximise box.
bool CanMaximize(::HWND hwnd) {
  const LONG style = GetWindowLongA(hwnd, GWL_STYLE);
  return (style & WS_MAXIMIZEBOX) && !(style & WS_CHILD);
}

std::string Join(const std::set<std::string>& names) {
  std::string out;
  for (const std::string& n : names) {
    if (!out.empty()) out += ",";
    out += n;
  }
  return out;
}

}  // namespace

RECT SanePlacement(const Placement& p, const RECT& area, SIZE minimum, SIZE maximum) {
  const long long maxW = std::max<long long>(1, maximum.cx), maxH = std::max<long long>(1, maximum.cy);
  const long long w = std::clamp<long long>(p.width, std::min<long long>(minimum.cx, maxW), maxW);
  const long long h = std::clamp<long long>(p.height, std::min<long long>(minimum.cy, maxH), maxH);
  const long long x = std::clamp<long long>(p.x, area.left, std::max<long long>(area.left, area.right - w));
  const long long y = std::clamp<long long>(p.y, area.top, std::max<long long>(area.top, area.bottom - h));
  return RECT{static_cast<LONG>(x), static_cast<LONG>(y), static_cast<LONG>(x + w), static_cast<LONG>(y + h)};
}

namespace {

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoA(monitor, &info)) {
    auto& list = *reinterpret_cast<std::vector<MonitorArea>*>(data);
    const MonitorArea m{info.rcMonitor, info.rcWork};
    if (info.dwFlags & MONITORINFOF_PRIMARY) list.insert(list.begin(), m);
    else list.push_back(m);
  }
  return TRUE;
}

}  // namespace

std::vector<MonitorArea> DesktopMonitors() {
  std::vector<MonitorArea> out;
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&out));
  return out;
}

RECT ReachableArea(const RECT& r, const std::vector<MonitorArea>& monitors) {
  const MonitorArea* best = nullptr;
  long long bestShared = 0, bestDistance = LLONG_MAX;
  for (const MonitorArea& m : monitors) {
    const RECT& a = m.monitor;
    // Overlap (positive) or gap (negative) along each axis.
    const long long overlapX = std::min<long long>(a.right, r.right) - std::max<long long>(a.left, r.left);
    const long long overlapY = std::min<long long>(a.bottom, r.bottom) - std::max<long long>(a.top, r.top);
    const long long shared = overlapX > 0 && overlapY > 0 ? overlapX * overlapY : 0;
    const long long gapX = std::max<long long>(0, -overlapX), gapY = std::max<long long>(0, -overlapY);
    const long long distance = gapX * gapX + gapY * gapY;
    if (shared > bestShared || (bestShared == 0 && shared == 0 && distance < bestDistance)) {
      best = &m;
      bestShared = shared;
      bestDistance = distance;
    }
  }
  if (!best) return RECT{};
  // Workspace coordinates leave out the monitor's task bar: its work area starts at the
  // monitor's own corner.
  const RECT& mon = best->monitor;
  return RECT{mon.left, mon.top, mon.left + (best->work.right - best->work.left),
              mon.top + (best->work.bottom - best->work.top)};
}

void INICLASS::INIT(const std::string& fileName, int32_t /*storageType*/, int32_t /*extraData*/) {
  std::lock_guard lock(mutex_);
  file_ = rt::TrimRight(fileName);
  sectors_.clear();
  const std::string stored = rt::ReadProfileFile(Path()).Read(kOwnSection, "Sectors", "");
  std::size_t start = 0;
  while (start <= stored.size()) {
    std::size_t comma = stored.find(',', start);
    if (comma == std::string::npos) comma = stored.size();
    std::string name = rt::TrimRight(stored.substr(start, comma - start));
    if (!rt::IsBlank(name)) sectors_.insert(name);
    start = comma + 1;
  }
  inited_ = true;
}

std::string INICLASS::FileName() const {
  std::lock_guard lock(mutex_);
  return Path();
}

std::string INICLASS::Path() const {
  // A bare name means the current directory (the profile API alone would use the Windows one).
  if (file_.find_first_of("\\/:") == std::string::npos) return ".\\" + file_;
  return file_;
}

bool INICLASS::ReadPlacement(const std::string& section, Placement& out) {
  std::lock_guard lock(mutex_);
  const rt::ProfileImage file = rt::ReadProfileFile(Path());
  int32_t v[6];
  for (int i = 0; i < 6; ++i)
    if (!ParseNumber(file.Read(section, kKeys[i], ""), v[i])) return false;
  out = Placement{v[0], v[1], v[2], v[3], v[4] != 0, v[5] != 0};
  return true;
}

void INICLASS::FETCH(const std::string& procedure, rt::Window& window) {
  ::HWND hwnd = window.Handle();
  if (!hwnd) return;
  Placement p;
  if (!ReadPlacement(procedure, p)) return;
  // Stored positions are those of GetWindowPlacement: workspace coordinates for a top-level
  // window, the parent's client coordinates for a child.
  // Sizes are limited by the work area of the window's monitor only, never by a parent's
  // current size, so that a small frame does not cut a window for good. A child's monitor
  // is its frame's.
  ::HWND parent = GetParent(hwnd);
  const bool child = (GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD) != 0;
  RECT nearTo = StoredRect(p);
  if (child && parent) GetWindowRect(parent, &nearTo);
  RECT area = ReachableArea(nearTo, DesktopMonitors());
  if (IsRectEmpty(&area)) {
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    OffsetRect(&area, -area.left, -area.top);
  }
  const SIZE maximum{area.right - area.left, area.bottom - area.top};
  if (child && parent) GetClientRect(parent, &area);
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  GetWindowPlacement(hwnd, &wp);
  const SIZE current{wp.rcNormalPosition.right - wp.rcNormalPosition.left,
                     wp.rcNormalPosition.bottom - wp.rcNormalPosition.top};
  // A fixed-size window keeps its layout size; a stored size too small to use (or not
  // positive) gives way to it as well.
  const SIZE minimum{std::max(GetSystemMetrics(SM_CXMIN), 100), std::max(GetSystemMetrics(SM_CYMIN), 50)};
  const bool fixed = window.FixedSize();
  if (fixed || p.width < minimum.cx || p.height < minimum.cy) {
    p.width = current.cx;
    p.height = current.cy;
  }
  wp.flags = 0;
  wp.rcNormalPosition = SanePlacement(p, area, fixed ? current : minimum, fixed ? current : maximum);
  // A window comes back maximised when it was and can be; never minimised, so that it is seen.
  const int show = p.maximized && CanMaximize(hwnd) ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
  const bool shown = IsWindowVisible(hwnd) != FALSE;
  wp.showCmd = shown ? show : SW_HIDE;
  if (!shown) window.SetShowCommand(show);
  SetWindowPlacement(hwnd, &wp);
  std::lock_guard lock(mutex_);
  const RECT& at = wp.rcNormalPosition;
  if (at.left != p.x || at.top != p.y || at.right - at.left != p.width || at.bottom - at.top != p.height)
    moved_[procedure] = Moved{hwnd, at, p};
  else
    moved_.erase(procedure);
}

void INICLASS::UPDATE(const std::string& procedure, rt::Window& window) {
  ::HWND hwnd = window.Handle();
  if (!hwnd) return;
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  if (!GetWindowPlacement(hwnd, &wp)) return;
  const RECT& r = wp.rcNormalPosition;
  int32_t values[6] = {r.left, r.top, r.right - r.left, r.bottom - r.top,
                       IsZoomed(hwnd) && CanMaximize(hwnd) ? 1 : 0, IsIconic(hwnd) ? 1 : 0};
  std::lock_guard lock(mutex_);
  auto moved = moved_.find(procedure);
  if (moved != moved_.end() && moved->second.window == hwnd) {
    // What the user left as FETCH made it to fit is stored as it was; each of position and
    // size on its own, as the user may have changed the one and not the other.
    const RECT& shown = moved->second.shown;
    const Placement& stored = moved->second.stored;
    if (r.left == shown.left && r.top == shown.top) {
      values[0] = stored.x;
      values[1] = stored.y;
    }
    if (r.right - r.left == shown.right - shown.left && r.bottom - r.top == shown.bottom - shown.top) {
      values[2] = stored.width;
      values[3] = stored.height;
    }
    moved_.erase(moved);
  }
  // All six keys in one replacement of the file: a process that dies meanwhile leaves the
  // placement stored before, never a file cut short.
  rt::ProfileEdit edit(Path());
  for (int i = 0; i < 6; ++i) edit.image().Write(procedure, kKeys[i], std::to_string(values[i]));
  edit.Commit();
  sectors_.insert(procedure);
}

void INICLASS::KILL() {
  std::lock_guard lock(mutex_);
  if (!inited_) return;
  rt::ProfileEdit edit(Path());
  edit.image().Write(kOwnSection, "Sectors", Join(sectors_));
  edit.Commit();
  inited_ = false;
}

}  // namespace fw
