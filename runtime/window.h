#pragma once
// Runtime windows: built from a compiled layout, opened on the calling thread, and fed with
// events by their own window procedure. A window procedure of the program runs a nested
// event loop for every window it opens, so it returns only after its window has closed.
#include <windows.h>

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "events.h"
#include "layout.h"

namespace rt {

// A string control bound to a program variable: the control shows the variable's value
// each time the window is displayed.
struct TextBinding {
  int32_t feq = 0;
  const std::string* text = nullptr;
};

class Window {
 public:
  Window(const WindowLayout& layout, std::vector<TextBinding> bindings = {});
  ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  // Builds the Win32 window and its controls, still hidden, and makes it the thread's
  // current target. False when the window could not be created.
  bool Open();
  // Shows the window the way its placement asks (once its start-up and first refresh are
  // done, so that it is never seen elsewhere or empty).
  void Show();
  // How Show shows it: SW_SHOWNORMAL, SW_SHOWMAXIMIZED, ...
  void SetShowCommand(int command) { showCommand_ = command; }
  // A window that keeps its layout size: it has no sizing border.
  bool FixedSize() const { return layout_.kind != WindowKind::Frame && !layout_.sizable; }
  bool IsOpen() const { return hwnd_ != nullptr; }
  ::HWND Handle() const { return hwnd_; }
  const WindowLayout& Layout() const { return layout_; }

  // Pumps the thread's messages until an event for this window is queued; false once the
  // window no longer exists.
  bool NextEvent(Event& out);
  // Queues an event for this window; one raised while a message sent from another thread is
  // handled wakes the event loop, so that it is taken at once.
  void Push(const Event& e);
  const Event& Current() const { return current_; }
  void SetCurrent(const Event& e) { current_ = e; }

  // Refreshes every bound control from its variable.
  void Display();
  // Destroys the Win32 window (a frame first closes the windows of the other threads).
  void Destroy();

  // The layout's rectangle in pixels: position (relative to the parent for an MDI child)
  // and outer size. Used when no placement is stored.
  RECT LayoutRect() const;
  // Menu item message ("tip") of a control number, empty when there is none.
  std::string MenuMessage(int32_t feq) const;
  const MenuLayout* FindMenuItem(int32_t feq) const;
  ::HWND MdiClient() const { return mdiClient_; }
  // The control that selecting `feq` gives the focus to: the control itself, or where it
  // cannot take the focus (hidden, disabled, a text only displayed), the next tab stop.
  ::HWND FocusTarget(int32_t feq) const;

  // Window procedure plumbing (public for the runtime's window procedure).
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
  LRESULT DefaultProc(UINT msg, WPARAM wp, LPARAM lp);
  void Attach(::HWND hwnd) { hwnd_ = hwnd; }

 private:
  void CreateControls();
  void CreateFrameParts();
  void LayoutFrameParts();
  void SettleMdiClient();
  void BuildMenu();
  void RunStandardAction(StandardAction action);
  void Accept(int32_t feq);
  bool OnCommand(WPARAM wp, LPARAM lp);
  bool OnSysCommand(WPARAM wp);
  void KeepFixedSize(WINDOWPOS& pos) const;
  // A close request of this window itself: the application frame's closes the program,
  // every window of its thread; any other window closes alone.
  void RequestClose();
  void CloseThreadWindows();
  // The thread is closing: this window's queued events give way to its close request.
  void TakeThreadClose();
  bool KeepDialogFocus(WPARAM wp);
  bool CanTakeFocus(::HWND control) const;
  LRESULT DefaultButton() const;  // the answer to DM_GETDEFID
  POINT DialogUnitsToPixels(int x, int y) const;

  const WindowLayout& layout_;
  std::vector<TextBinding> bindings_;
  ::HWND hwnd_ = nullptr;
  ::HWND mdiClient_ = nullptr;
  ::HWND statusBar_ = nullptr;
  HFONT font_ = nullptr;
  HBRUSH background_ = nullptr;
  HICON icon_ = nullptr;
  int baseX_ = 6, baseY_ = 13;  // dialog base units of the layout font
  std::deque<Event> events_;
  Event current_;
  bool destroyed_ = false;
  bool threadClose_ = false;  // the thread's close request has been queued for this window
  int showCommand_ = SW_SHOW;
  SIZE fixedSize_{};  // outer size of a fixed-size window
  ::HWND dialogFocus_ = nullptr;  // a dialog's focused control while another window is active
};

// Builders of the three kinds of window; each leaves `ref` holding a window not yet open.
void LoadFrameStructure(std::unique_ptr<Window>& ref, const std::string& module, const std::string& name);
void LoadWindowStructure(std::unique_ptr<Window>& ref, const std::string& module, const std::string& name,
                         std::vector<TextBinding> bindings = {});
void LoadMdiChildStructure(std::unique_ptr<Window>& ref, const std::string& module, const std::string& name);
// Closes (when still open) and releases the window.
void CloseWindow(std::unique_ptr<Window>& ref);

// The calling thread's current target: the window its control numbers address.
::HWND CurrentTarget();
Window* CurrentWindow();
// Lets code that is not a runtime window (a test host) be the current target for a while.
class ScopedTarget {
 public:
  explicit ScopedTarget(::HWND window);
  ~ScopedTarget();
  ScopedTarget(const ScopedTarget&) = delete;
  ScopedTarget& operator=(const ScopedTarget&) = delete;
};

// The open application frame of the process, or null.
Window* ApplicationFrame();

// Private message that carries a posted event: wParam event, lParam control.
constexpr UINT WM_RT_EVENT = WM_APP + 0x101;
// Private message that asks every window of the receiving thread to close, innermost first:
// a close request that another thread posts (the thread's program window and any dialog or
// menu open in it all go).
constexpr UINT WM_RT_CLOSE_THREAD = WM_APP + 0x102;
// Asks the first thread to halt the program (a halt raised on another thread).
constexpr UINT WM_RT_HALT = WM_APP + 0x103;
// Command ids of MDI children in the Window menu start here (clear of control numbers).
constexpr UINT kFirstMdiChildId = 0x4000;

}  // namespace rt
