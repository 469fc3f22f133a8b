#include "errors.h"

namespace rt {
namespace {
thread_local int32_t t_code = 0;
}
int32_t ErrorCode() { return t_code; }
std::string ErrorText() {
  switch (t_code) {
    case 0:
      return {};
    case kErrorEntryNotFound:
      return "Entry Not Found";
    default:
      return "Error " + std::to_string(t_code);
  }
}
void SetError(int32_t code) { t_code = code; }
}  // namespace rt
