#pragma once
// Helpers of the paint tests: solid icon files, where ink lies in a captured area, and
// reference renderings of a text to compare the panel's text placement with.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "test_support.h"

namespace panel_test {

inline bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  std::fclose(f);
  return ok;
}

// Writes a one-image .ico file of `size` x `size` pixels, all of one opaque colour.
inline bool WriteSolidIcon(const std::string& path, int size, COLORREF colour) {
  const uint32_t maskStride = ((size + 31) / 32) * 4;
  const uint32_t pixels = static_cast<uint32_t>(size * size * 4);
  const uint32_t imageSize = 40 + pixels + maskStride * size;
  std::vector<uint8_t> out;
  auto put16 = [&](uint32_t v) { out.push_back(v & 0xFF), out.push_back((v >> 8) & 0xFF); };
  auto put32 = [&](uint32_t v) { put16(v & 0xFFFF), put16(v >> 16); };
  put16(0), put16(1), put16(1);                                          // icon directory, one image
  out.push_back(static_cast<uint8_t>(size)), out.push_back(static_cast<uint8_t>(size));
  out.push_back(0), out.push_back(0);
  put16(1), put16(32), put32(imageSize), put32(22);
  put32(40), put32(size), put32(size * 2), put16(1), put16(32), put32(0), put32(pixels + maskStride * size);
  put32(0), put32(0), put32(0), put32(0);
  for (int i = 0; i < size * size; ++i) {
    out.push_back(GetBValue(colour)), out.push_back(GetGValue(colour)), out.push_back(GetRValue(colour));
    out.push_back(0xFF);
  }
  out.insert(out.end(), maskStride * size, 0);  // every pixel opaque
  return WriteBytes(path, out);
}

// Writes a one-image .ico file of the older kind: 24-bit colours without alpha and a mask.
// Pixel (x, y) (from the top) has the colour `pixel` gives and its mask bit set when
// `masked` says so: masked black is transparent, masked colours invert what lies under them.
inline bool WriteMaskedIcon(const std::string& path, int size, const std::function<COLORREF(int, int)>& pixel,
                            const std::function<bool(int, int)>& masked) {
  const uint32_t colourStride = ((size * 3 + 3) / 4) * 4, maskStride = ((size + 31) / 32) * 4;
  const uint32_t imageSize = 40 + (colourStride + maskStride) * size;
  std::vector<uint8_t> out;
  auto put16 = [&](uint32_t v) { out.push_back(v & 0xFF), out.push_back((v >> 8) & 0xFF); };
  auto put32 = [&](uint32_t v) { put16(v & 0xFFFF), put16(v >> 16); };
  put16(0), put16(1), put16(1);
  out.push_back(static_cast<uint8_t>(size)), out.push_back(static_cast<uint8_t>(size));
  out.push_back(0), out.push_back(0);
  put16(1), put16(24), put32(imageSize), put32(22);
  put32(40), put32(size), put32(size * 2), put16(1), put16(24), put32(0), put32(imageSize - 40);
  put32(0), put32(0), put32(0), put32(0);
  for (int y = size - 1; y >= 0; --y) {  // rows bottom-up
    for (int x = 0; x < size; ++x) {
      const COLORREF c = pixel(x, y);
      out.push_back(GetBValue(c)), out.push_back(GetGValue(c)), out.push_back(GetRValue(c));
    }
    out.insert(out.end(), colourStride - size * 3, 0);
  }
  for (int y = size - 1; y >= 0; --y) {
    std::vector<uint8_t> row(maskStride, 0);
    for (int x = 0; x < size; ++x)
      if (masked(x, y)) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    out.insert(out.end(), row.begin(), row.end());
  }
  return WriteBytes(path, out);
}

// The box around the pixels of an area that differ from its background colour.
struct Ink {
  int left = -1, top = -1, right = -1, bottom = -1;  // inclusive; -1 when there is none
  bool any() const { return left >= 0; }
  int width() const { return any() ? right - left + 1 : 0; }
};

template <class Skip>
Ink InkIn(const testing_support::Capture& shot, const RECT& area, COLORREF background, Skip skip) {
  Ink ink;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x) {
      const COLORREF c = shot.At(x, y);
      if (c == background || c == CLR_INVALID || skip(c)) continue;
      if (!ink.any()) {
        ink = {x, y, x, y};
      } else {
        ink.left = std::min(ink.left, x);
        ink.right = std::max(ink.right, x);
        ink.top = std::min(ink.top, y);
        ink.bottom = std::max(ink.bottom, y);
      }
    }
  return ink;
}
inline Ink InkIn(const testing_support::Capture& shot, const RECT& area, COLORREF background) {
  return InkIn(shot, area, background, [](COLORREF) { return false; });
}

