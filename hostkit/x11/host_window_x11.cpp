// The host's part on X: a top-level window on a connection of its own,
// input through the XTEST extension (so the server itself routes the
// pointer, keys and implicit grabs as it would for a person), pictures read
// back with XGetImage.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <thread>
#include <vector>

#include "hostkit/host_window.h"
#include "platform/x11/x11_support.h"

namespace sorvane::hostkit {
using namespace sorvane::platform;
namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr int kIdlePeriodMilliseconds = 20;
// A server whose last client has just gone resets itself and drops the
// clients that come meanwhile (xvfb-run starts one that does; a plug-in
// that looked for a display and closed its connection again may have been
// that last client): how long to keep trying, and how often.
constexpr auto kConnectPatience = std::chrono::seconds(3);
constexpr auto kConnectRetry = std::chrono::milliseconds(20);

// The host's virtual keys (as effEditKeyDown numbers them) on X key symbols.
KeySym keySymOf(int virtualKey) {
  switch (virtualKey) {
    case 1:
      return XK_BackSpace;
    case 2:
      return XK_Tab;
    case 4:
      return XK_Return;
    case 6:
      return XK_Escape;
    case 7:
      return XK_space;
    case 9:
      return XK_End;
    case 10:
      return XK_Home;
    case 11:
      return XK_Left;
    case 12:
      return XK_Up;
    case 13:
      return XK_Right;
    case 14:
      return XK_Down;
    case 15:
      return XK_Prior;
    case 16:
      return XK_Next;
    case 19:
      return XK_KP_Enter;
    case 21:
      return XK_Insert;
    case 22:
      return XK_Delete;
    default:
      return NoSymbol;
  }
}

// The X button a button word presses: the first of left, middle, right, 4, 5.
unsigned xButtonOf(int buttons) {
  if (buttons & kButtonLeft) return Button1;
  if (buttons & kButtonMiddle) return Button2;
  if (buttons & kButtonRight) return Button3;
  if (buttons & kButton4) return 8;
  if (buttons & kButton5) return 9;
  return 0;
}

Display* openDisplay() {
  const char* name = XDisplayName(nullptr);
  if (!name || !*name) return nullptr;  // no display named: none to wait for
  const auto giveUp = SteadyClock::now() + kConnectPatience;
  while (true) {
    if (Display* display = XOpenDisplay(nullptr)) return display;
    if (SteadyClock::now() >= giveUp) return nullptr;
    std::this_thread::sleep_for(kConnectRetry);
  }
}

class X11HostWindow final : public HostWindow {
 public:
  static std::unique_ptr<X11HostWindow> create(const char* title, int width, int height) {
    Display* display = openDisplay();
    if (!display) {
      std::fprintf(stderr, "host window: cannot open display %s\n", XDisplayName(nullptr));
      return nullptr;
    }
    std::unique_ptr<X11HostWindow> host(new X11HostWindow(std::make_shared<x11::Connection>(display)));
    if (const char* problem = host->build(title, width, height)) {
      std::fprintf(stderr, "host window: %s\n", problem);
      return nullptr;
    }
    return host;
  }

  ~X11HostWindow() override {
    x11::Session session(connection_);
    for (unsigned button : pressedButtons_) XTestFakeButtonEvent(display_, button, False, CurrentTime);
    setModifiers(0);
    if (!destroyed_) XDestroyWindow(display_, window_);
  }

  void* handle() override { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(window_)); }

  void setClientSize(int width, int height) override {
    if (destroyed_ || width <= 0 || height <= 0) return;
    x11::Session session(connection_);
    XResizeWindow(display_, window_, static_cast<unsigned>(width), static_cast<unsigned>(height));
    width_ = width, height_ = height;
  }

