#include "icon_draw.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace taskpanel {

namespace {

#pragma pack(push, 2)
struct GroupIconEntry {
  BYTE width, height, colours, reserved;
  WORD planes, bitCount;
  DWORD bytes;
  WORD id;
};
struct GroupIconDirectory {
  WORD reserved, type, count;
  GroupIconEntry entries[1];
};
#pragma pack(pop)

// A decoded image: premultiplied BGRA, top row first.
struct Image {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
};

uint32_t Premultiplied(uint8_t b, uint8_t g, uint8_t r, uint8_t a) {
  auto mul = [a](uint8_t c) { return static_cast<uint32_t>((c * a + 127) / 255); };
  return mul(b) | (mul(g) << 8) | (mul(r) << 16) | (static_cast<uint32_t>(a) << 24);
}

// The directory entry that fits the size best: the nearest size, then the most colours.
const GroupIconEntry* BestEntry(const GroupIconDirectory& dir, DWORD size, int width, int height) {
  if (size < 6 || dir.count == 0 || size < 6 + dir.count * sizeof(GroupIconEntry)) return nullptr;
  const GroupIconEntry* best = nullptr;
  int bestDistance = 0;
  for (WORD i = 0; i < dir.count; ++i) {
    const GroupIconEntry& e = dir.entries[i];
    const int w = e.width ? e.width : 256, h = e.height ? e.height : 256;
    const int distance = std::abs(w - width) + std::abs(h - height);
    if (!best || distance < bestDistance || (distance == bestDistance && e.bitCount > best->bitCount)) {
      best = &e;
      bestDistance = distance;
    }
  }
  return best;
}

// Decodes an icon image (a DIB of colours followed by its AND mask); false for anything else.
bool Decode(const uint8_t* data, DWORD size, Image& out) {
  if (size < sizeof(BITMAPINFOHEADER)) return false;
  BITMAPINFOHEADER bih;
  std::memcpy(&bih, data, sizeof bih);
  if (bih.biSize < sizeof(BITMAPINFOHEADER) || bih.biCompression != BI_RGB) return false;  // PNG and others
  const int w = bih.biWidth, h = std::abs(bih.biHeight) / 2;
  const int bpp = bih.biBitCount;
  if (w <= 0 || h <= 0 || w > 1024 || h > 1024) return false;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32) return false;
  const std::size_t paletteSize = bpp <= 8 ? (bih.biClrUsed ? bih.biClrUsed : (1u << bpp)) : 0;
  const std::size_t colourStride = ((static_cast<std::size_t>(w) * bpp + 31) / 32) * 4;
  const std::size_t maskStride = ((static_cast<std::size_t>(w) + 31) / 32) * 4;
  const std::size_t paletteAt = bih.biSize;
  const std::size_t colourAt = paletteAt + paletteSize * 4;
  const std::size_t maskAt = colourAt + colourStride * h;
  const bool haveMask = maskAt + maskStride * h <= size;
  if (colourAt + colourStride * h > size) return false;
  const uint8_t* palette = data + paletteAt;

  bool anyAlpha = false;
  if (bpp == 32)
    for (int y = 0; y < h && !anyAlpha; ++y)
      for (int x = 0; x < w; ++x)
        if (data[colourAt + y * colourStride + x * 4 + 3]) {
          anyAlpha = true;
          break;
        }

  out.width = w;
  out.height = h;
  out.pixels.assign(static_cast<std::size_t>(w) * h, 0);
  for (int row = 0; row < h; ++row) {
    const int y = bih.biHeight > 0 ? h - 1 - row : row;  // stored bottom-up
    const uint8_t* c = data + colourAt + row * colourStride;
    const uint8_t* m = haveMask ? data + maskAt + row * maskStride : nullptr;
    for (int x = 0; x < w; ++x) {
      const bool masked = m && (m[x / 8] & (0x80 >> (x % 8)));
      uint8_t b = 0, g = 0, r = 0, a = masked ? 0 : 255;
      if (bpp == 32) {
        b = c[x * 4], g = c[x * 4 + 1], r = c[x * 4 + 2];
        if (anyAlpha) a = c[x * 4 + 3];
      } else if (bpp == 24) {
        b = c[x * 3], g = c[x * 3 + 1], r = c[x * 3 + 2];
      } else {
        const int perByte = 8 / bpp;
        const int shift = (perByte - 1 - x % perByte) * bpp;
        const std::size_t index = (c[x / perByte] >> shift) & ((1 << bpp) - 1);
        if (index < paletteSize) b = palette[index * 4], g = palette[index * 4 + 1], r = palette[index * 4 + 2];
      }
      out.pixels[static_cast<std::size_t>(y) * w + x] = Premultiplied(b, g, r, a);
    }
  }
  return true;
}

// The image at another size: each target pixel averages the source pixels it covers.
Image Scaled(const Image& src, int width, int height) {
  if (src.width == width && src.height == height) return src;
  Image out;
  out.width = width;
  out.height = height;
  out.pixels.resize(static_cast<std::size_t>(width) * height);
  for (int ty = 0; ty < height; ++ty) {
    const int y0 = ty * src.height / height;
    const int y1 = std::max(y0 + 1, (ty + 1) * src.height / height);
    for (int tx = 0; tx < width; ++tx) {
      const int x0 = tx * src.width / width;
      const int x1 = std::max(x0 + 1, (tx + 1) * src.width / width);
      uint32_t sum[4] = {};
      for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
          const uint32_t p = src.pixels[static_cast<std::size_t>(y) * src.width + x];
          for (int k = 0; k < 4; ++k) sum[k] += (p >> (8 * k)) & 0xFF;
        }
      const uint32_t n = static_cast<uint32_t>((y1 - y0) * (x1 - x0));
      uint32_t p = 0;
      for (int k = 0; k < 4; ++k) p |= ((sum[k] + n / 2) / n) << (8 * k);
      out.pixels[static_cast<std::size_t>(ty) * width + tx] = p;
    }
  }
  return out;
}

