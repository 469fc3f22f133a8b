#pragma once
// The framework's window manager: opens a window, runs its event loop and hands each event
// to overridable operations. Operations return a level: 0 for success (or "go on").
#include <cstdint>
#include <memory>

#include "runtime/events.h"
#include "runtime/window.h"

namespace fw {

class ERRORCLASS;
using BYTE = uint8_t;

// The toolbar object every window registers; with no targets it does nothing.
class TOOLBARCLASS {
 public:
  virtual ~TOOLBARCLASS() = default;
  void INIT() { targets_ = 0; }
  void TAKEEVENT() {}  // no targets: nothing to do
  int TARGETS() const { return targets_; }

 private:
  int targets_ = 0;
};

class WINDOWMANAGER {
 public:
  virtual ~WINDOWMANAGER() = default;

  BYTE REQUEST = 0;
  int32_t FIRSTFIELD = 0;
  int32_t* VCRREQUEST = nullptr;
  ERRORCLASS* ERRORS = nullptr;
  BYTE OPENED = 0;
  BYTE RESPONSE = 0;
  int32_t OKCONTROL = 0;
  int32_t SAVECONTROL = 0;

  virtual BYTE INIT();
  virtual BYTE KILL();
  virtual void OPEN();  // the first refresh
  virtual void OPEN(rt::Window& window, rt::Window* owner = nullptr);
  virtual void RESET();
  // Calls INIT; when it returned 0 runs the event loop until the window closes; then KILL
  // in every case. Returns RESPONSE, or 2 when it is 0.
  virtual BYTE RUN();
  virtual void SETALERTS();
  virtual BYTE TAKEACCEPTED();
  virtual BYTE TAKECLOSEEVENT();
  virtual BYTE TAKEEVENT();
  virtual BYTE TAKEFIELDEVENT();
  virtual BYTE TAKEWINDOWEVENT();
  void ADDITEM(TOOLBARCLASS& toolbar);

  rt::Window* WINDOW() const { return window_; }

 private:
  bool inited_ = false;
  bool refreshed_ = false;
  bool closing_ = false;
  rt::Window* window_ = nullptr;
  TOOLBARCLASS* toolbar_ = nullptr;
};

}  // namespace fw
