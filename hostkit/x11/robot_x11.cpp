#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <chrono>
#include <cstdint>
#include <thread>

#include "hostkit/x11/robot.h"
#include "platform/x11/x11_support.h"

namespace sorvane::hostkit::x11 {
using namespace sorvane::platform;
using namespace sorvane::platform::x11;
namespace {

using SteadyClock = std::chrono::steady_clock;

class X11Robot final : public Robot {
 public:
  explicit X11Robot(Display* display) : connection_(std::make_shared<Connection>(display)), display_(display) {}

  bool waitForPopup(int milliseconds, DrawRect& place) override {
    const auto end = SteadyClock::now() + std::chrono::milliseconds(milliseconds);
    do {
      if (findPopup(place)) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    } while (SteadyClock::now() < end);
    return false;
  }

  bool waitForNoPopup(int milliseconds) override {
    const auto end = SteadyClock::now() + std::chrono::milliseconds(milliseconds);
    DrawRect place;
    do {
      if (!findPopup(place)) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    } while (SteadyClock::now() < end);
    return false;
  }

  bool key(const char* name) override {
    Session session(connection_);
    const KeySym symbol = XStringToKeysym(name);
    const ::KeyCode code = symbol == NoSymbol ? 0 : XKeysymToKeycode(display_, symbol);
    if (!code) return false;
    XTestFakeKeyEvent(display_, code, True, CurrentTime);
    XTestFakeKeyEvent(display_, code, False, CurrentTime);
    return session.sync();
  }

  bool move(int x, int y) override {
    Session session(connection_);
    XTestFakeMotionEvent(display_, -1, x, y, CurrentTime);
    return session.sync();
  }

  bool click(int x, int y) override {
    Session session(connection_);
    XTestFakeMotionEvent(display_, -1, x, y, CurrentTime);
    XTestFakeButtonEvent(display_, Button1, True, CurrentTime);
    XTestFakeButtonEvent(display_, Button1, False, CurrentTime);
    return session.sync();
  }

  bool sendGrabLeave(void* window) override {
    Session session(connection_);
    XEvent event{};
    event.xcrossing.type = LeaveNotify;
    event.xcrossing.window = static_cast<Window>(reinterpret_cast<std::uintptr_t>(window));
    event.xcrossing.root = DefaultRootWindow(display_);
    event.xcrossing.mode = NotifyGrab;
    event.xcrossing.detail = NotifyAncestor;
    event.xcrossing.state = Button1Mask;
    XSendEvent(display_, event.xcrossing.window, False, LeaveWindowMask, &event);
    return session.sync();
  }

 private:
  bool findPopup(DrawRect& place) {
    Session session(connection_);
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    bool found = false;
    if (!XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count)) return false;
    for (unsigned i = count; i-- > 0 && !found;) {
      XWindowAttributes attributes;
      if (!XGetWindowAttributes(display_, children[i], &attributes)) continue;
      if (!attributes.override_redirect || attributes.map_state != IsViewable) continue;
      place = DrawRect{attributes.x, attributes.y, attributes.x + attributes.width, attributes.y + attributes.height};
      found = true;
    }
    if (children) XFree(children);
    if (!found) return false;
    // Ready only once the menu holds the keyboard: input sent before its
    // grab would go to whatever had the focus.
    if (XGrabKeyboard(display_, DefaultRootWindow(display_), False, GrabModeAsync, GrabModeAsync, CurrentTime) !=
        GrabSuccess)
      return true;
    XUngrabKeyboard(display_, CurrentTime);
    return false;
  }

  std::shared_ptr<Connection> connection_;
  Display* display_;
};

}  // namespace

bool Robot::prepareThreads() { return XInitThreads() != 0; }

std::unique_ptr<Robot> Robot::open() {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return nullptr;
  int event = 0, error = 0, major = 0, minor = 0;
  if (!XTestQueryExtension(display, &event, &error, &major, &minor)) {
    XCloseDisplay(display);
    return nullptr;
  }
  return std::make_unique<X11Robot>(display);
}

}  // namespace sorvane::hostkit::x11
