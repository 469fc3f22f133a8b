#include <map>
#include <mutex>

#include "window.h"

// Compiled layouts by module and name, and the builders that make a window from one.
namespace rt {
namespace {

std::mutex g_layoutMutex;
std::map<std::string, const WindowLayout*>& Layouts() {
  static std::map<std::string, const WindowLayout*> layouts;
  return layouts;
}

void Load(std::unique_ptr<Window>& ref, const std::string& module, const std::string& name,
          std::vector<TextBinding> bindings) {
  const WindowLayout* layout = FindLayout(module, name);
  ref.reset(layout ? new Window(*layout, std::move(bindings)) : nullptr);
}

}  // namespace

void RegisterLayout(const std::string& module, const std::string& name, const WindowLayout* layout) {
  std::lock_guard lock(g_layoutMutex);
  Layouts()[module + "|" + name] = layout;
}

const WindowLayout* FindLayout(const std::string& module, const std::string& name) {
  std::lock_guard lock(g_layoutMutex);
  auto it = Layouts().find(module + "|" + name);
  return it == Layouts().end() ? nullptr : it->second;
}

void LoadFrameStructure(std::unique_ptr<Window>& ref, const std::string& module, const std::string& name) {
  Load(ref, module, name, {});
}
void LoadWindowStructure(std::unique_ptr<Window>& ref, const std::string& module, const std::string& name,
                         std::vector<TextBinding> bindings) {
  Load(ref, module, name, std::move(bindings));
}
void LoadMdiChildStructure(std::unique_ptr<Window>& ref, const std::string& module, const std::string& name) {
  Load(ref, module, name, {});
}
void CloseWindow(std::unique_ptr<Window>& ref) { ref.reset(); }

}  // namespace rt
