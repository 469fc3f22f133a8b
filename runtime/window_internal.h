#pragma once
// Shared by the runtime's window files only: the window classes, the thread's stack of
// current targets, the window being created and the lookup from a handle to its window.
#include <windows.h>

#include <vector>

#include "window.h"

namespace rt::detail {

inline constexpr char kFrameClass[] = "RtFrame";
inline constexpr char kWindowClass[] = "RtWindow";
inline constexpr char kMdiChildClass[] = "RtMdiChild";

// The window whose Win32 window is being created on this thread (its procedure attaches it).
Window*& CreatingWindow();

Window* FromHandle(::HWND hwnd);
// The runtime window that `hwnd` is, or the nearest one among its parents.
Window* OwningWindow(::HWND hwnd);

// The runtime window that `hwnd` itself is, or null.
Window* RuntimeWindow(::HWND hwnd);
// The calling thread's current targets, innermost last.
std::vector<::HWND> ThreadTargets();

void PushTarget(::HWND hwnd);
void PopTarget(::HWND hwnd);

// The frame registers itself while it is open.
void SetApplicationFrame(Window* frame);
void ForgetApplicationFrame(Window* frame);

// The frame's MDI client; `windowMenu` (may be null) lists the MDI children.
::HWND CreateMdiClient(::HWND frame, HMENU windowMenu);

// While a thread has runtime windows, the menu keys it reads that belong to a top-level window
// of another thread are handed to that thread (runtime/menu_keys.cpp).
void WatchMenuKeys(bool on);

// Closes the windows of the other threads and waits until those threads have ended.
void CloseOtherThreads();

// Hands a key message for a runtime dialog to the platform's dialog navigation; true when it
// has been taken (and dispatched) there.
bool DialogKey(MSG& m);

}  // namespace rt::detail
