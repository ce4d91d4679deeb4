#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

#include "hostkit/x11/robot.h"
#include "platform/x11/popup_menu_x11.h"
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
    return waitFor(milliseconds, [&] { return findPopup(Ready::Keyboard, place); });
  }

  bool waitForFocusedPopup(int milliseconds, DrawRect& place) override {
    return waitFor(milliseconds, [&] { return findPopup(Ready::Focus, place); });
  }

  bool waitForNoPopup(int milliseconds) override {
    DrawRect place;
    return waitFor(milliseconds, [&] { return !findPopup(Ready::Shown, place); });
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

  bool grabInput(bool pointerToo) override {
    Session session(connection_);
    const Window root = DefaultRootWindow(display_);
    const bool pointer =
        !pointerToo || XGrabPointer(display_, root, False, ButtonPressMask | ButtonReleaseMask, GrabModeAsync,
                                    GrabModeAsync, None, None, CurrentTime) == GrabSuccess;
    const bool keyboard =
        XGrabKeyboard(display_, root, False, GrabModeAsync, GrabModeAsync, CurrentTime) == GrabSuccess;
    holdsKeyboard_ = keyboard;
    return session.sync() && pointer && keyboard;
  }

  bool releaseInput() override {
    Session session(connection_);
    XUngrabPointer(display_, CurrentTime);
    XUngrabKeyboard(display_, CurrentTime);
    holdsKeyboard_ = false;
    return session.sync();
  }

  bool focus(void* window) override {
    Session session(connection_);
    XSetInputFocus(display_, static_cast<Window>(reinterpret_cast<std::uintptr_t>(window)), RevertToPointerRoot,
                   CurrentTime);
    return session.sync();
  }

  void* focusHolder() override {
    Session session(connection_);
    Window focus = None;
    int revert = 0;
    XGetInputFocus(display_, &focus, &revert);
    return reinterpret_cast<void*>(static_cast<std::uintptr_t>(focus));
  }

  bool unmap(void* window) override {
    Session session(connection_);
    XUnmapWindow(display_, static_cast<Window>(reinterpret_cast<std::uintptr_t>(window)));
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
  enum class Ready { Shown, Keyboard, Focus };

  template <class Test>
  static bool waitFor(int milliseconds, Test test) {
    const auto end = SteadyClock::now() + std::chrono::milliseconds(milliseconds);
    do {
      if (test()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    } while (SteadyClock::now() < end);
    return false;
  }

  // The topmost mapped pop-up and whether it is as ready as asked.
  bool findPopup(Ready ready, DrawRect& place) {
    Session session(connection_);
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count)) return false;
    std::vector<Window> popups;
    for (unsigned i = count; i-- > 0;) {
      XWindowAttributes attributes;
      if (!XGetWindowAttributes(display_, children[i], &attributes)) continue;
      if (!attributes.override_redirect || attributes.map_state != IsViewable) continue;
      if (popups.empty())
        place = DrawRect{attributes.x, attributes.y, attributes.x + attributes.width, attributes.y + attributes.height};
      popups.push_back(children[i]);
    }
    if (children) XFree(children);
    if (popups.empty()) return false;
    if (ready == Ready::Shown) return true;
    // A menu that could not grab the keyboard gave one of its panels the focus.
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display_, &focus, &revert);
    for (Window popup : popups)
      if (popup == focus) return true;
    if (ready == Ready::Focus || holdsKeyboard_) return false;
    // Otherwise ready once the menu holds the keyboard: input sent before its
    // grab would go to whatever had the focus. Our grab fails while it holds
    // it; one that succeeds is given back at once (the menu tries its own
    // for a while, so this never leaves it without).
    if (XGrabKeyboard(display_, DefaultRootWindow(display_), False, GrabModeAsync, GrabModeAsync, CurrentTime) !=
        GrabSuccess)
      return true;
    XUngrabKeyboard(display_, CurrentTime);
    return false;
  }

  std::shared_ptr<Connection> connection_;
  Display* display_;
  bool holdsKeyboard_ = false;  // our own grab: a probe would take it back
};

// After its deadline, how long the watchdog waits for the test to go on
// before it ends the program: a modal loop it could not end must not hold
// the test run until the harness's own time-out.
constexpr auto kLastResort = std::chrono::seconds(5);
constexpr auto kCancelPeriod = std::chrono::milliseconds(20);

}  // namespace

struct PopupWatchdog::State {
  std::mutex lock;
  std::condition_variable wake;
  bool expired = false;
  bool stopped = false;
  bool fired = false;
  std::thread thread;
};

PopupWatchdog::PopupWatchdog(int milliseconds) : state_(std::make_unique<State>()) {
  State& s = *state_;
  const auto deadline = SteadyClock::now() + std::chrono::milliseconds(milliseconds);
  s.thread = std::thread([&s, deadline] {
    std::unique_lock<std::mutex> hold(s.lock);
    s.wake.wait_until(hold, deadline, [&] { return s.stopped || s.expired; });
    if (s.stopped) return;
    s.fired = true;
    const auto giveUp = SteadyClock::now() + kLastResort;
    while (!s.stopped) {
      platform::x11::cancelPopupMenus();
      if (SteadyClock::now() > giveUp) {
        std::fprintf(stderr, "watchdog: a pop-up menu's loop did not end; ending the test program\n");
        std::fflush(stderr);
        std::_Exit(70);
      }
      s.wake.wait_for(hold, kCancelPeriod, [&] { return s.stopped; });
    }
  });
}

PopupWatchdog::~PopupWatchdog() { finish(); }

void PopupWatchdog::expire() {
  std::lock_guard<std::mutex> hold(state_->lock);
  state_->expired = true;
  state_->wake.notify_all();
}

bool PopupWatchdog::finish() {
  {
    std::lock_guard<std::mutex> hold(state_->lock);
    state_->stopped = true;
    state_->wake.notify_all();
  }
  if (state_->thread.joinable()) state_->thread.join();
  return state_->fired;
}

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
