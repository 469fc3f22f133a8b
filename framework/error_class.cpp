#include "error_class.h"

#include <windows.h>

namespace fw {

void ERRORCLASS::INIT(ERRORSTATUSCLASS& status) { status_ = &status; }

void ERRORCLASS::SETPROCEDURENAME(std::optional<std::string> name) {
  std::lock_guard lock(mutex_);
  const uint32_t id = GetCurrentThreadId();
  if (name) names_[id] = *name;
  else names_.erase(id);
}

std::string ERRORCLASS::PROCEDURENAME() const {
  std::lock_guard lock(mutex_);
  auto it = names_.find(GetCurrentThreadId());
  return it == names_.end() ? std::string() : it->second;
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
