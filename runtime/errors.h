#pragma once
// The runtime's error state of the calling thread: the code and text of the last failed
// runtime operation (0 and empty after a successful one).
#include <cstdint>
#include <string>

namespace rt {
constexpr int32_t kErrorEntryNotFound = 30;
int32_t ErrorCode();
std::string ErrorText();
void SetError(int32_t code);  // 0 clears
}  // namespace rt
