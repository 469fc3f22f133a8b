#pragma once
// Events the runtime raises for windows, and the calls that read the current one.
#include <cstdint>

namespace rt {

constexpr int32_t EVENT_Accepted = 1;
constexpr int32_t EVENT_CloseWindow = 0x201;
constexpr int32_t EVENT_OpenWindow = 0x202;
constexpr int32_t EVENT_AlertKey = 0x20B;

struct Event {
  int32_t event = 0;
  int32_t control = 0;
};

// Queues an event for the window of `thread` (0 = the calling thread) and returns at once;
// a thread without a window gets nothing. A close request for another thread closes all of
// that thread's windows, innermost first (an open menu there is ended); the thread keeps it,
// so it is not lost when the window it was posted to closes before reading it.
void PostEvent(int32_t event, int32_t control = 0, int32_t thread = 0, int32_t position = 0);

// The event being handled by the calling thread's current window.
int32_t CurrentEvent();
// Control number of the current event when it is an accepted one, else 0.
int32_t AcceptedControl();
// Control number of the current event.
int32_t EventControl();

}  // namespace rt