  void pump(int milliseconds, void (*idle)(void*), void* context) override {
    const auto end = SteadyClock::now() + std::chrono::milliseconds(milliseconds);
    auto nextIdle = SteadyClock::now();
    while (true) {
      drain();
      const auto now = SteadyClock::now();
      if (idle && now >= nextIdle) {
        idle(context);
        nextIdle = now + std::chrono::milliseconds(kIdlePeriodMilliseconds);
      }
      if (now >= end) break;
      const auto wake = idle ? std::min(end, nextIdle) : end;
      pollfd watch{ConnectionNumber(display_), POLLIN, 0};
      const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(wake - now).count();
      poll(&watch, 1, static_cast<int>(std::max<long long>(wait, 1)));
    }
    drain();
  }

  bool mouseDown(int x, int y, int buttons) override {
    const unsigned button = xButtonOf(buttons);
    if (!button || !pointerTo(x, y, buttons)) return false;
    x11::Session session(connection_);
    XTestFakeButtonEvent(display_, button, True, CurrentTime);
    pressedButtons_.push_back(button);
    return session.sync();
  }

  bool mouseMove(int x, int y, int buttons) override {
    if (!pointerTo(x, y, buttons)) return false;
    return true;
  }

  bool mouseUp(int x, int y, int buttons) override {
    if (!pointerTo(x, y, buttons)) return false;
    x11::Session session(connection_);
    auto held = std::find(pressedButtons_.begin(), pressedButtons_.end(), xButtonOf(buttons));
    if (held == pressedButtons_.end() && !pressedButtons_.empty()) held = std::prev(pressedButtons_.end());
    if (held != pressedButtons_.end()) {
      XTestFakeButtonEvent(display_, *held, False, CurrentTime);
      pressedButtons_.erase(held);
    }
    return session.sync();
  }

  bool wheel(int x, int y, int delta, int modifiers, bool horizontal) override {
    const int notches = delta / kWheelDeltaPerNotch;
    if (notches == 0 || !pointerTo(x, y, modifiers)) return false;
    x11::Session session(connection_);
    // Buttons 4 and 5 turn up and down, 6 and 7 left and right.
    const unsigned button = horizontal ? (notches > 0 ? 7 : 6) : (notches > 0 ? 4 : 5);
    for (int i = 0; i < (notches > 0 ? notches : -notches); ++i) {
      XTestFakeButtonEvent(display_, button, True, CurrentTime);
      XTestFakeButtonEvent(display_, button, False, CurrentTime);
    }
    setModifiers(0);
    return session.sync();
  }

  bool key(int virtualKey) override {
    const KeySym symbol = keySymOf(virtualKey);
    if (symbol == NoSymbol || destroyed_) return false;
    x11::Session session(connection_);
    const ::KeyCode code = XKeysymToKeycode(display_, symbol);
    if (!code) return false;
    XTestFakeKeyEvent(display_, code, True, CurrentTime);
    XTestFakeKeyEvent(display_, code, False, CurrentTime);
    return session.sync();
  }

  bool capture(PixelBuffer& into) override {
    if (destroyed_) return false;
    x11::Session session(connection_);
    XImage* image = XGetImage(display_, window_, 0, 0, static_cast<unsigned>(width_), static_cast<unsigned>(height_),
                              AllPlanes, ZPixmap);
    if (!image) return false;
    x11::readImage(*image, into);
    XDestroyImage(image);
    return session.sync();
  }

