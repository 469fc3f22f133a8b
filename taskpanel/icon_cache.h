#pragma once
// The icons a panel has drawn, kept for the panel's life: each name at each size is loaded
// once with LoadImage and drawn from then on with DrawIconEx, exactly as a load at every
// paint would draw it, without the cost of the load (an icon whose mask only cuts out is kept
// in the equivalent form with alpha, which the system draws faster). The owner clears the
// cache when it ends (KILL); whatever is left is destroyed with the cache.
#include <windows.h>

#include <compare>
#include <map>
#include <string>
#include <vector>

namespace taskpanel {

class IconCache {
 public:
  IconCache() = default;
  ~IconCache() { Clear(); }
  IconCache(const IconCache&) = delete;
  IconCache& operator=(const IconCache&) = delete;

  // The icon resource `name` of `module` at `width` x `height`; null when the module has none.
  // A resource that is not there is remembered as missing: a loaded module's resources do
  // not change.
  HICON Resource(HMODULE module, const std::string& name, int width, int height);
  // The icon file `name` (relative to the current directory) at that size; null when there is
  // none. A missing file is looked for again next time: it may appear later.
  HICON File(const std::string& name, int width, int height);
  // Destroys every icon loaded so far.
  void Clear();
  // The icons loaded so far.
  std::vector<HICON> Loaded() const;

 private:
  struct Key {
    HMODULE module;  // null for a file
    std::string name;  // resource name, or the file's full path
    int width, height;
    auto operator<=>(const Key&) const = default;
  };
  std::map<Key, HICON> icons_;
};

}  // namespace taskpanel
