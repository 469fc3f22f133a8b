#pragma once

namespace app {
// The application frame: runs until it is closed.
void MAIN();
}  // namespace app
