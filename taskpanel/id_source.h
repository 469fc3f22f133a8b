#pragma once
// Where the panel draws its header and task ids from: the runtime's RandomRange, unless a
// test puts a source of its own in place to choose the draws.
#include <cstdint>

namespace taskpanel {
using IdSource = int32_t (*)(int32_t low, int32_t high);
// Installs `source` (null = the runtime's RandomRange again); returns the one replaced.
IdSource ReplaceIdSource(IdSource source);
}  // namespace taskpanel
