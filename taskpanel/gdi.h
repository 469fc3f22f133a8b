#pragma once
// Owners of the GDI objects the panel makes during one paint: each deletes (or releases)
// its object when it goes out of scope, and ScopedSelect puts the previous object back
// into its device context first. Nothing here outlives the paint that made it.
#include <windows.h>

#include <utility>

namespace taskpanel::gdi {

// A device context of a window from GetWindowDC or GetDC, released to its window.
class WindowDC {
 public:
  explicit WindowDC(::HWND window, bool wholeWindow = true)
      : window_(window), dc_(window ? (wholeWindow ? GetWindowDC(window) : GetDC(window)) : nullptr) {}
  ~WindowDC() { Release(); }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }
  // Gives the context back before the owner ends (the paint releases it early).
  void Release() {
    if (dc_) ReleaseDC(window_, dc_);
    dc_ = nullptr;
  }

 private:
  ::HWND window_;
  HDC dc_;
};

// BeginPaint ... EndPaint of a window.
class PaintDC {
 public:
  explicit PaintDC(::HWND window) : window_(window), dc_(BeginPaint(window, &ps_)) {}
  ~PaintDC() { EndPaint(window_, &ps_); }
  PaintDC(const PaintDC&) = delete;
  PaintDC& operator=(const PaintDC&) = delete;
  HDC get() const { return dc_; }

 private:
  ::HWND window_;
  PAINTSTRUCT ps_{};
  HDC dc_;
};

// A memory device context compatible with another one.
class MemoryDC {
 public:
  explicit MemoryDC(HDC model) : dc_(CreateCompatibleDC(model)) {}
  ~MemoryDC() {
    if (dc_) DeleteDC(dc_);
  }
  MemoryDC(const MemoryDC&) = delete;
  MemoryDC& operator=(const MemoryDC&) = delete;
  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HDC dc_;
};

// One owner for every kind of object that DeleteObject ends (bitmap, pen, brush, font).
template <class Handle>
class Object {
 public:
  Object() = default;
  explicit Object(Handle h) : h_(h) {}
  ~Object() { Reset(); }
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;
  Object(Object&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
  Object& operator=(Object&& other) noexcept {
    if (this != &other) {
      Reset();
      h_ = std::exchange(other.h_, nullptr);
    }
    return *this;
  }
  Handle get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }
  void Reset() {
    if (h_) DeleteObject(h_);
    h_ = nullptr;
  }

 private:
  Handle h_ = nullptr;
};

using Bitmap = Object<HBITMAP>;
using Pen = Object<HPEN>;
using Brush = Object<HBRUSH>;
using Font = Object<HFONT>;

inline Brush SolidBrush(COLORREF colour) { return Brush(CreateSolidBrush(colour)); }

// The description of 32-bit top-down pixels, rows of `width` from the top.
inline BITMAPINFO TopDown32(int width, int height) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  return bi;
}

// A 32-bit top-down DIB section: a back buffer whose pixels the panel may also write itself.
inline Bitmap DibSection32(HDC dc, int width, int height) {
  BITMAPINFO bi = TopDown32(width, height);
  void* bits = nullptr;
  return Bitmap(width > 0 && height > 0 ? CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr);
}

// Selects an object into a device context and selects the previous one back at the end.
// A null object (a font the panel could not make) selects nothing.
class ScopedSelect {
 public:
  ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), previous_(dc && object ? SelectObject(dc, object) : nullptr) {}
  ~ScopedSelect() {
    if (previous_ && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
  }
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// Sets the background mode of a device context and restores the previous one at the end.
class ScopedBkMode {
 public:
  ScopedBkMode(HDC dc, int mode) : dc_(dc), previous_(SetBkMode(dc, mode)) {}
  ~ScopedBkMode() {
    if (previous_) SetBkMode(dc_, previous_);
  }
  ScopedBkMode(const ScopedBkMode&) = delete;
  ScopedBkMode& operator=(const ScopedBkMode&) = delete;

 private:
  HDC dc_;
  int previous_;
};

}  // namespace taskpanel::gdi
