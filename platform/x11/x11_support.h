// What the X11 window, its pop-up menus and the test host share: a
// temporary error handler, and a picture the software back end draws in
// that goes onto a window through shared memory or XPutImage.
#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

#include <memory>

#include "platform/draw.h"

namespace sorvane::platform::x11 {

// Xlib's default error handler ends the process, and the handler is one per
// process: a host that destroyed its window under us must not die of our
// requests on it. While a trap lives, errors on its display are counted
// here; errors on other displays (the host's own) go to the handler that
// was in place. Traps nest per thread; our handler stays installed while
// any thread has a trap and the one before it comes back after the last.
class ErrorTrap {
 public:
  explicit ErrorTrap(Display* display);
  ~ErrorTrap();
  ErrorTrap(const ErrorTrap&) = delete;
  ErrorTrap& operator=(const ErrorTrap&) = delete;

  // Waits until the server has handled every request so far; true when
  // none of them failed since the trap was set (or the last check).
  bool sync();
  int errors() const { return errors_; }
  // The display was closed under the trap: no final round trip.
  void displayClosed() { display_ = nullptr; }

 private:
  static int handle(Display* display, XErrorEvent* error);

  Display* display_;
  ErrorTrap* outer_;
  int errors_ = 0;
};

// A display connection shared by a window and whatever is using it at the
// moment: closed when the last holder lets go, so a window destroyed from
// inside one of its own events leaves the connection open until the event
// loop that delivered it is done.
class Connection {
 public:
  explicit Connection(Display* display) : display_(display) {}
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  Display* display() const { return display_; }

 private:
  Display* display_;
};

// A stretch of work on a connection: holds it open and traps its errors.
class Session {
 public:
  explicit Session(std::shared_ptr<Connection> connection)
      : connection_(std::move(connection)), trap_(connection_->display()) {}
  bool sync() { return trap_.sync(); }

 private:
  std::shared_ptr<Connection> connection_;  // outlives the trap
  ErrorTrap trap_;
};

// A window-sized picture in the server's pixel layout where that is the
// software back end's (32-bit, blue-green-red in memory), else converted on
// the way out. Shared memory where the server offers it and accepts ours.
class Surface {
 public:
  // Null when no image of the visual can be made.
  static std::unique_ptr<Surface> create(Display* display, Visual* visual, int depth, int width, int height);
  // Tests: after the next `successes` creations, one creation fails as a
  // refused allocation would (-1: none fails). Any thread.
  static void refuseCreationAfter(int successes);
  ~Surface();
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  PixelBuffer& pixels() { return *pixels_; }
  // Puts part of the picture on the drawable at the same place. With shared
  // memory the caller must sync before the picture is drawn in again.
  void present(Drawable drawable, GC gc, const DrawRect& area);
  bool sharedMemory() const { return shared_; }
  // Bytes this surface holds (picture plus a converted copy, if any).
  size_t bytes() const;

 private:
  Surface() = default;

  Display* display_ = nullptr;
  XImage* image_ = nullptr;
  XShmSegmentInfo segment_{};
  bool shared_ = false;
  bool direct_ = false;  // the image memory is the picture itself
  std::unique_ptr<PixelBuffer> pixels_;
};

// Turns a server image of a true-colour visual into a BGRA picture with
// opaque alpha, as big as both allow.
void readImage(XImage& image, PixelBuffer& into);

}  // namespace sorvane::platform::x11
