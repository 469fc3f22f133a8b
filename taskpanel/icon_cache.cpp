#include "icon_cache.h"

namespace taskpanel {

HICON IconCache::Resource(HMODULE module, const std::string& name, int width, int height) {
  Key key{module, name, width, height};
  const auto found = icons_.find(key);
  if (found != icons_.end()) return found->second;
  HICON icon = static_cast<HICON>(LoadImageA(module, name.c_str(), IMAGE_ICON, width, height, LR_DEFAULTCOLOR));
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