// Premultiplied "over" onto a 32-bit pixel row.
void Blend(const Image& img, uint8_t* target, std::ptrdiff_t stride, int targetWidth, int targetHeight, int x, int y) {
  for (int iy = 0; iy < img.height; ++iy) {
    const int ty = y + iy;
    if (ty < 0 || ty >= targetHeight) continue;
    auto* row = reinterpret_cast<uint32_t*>(target + ty * stride);
    for (int ix = 0; ix < img.width; ++ix) {
      const int tx = x + ix;
      if (tx < 0 || tx >= targetWidth) continue;
      const uint32_t s = img.pixels[static_cast<std::size_t>(iy) * img.width + ix];
      const uint32_t a = s >> 24;
      if (a == 0) continue;
      if (a == 255) {
        row[tx] = s & 0x00FFFFFF;
        continue;
      }
      const uint32_t d = row[tx];
      uint32_t p = 0;
      for (int k = 0; k < 3; ++k) {
        const uint32_t sc = (s >> (8 * k)) & 0xFF, dc = (d >> (8 * k)) & 0xFF;
        p |= std::min<uint32_t>(255, sc + (dc * (255 - a) + 127) / 255) << (8 * k);
      }
      row[tx] = p;
    }
  }
}

// Whether a DIB section's rows are stored top row first. The bitmap's description does not
// tell (its height reads positive either way), so a pixel is changed in memory and looked at
// through the device context, then put back.
bool StoredTopDown(HDC dc, const DIBSECTION& ds) {
  if (ds.dsBm.bmHeight < 2) return true;
  auto* first = static_cast<uint32_t*>(ds.dsBm.bmBits);
  const uint32_t saved = *first;
  const COLORREF before = GetPixel(dc, 0, 0);
  *first = saved ^ 0x00FFFFFF;
  GdiFlush();
  const bool topDown = GetPixel(dc, 0, 0) != before;
  *first = saved;
  return topDown;
}

// Blends onto the device context: straight into its bitmap when that is a plain 32-bit DIB
// section addressed without any transform, else through a small DIB of the icon's area.
void BlendOnto(HDC dc, const Image& img, int x, int y) {
  DIBSECTION ds{};
  HGDIOBJ bitmap = GetCurrentObject(dc, OBJ_BITMAP);
  POINT viewport{}, window{};
  GetViewportOrgEx(dc, &viewport);
  GetWindowOrgEx(dc, &window);
  if (bitmap && GetObjectA(bitmap, sizeof ds, &ds) == sizeof ds && ds.dsBm.bmBits && ds.dsBm.bmBitsPixel == 32 &&
      ds.dsBmih.biCompression == BI_RGB && GetMapMode(dc) == MM_TEXT && viewport.x == 0 && viewport.y == 0 &&
      window.x == 0 && window.y == 0) {
    GdiFlush();
    auto* bits = static_cast<uint8_t*>(ds.dsBm.bmBits);
    std::ptrdiff_t stride = ds.dsBm.bmWidthBytes;
    if (!StoredTopDown(dc, ds)) {  // bottom-up: start at the top row, walk backwards
      bits += (ds.dsBm.bmHeight - 1) * stride;
      stride = -stride;
    }
    Blend(img, bits, stride, ds.dsBm.bmWidth, ds.dsBm.bmHeight, x, y);
    return;
  }
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = img.width;
  bi.bmiHeader.biHeight = -img.height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC area = CreateCompatibleDC(dc);
  if (!area) return;
  HBITMAP dib = CreateDIBSection(area, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (dib) {
    HGDIOBJ old = SelectObject(area, dib);
    BitBlt(area, 0, 0, img.width, img.height, dc, x, y, SRCCOPY);
    GdiFlush();
    Blend(img, static_cast<uint8_t*>(bits), img.width * 4, img.width, img.height, 0, 0);
    BitBlt(dc, x, y, img.width, img.height, area, 0, 0, SRCCOPY);
    SelectObject(area, old);
    DeleteObject(dib);
  }
  DeleteDC(area);
}

}  // namespace

IconDrawResult DrawResourceIcon(HDC dc, HMODULE module, const std::string& name, int x, int y, int width,
                                int height) {
  if (width <= 0 || height <= 0) return IconDrawResult::Undecodable;
  HRSRC groupInfo = FindResourceA(module, name.c_str(), MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
  if (!groupInfo) return IconDrawResult::NotFound;
  const auto* dir = static_cast<const GroupIconDirectory*>(LockResource(LoadResource(module, groupInfo)));
  if (!dir) return IconDrawResult::Undecodable;
  const GroupIconEntry* entry = BestEntry(*dir, SizeofResource(module, groupInfo), width, height);
  if (!entry) return IconDrawResult::Undecodable;
  HRSRC imageInfo = FindResourceA(module, MAKEINTRESOURCEA(entry->id), MAKEINTRESOURCEA(3));  // RT_ICON
  if (!imageInfo) return IconDrawResult::Undecodable;
  const auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(module, imageInfo)));
  Image image;
  if (!data || !Decode(data, SizeofResource(module, imageInfo), image)) return IconDrawResult::Undecodable;
  BlendOnto(dc, Scaled(image, width, height), x, y);
  return IconDrawResult::Drawn;
}

}  // namespace taskpanel
