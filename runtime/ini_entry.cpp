#include "ini_entry.h"

#include <windows.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <mutex>
#include <set>

namespace rt {

std::string TrimRight(std::string_view text) {
  std::size_t end = text.size();
  while (end > 0 && text[end - 1] == ' ') --end;
  return std::string(text.substr(0, end));
}

std::string CutTo(std::string_view text, std::size_t capacity) {
  return std::string(text.substr(0, std::min(text.size(), capacity)));
}

bool IsBlank(std::string_view text) { return text.find_first_not_of(' ') == std::string_view::npos; }

int32_t ToLong(std::string_view text) {
  std::string s(text);
  const char* p = s.c_str();
  while (*p == ' ' || *p == '\t') ++p;
  char* end = nullptr;
  errno = 0;
  long long v = std::strtoll(p, &end, 10);
  if (end == p) return 0;
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(v);
}

namespace {
std::string FileArg(std::string_view file) { return CutTo(TrimRight(file), kIniFileNameCapacity); }

std::string OwnName(std::string_view file) {
  std::string name(file.substr(file.find_last_of("\\/:") + 1));
  CharUpperBuffA(name.data(), static_cast<DWORD>(name.size()));
  return name;
}

struct LayerFiles {
  std::mutex lock;
  std::set<std::string> names;
};

LayerFiles& Layer() {
  static LayerFiles files;
  return files;
}

// Noted before the layer is called, so that a write that checks afterwards sees it.
void GoesThroughLayer(const std::string& file) {
  std::string name = OwnName(file);
  LayerFiles& layer = Layer();
  std::lock_guard guard(layer.lock);
  layer.names.insert(std::move(name));
}
}  // namespace

bool LayerMayHold(std::string_view file) {
  const std::string name = OwnName(FileArg(file));
  LayerFiles& layer = Layer();
  std::lock_guard guard(layer.lock);
  return layer.names.count(name) != 0;
}

std::string ReadIniEntry(std::string_view section, std::string_view key, std::string_view defaultValue,
                         std::string_view file) {
  char buffer[kIniValueCapacity + 1];
  const std::string sec = TrimRight(section), k = TrimRight(key), def = CutTo(TrimRight(defaultValue), kIniValueCapacity),
                    f = FileArg(file);
  GoesThroughLayer(f);
  DWORD n = GetPrivateProfileStringA(sec.c_str(), k.c_str(), def.c_str(), buffer, sizeof buffer, f.c_str());
  return std::string(buffer, n);
}

void WriteIniEntry(std::string_view section, std::string_view key, std::optional<std::string_view> value,
                   std::string_view file) {
  const std::string sec = TrimRight(section), k = TrimRight(key), f = FileArg(file);
  GoesThroughLayer(f);
  if (value) {
    const std::string v = CutTo(TrimRight(*value), kIniValueCapacity);
    WritePrivateProfileStringA(sec.c_str(), k.c_str(), v.c_str(), f.c_str());
  } else {
    WritePrivateProfileStringA(sec.c_str(), k.c_str(), nullptr, f.c_str());
  }
}

}  // namespace rt
