#include "icon_cache.h"

#include <cstdint>

#include "gdi.h"

namespace taskpanel {

namespace {

// The icon in the form the system draws fastest, drawing the same pixels. DrawIconEx draws an
// icon without an alpha channel through its mask (the target ANDed with the mask, then XORed
// with the colours), which under Wine costs about twenty times the blend of an icon with
// alpha. Where the mask only cuts out (every pixel under a set mask bit is black), the icon
// with alpha 255 where its mask is clear and 0 where it is set gives the same colours; such an
// icon is made and the loaded one destroyed. Any other icon is kept as it was loaded.
HICON WithAlphaFromMask(HICON icon) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return icon;
  const gdi::Bitmap colourBitmap(info.hbmColor), maskBitmap(info.hbmMask);  // GetIconInfo's copies
  BITMAP bm{};
  if (!colourBitmap || !maskBitmap || !GetObjectA(colourBitmap.get(), sizeof bm, &bm) || bm.bmWidth <= 0 ||
      bm.bmHeight <= 0)
    return icon;
  const int w = bm.bmWidth, h = bm.bmHeight;
  BITMAPINFO bi = gdi::TopDown32(w, h);
  std::vector<uint32_t> colour(static_cast<std::size_t>(w) * h), mask(colour.size());
  const gdi::MemoryDC dc(nullptr);
  if (!dc || GetDIBits(dc.get(), colourBitmap.get(), 0, h, colour.data(), &bi, DIB_RGB_COLORS) != h ||
      GetDIBits(dc.get(), maskBitmap.get(), 0, h, mask.data(), &bi, DIB_RGB_COLORS) != h)
    return icon;
  for (std::size_t i = 0; i < colour.size(); ++i) {
    if (colour[i] >> 24) return icon;                                    // it has alpha already
    if ((mask[i] & 0x00FFFFFF) && (colour[i] & 0x00FFFFFF)) return icon;  // it inverts
  }
  for (std::size_t i = 0; i < colour.size(); ++i) colour[i] = (mask[i] & 0x00FFFFFF) ? 0 : colour[i] | 0xFF000000;
  const gdi::Bitmap withAlpha = gdi::DibSection32(dc.get(), w, h);
  if (!withAlpha || SetDIBits(dc.get(), withAlpha.get(), 0, h, colour.data(), &bi, DIB_RGB_COLORS) != h) return icon;
  ICONINFO made = info;
  made.hbmColor = withAlpha.get();
  HICON converted = CreateIconIndirect(&made);
  if (!converted) return icon;
  DestroyIcon(icon);
  return converted;
}

}  // namespace

HICON IconCache::Resource(HMODULE module, const std::string& name, int width, int height) {
  Key key{module, name, width, height};
  const auto found = icons_.find(key);
  if (found != icons_.end()) return found->second;
  HICON icon = static_cast<HICON>(LoadImageA(module, name.c_str(), IMAGE_ICON, width, height, LR_DEFAULTCOLOR));
  if (icon) icon = WithAlphaFromMask(icon);
  icons_.emplace(std::move(key), icon);
  return icon;
}

HICON IconCache::File(const std::string& name, int width, int height) {
  char full[MAX_PATH] = {};
  const DWORD n = GetFullPathNameA(name.c_str(), MAX_PATH, full, nullptr);
  Key key{nullptr, n > 0 && n < MAX_PATH ? std::string(full) : name, width, height};
  const auto found = icons_.find(key);
  if (found != icons_.end()) return found->second;
  HICON icon = static_cast<HICON>(LoadImageA(nullptr, name.c_str(), IMAGE_ICON, width, height, LR_LOADFROMFILE));
  if (icon) icon = WithAlphaFromMask(icon);
  if (icon) icons_.emplace(std::move(key), icon);
  return icon;
}

void IconCache::Clear() {
  for (const auto& [key, icon] : icons_)
    if (icon) DestroyIcon(icon);
  icons_.clear();
}

std::vector<HICON> IconCache::Loaded() const {
  std::vector<HICON> out;
  for (const auto& [key, icon] : icons_)
    if (icon) out.push_back(icon);
  return out;
}

}  // namespace taskpanel
