#include "error_class.h"

#include <windows.h>

namespace fw {

void ERRORCLASS::INIT(ERRORSTATUSCLASS& status) { status_ = &status; }

void ERRORCLASS::SETPROCEDURENAME(std::optional<std::string> name) {
  std::lock_guard lock(mutex_);
  const uint32_t id = GetCurrentThreadId();
  if (name) {
    names_[id].push_back(*name);
    return;
  }
  auto it = names_.find(id);
  if (it == names_.end()) return;
  it->second.pop_back();
  if (it->second.empty()) names_.erase(it);
}

std::string ERRORCLASS::PROCEDURENAME() const {
  std::lock_guard lock(mutex_);
  auto it = names_.find(GetCurrentThreadId());
  return it == names_.end() ? std::string() : it->second.back();
}

std::string ERRORCLASS::MESSAGE(int32_t code) {
  switch (code) {
    case 2:
      return "Archivo no encontrado";
    case 5:
      return "Acceso denegado";
    case 30:
      return "Entrada no encontrada";
    default:
      return {};
  }
}

}  // namespace fw
