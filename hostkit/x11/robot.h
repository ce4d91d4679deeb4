// A test's second hand on the X display: a connection of its own, usable
// from a helper thread while the test's own thread is inside a modal loop
// (a pop-up menu). It finds pop-up windows and sends input anywhere on the
// screen through the server, as a person's devices would.
#pragma once

#include <memory>

#include "platform/draw.h"

namespace sorvane::hostkit::x11 {

class Robot {
 public:
  // Makes Xlib safe for threads with one connection each; call before any
  // other X call of the process (a test program's static initialiser).
  static bool prepareThreads();
  // Null without a display.
  static std::unique_ptr<Robot> open();
  virtual ~Robot() = default;

  // The screen rectangle of a mapped override-redirect window (a pop-up
  // menu) that holds the keyboard (a grab, or the input focus), waiting up
  // to milliseconds for one.
  virtual bool waitForPopup(int milliseconds, platform::DrawRect& place) = 0;
  // The same for a pop-up that has the input focus (one that could not
  // grab the keyboard).
  virtual bool waitForFocusedPopup(int milliseconds, platform::DrawRect& place) = 0;
  // Waits up to milliseconds for every pop-up to go; false if one stays.
  virtual bool waitForNoPopup(int milliseconds) = 0;
  // Presses and releases the key of an X key-symbol name ("Down", "Return", "Escape").
  virtual bool key(const char* name) = 0;
  // Moves the pointer to a screen point.
  virtual bool move(int x, int y) = 0;
  // A left click at a screen point.
  virtual bool click(int x, int y) = 0;
  // Tells a window (a system handle) that another client's grab took the
  // pointer while a button is held, as the server would.
  virtual bool sendGrabLeave(void* window) = 0;
  // Takes the keyboard, and the pointer too unless told not to (as another
  // program's menu would), so that no one else can grab them; release gives
  // them back.
  virtual bool grabInput(bool pointerToo = true) = 0;
  virtual bool releaseInput() = 0;
  // Gives the input focus to a window (as a window manager does on a click).
  virtual bool focus(void* window) = 0;
  // The window that has the input focus now (as a handle; None is null).
  virtual void* focusHolder() = 0;
  // Hides a window (as a host hides its plug-in window).
  virtual bool unmap(void* window) = 0;
};

// Ends the process's X pop-up menus when a test's modal step has not ended
// in time: from its deadline (or expire) until finish it cancels every
// pop-up menu that is open or opens, so a menu that nobody can work fails
// the test instead of blocking it. If the test does not come back within a
// few seconds more, it ends the program.
class PopupWatchdog {
 public:
  explicit PopupWatchdog(int milliseconds);
  ~PopupWatchdog();
  PopupWatchdog(const PopupWatchdog&) = delete;
  PopupWatchdog& operator=(const PopupWatchdog&) = delete;

  // The deadline is now (the test's helper saw the step fail).
  void expire();
  // Stops the watchdog; true when it had to cancel menus.
  bool finish();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace sorvane::hostkit::x11