// Where the ink of `text` lies when drawn with `font` and `format` into a rectangle of
// `width` x `height` at the origin (text colour black on white, opaque).
inline Ink ReferenceInk(HFONT font, const std::string& text, UINT format, int width, int height) {
  testing_support::Dib32 dib(width, height);
  HDC dc = dib.dc();
  HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
  RECT r{0, 0, width, height};
  FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SetTextColor(dc, 0);
  SetBkColor(dc, 0x00FFFFFF);
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, format);
  GdiFlush();
  Ink ink;
  const uint32_t* p = dib.bits();
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      if ((p[y * width + x] & 0xFFFFFF) == 0xFFFFFF) continue;
      if (!ink.any()) {
        ink = {x, y, x, y};
      } else {
        ink.left = std::min(ink.left, x);
        ink.right = std::max(ink.right, x);
        ink.top = std::min(ink.top, y);
        ink.bottom = std::max(ink.bottom, y);
      }
    }
  if (oldFont) SelectObject(dc, oldFont);
  return ink;
}

// The height DrawText measures for a text at a width (DT_CALCRECT), in a font.
inline int MeasuredHeight(HFONT font, const std::string& text, UINT format, int width) {
  HDC screen = GetDC(nullptr);
  HGDIOBJ old = font ? SelectObject(screen, font) : nullptr;
  RECT r{0, 0, width, 0};
  DrawTextA(screen, text.c_str(), static_cast<int>(text.size()), &r, format | DT_CALCRECT);
  if (old) SelectObject(screen, old);
  ReleaseDC(nullptr, screen);
  return r.bottom;
}

inline int LineHeight(HFONT font) {
  HDC screen = GetDC(nullptr);
  HGDIOBJ old = font ? SelectObject(screen, font) : nullptr;
  TEXTMETRICA tm{};
  GetTextMetricsA(screen, &tm);
  if (old) SelectObject(screen, old);
  ReleaseDC(nullptr, screen);
  return tm.tmHeight;
}

// A picture to compare, read pixel by pixel (colours 0x00BBGGRR).
using PixelAt = std::function<COLORREF(int x, int y)>;

struct IconMismatch {
  int pixels = 0;     // how many pixels differ
  std::string first;  // where the first one lies, and its two colours
};

// Compares the `size` x `size` square at (x, y) of `drawn`, and the one-pixel border around
// it, with what the system draws there: `icon` (loaded at that size, destroyed here) drawn
// with DrawIconEx over `under`, the same pixels before the icon was drawn.
inline IconMismatch CompareWithDrawIconEx(const PixelAt& drawn, const PixelAt& under, int x, int y, HICON icon,
                                          int size, const std::string& what) {
  const int side = size + 2;
  testing_support::Dib32 reference(side, side);
  auto* bits = const_cast<uint32_t*>(reference.bits());
  for (int j = 0; j < side; ++j)
    for (int i = 0; i < side; ++i) {
      const COLORREF c = under(x - 1 + i, y - 1 + j);
      bits[j * side + i] = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
    }
  IconMismatch out;
  if (!icon) {
    out.pixels = side * side;
    out.first = "no icon " + what;
    return out;
  }
  DrawIconEx(reference.dc(), 1, 1, icon, 0, 0, 0, nullptr, DI_NORMAL);
  DestroyIcon(icon);
  GdiFlush();
  for (int j = 0; j < side; ++j)
    for (int i = 0; i < side; ++i) {
      const uint32_t p = reference.bits()[j * side + i];
      const COLORREF want = RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
      const COLORREF got = drawn(x - 1 + i, y - 1 + j);
      if (got == want) continue;
      if (out.pixels++ == 0) {
        char text[96];
        std::snprintf(text, sizeof text, "(%d, %d): %06lx, DrawIconEx %06lx", x - 1 + i, y - 1 + j,
                      static_cast<unsigned long>(got), static_cast<unsigned long>(want));
        out.first = text;
      }
    }
  return out;
}
// The same for this program's icon resource `resource` loaded at that size (LoadImage).
inline IconMismatch CompareWithDrawIconEx(const PixelAt& drawn, const PixelAt& under, int x, int y,
                                          const char* resource, int size) {
  HICON icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), resource, IMAGE_ICON, size, size, 0));
  return CompareWithDrawIconEx(drawn, under, x, y, icon, size, std::string("resource ") + resource);
}

inline PixelAt PixelsOf(const testing_support::Capture& shot) {
  return [&shot](int x, int y) { return shot.At(x, y); };
}

// Whether two colours are within `tolerance` in every channel.
inline bool Near(COLORREF a, COLORREF b, int tolerance) {
  return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
         std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

}  // namespace panel_test