  int childWindowCount() override {
    if (destroyed_) return 0;
    x11::Session session(connection_);
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display_, window_, &root, &parent, &children, &count)) return 0;
    if (children) XFree(children);
    return static_cast<int>(count);
  }

  int wheelEventsReceived(bool horizontal) override {
    drain();
    return horizontal ? sidewaysWheelEvents_ : wheelEvents_;
  }

  void destroyNow() override {
    if (destroyed_) return;
    x11::Session session(connection_);
    XDestroyWindow(display_, window_);
    XSync(display_, False);
    destroyed_ = true;
  }

 private:
  explicit X11HostWindow(std::shared_ptr<x11::Connection> connection)
      : connection_(std::move(connection)), display_(connection_->display()) {}

  // Null when the window is up, otherwise what went wrong.
  const char* build(const char* title, int width, int height) {
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(display_, &event, &error, &major, &minor)) return "the server has no XTEST extension";
    x11::Session session(connection_);
    const int screen = DefaultScreen(display_);
    root_ = RootWindow(display_, screen);
    width_ = width > 0 ? width : 1;
    height_ = height > 0 ? height : 1;
    window_ = XCreateSimpleWindow(display_, root_, 0, 0, static_cast<unsigned>(width_), static_cast<unsigned>(height_),
                                  0, BlackPixel(display_, screen), BlackPixel(display_, screen));
    XStoreName(display_, window_, title ? title : "");
    XSelectInput(display_, window_,
                 ExposureMask | StructureNotifyMask | ButtonPressMask | ButtonReleaseMask | KeyPressMask);
    XMapRaised(display_, window_);
    if (!session.sync()) return "the server refused the window";
    // Input only reaches a window that is on the screen.
    const auto deadline = SteadyClock::now() + std::chrono::seconds(5);
    while (!mapped_ && SteadyClock::now() < deadline) {
      drain();
      pollfd watch{ConnectionNumber(display_), POLLIN, 0};
      if (!mapped_) poll(&watch, 1, 10);
    }
    return mapped_ ? nullptr : "the window did not show within 5 s";
  }

  void drain() {
    x11::Session session(connection_);
    while (XPending(display_) > 0) {
      XEvent event;
      XNextEvent(display_, &event);
      if (event.xany.window != window_) continue;
      if (event.type == MapNotify) mapped_ = true;
      if (event.type != ButtonPress) continue;
      if (event.xbutton.button == 4 || event.xbutton.button == 5) ++wheelEvents_;
      if (event.xbutton.button == 6 || event.xbutton.button == 7) ++sidewaysWheelEvents_;
    }
  }

  // Holds exactly the modifier keys of the button word.
  void setModifiers(int buttons) {
    struct Modifier {
      int bit;
      KeySym symbol;
    };
    for (const Modifier& m : {Modifier{kModifierShift, XK_Shift_L}, Modifier{kModifierControl, XK_Control_L},
                              Modifier{kModifierAlt, XK_Alt_L}}) {
      const bool want = (buttons & m.bit) != 0, held = (heldModifiers_ & m.bit) != 0;
      if (want == held) continue;
      const ::KeyCode code = XKeysymToKeycode(display_, m.symbol);
      if (code) XTestFakeKeyEvent(display_, code, want ? True : False, CurrentTime);
      heldModifiers_ ^= m.bit;
    }
  }

  bool pointerTo(int x, int y, int buttons) {
    if (destroyed_) return false;
    x11::Session session(connection_);
    setModifiers(buttons);
    int rootX = 0, rootY = 0;
    Window child = 0;
    XTranslateCoordinates(display_, window_, root_, x, y, &rootX, &rootY, &child);
    XTestFakeMotionEvent(display_, -1, rootX, rootY, CurrentTime);
    return session.sync();
  }

  std::shared_ptr<x11::Connection> connection_;
  Display* display_;
  Window root_ = 0;
  Window window_ = 0;
  int width_ = 0, height_ = 0;
  bool mapped_ = false;
  bool destroyed_ = false;
  std::vector<unsigned> pressedButtons_;  // in the order they went down
  int heldModifiers_ = 0;
  int wheelEvents_ = 0;
  int sidewaysWheelEvents_ = 0;
};

}  // namespace

std::unique_ptr<HostWindow> createHostWindow(const char* title, int width, int height) {
  return X11HostWindow::create(title, width, height);
}

int becomePerMonitorDpiAware() { return 0; }

}  // namespace sorvane::hostkit
