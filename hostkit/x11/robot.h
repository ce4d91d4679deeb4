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
  // menu) that holds the keyboard, waiting up to milliseconds for one.
  virtual bool waitForPopup(int milliseconds, platform::DrawRect& place) = 0;
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
};

}  // namespace sorvane::hostkit::x11
