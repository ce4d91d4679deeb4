// A top-level window of the system's own kind that plays the host's part:
// sorvane-host's editor command and the window tests open a plug-in's editor
// into it, drive it with the system's own input events and read back what
// the system shows. Not used by the plug-ins.
#pragma once

#include <memory>
#include <string>

#include "platform/draw.h"
#include "platform/window.h"

namespace sorvane::hostkit {

class HostWindow {
 public:
  virtual ~HostWindow() = default;
  // What effEditOpen takes: the HWND, or the X window id cast to a pointer.
  virtual void* handle() = 0;
  // Makes the client area width × height (as a host does after effEditGetRect).
  virtual void setClientSize(int width, int height) = 0;
  // Delivers the system's pending events for about this long, calling idle
  // (the host's effEditIdle) every 20 ms or so.
  virtual void pump(int milliseconds, void (*idle)(void*) = nullptr, void* context = nullptr) = 0;

  // Input as the system delivers it to whatever window lies at x, y of the
  // client area (the editor's child window there): buttons in the mouse-
  // button word (kButtonLeft, kModifierShift, ...), wheel in system units
  // (up, or right for a sideways turn such as a touchpad's swipe, positive).
  // mouseDown presses the first button the word names; a button pressed
  // before stays held until a mouseUp names it (or names none while it is
  // the last one pressed).
  virtual bool mouseDown(int x, int y, int buttons) = 0;
  virtual bool mouseMove(int x, int y, int buttons) = 0;
  virtual bool mouseUp(int x, int y, int buttons) = 0;
  virtual bool wheel(int x, int y, int delta, int modifiers, bool horizontal = false) = 0;
  // One key press and release to the window with the keyboard focus.
  virtual bool key(int virtualKey) = 0;

  // The client area as the system shows it now.
  virtual bool capture(platform::PixelBuffer& into) = 0;
  // Child windows of the client area still alive.
  virtual int childWindowCount() = 0;
  // Wheel events of one direction that reached this window itself (not
  // used by a child).
  virtual int wheelEventsReceived(bool horizontal = false) = 0;
  // Destroys the system window now (as a host that closes its window before
  // effEditClose would); the object stays for the test to finish with.
  virtual void destroyNow() = 0;
};

// Null when the system has no display to put a window on.
std::unique_ptr<HostWindow> createHostWindow(const char* title, int width, int height);

// Makes the windows this thread creates from now on aware of each screen's
// DPI, as current hosts' are: the system then reports their real DPI
// instead of 96. Windows' per-monitor mode version 2 where the system has
// it, else version 1 (Wine 8 knows only that one); answers the version
// taken, 0 where there is none (before Windows 10 1607, and on X11, where
// every window sees the desktop's setting).
int becomePerMonitorDpiAware();

}  // namespace sorvane::hostkit
