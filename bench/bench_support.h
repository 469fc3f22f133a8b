#pragma once
// Small helpers shared by the benchmark programs.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace bench {

// The first visible top-level window of `pid` with that caption (any caption when null).
inline HWND FindVisible(DWORD pid, const char* caption) {
  struct Ctx {
    DWORD pid;
    const char* caption;
    HWND found;
  } ctx{pid, caption, nullptr};
  struct Enum {
    static BOOL CALLBACK Proc(HWND h, LPARAM lp) {
      auto* c = reinterpret_cast<Ctx*>(lp);
      DWORD p = 0;
      GetWindowThreadProcessId(h, &p);
      if (p != c->pid || !IsWindowVisible(h)) return TRUE;
      char text[256] = {};
      GetWindowTextA(h, text, sizeof text);
      if (!c->caption || std::string(text) == c->caption) {
        c->found = h;
        return FALSE;
      }
      return TRUE;
    }
  };
  EnumWindows(Enum::Proc, reinterpret_cast<LPARAM>(&ctx));
  return ctx.found;
}

inline double NowMs() {
  LARGE_INTEGER f, t;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&t);
  return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

inline double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace bench
