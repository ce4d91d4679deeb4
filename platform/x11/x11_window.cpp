#include "platform/x11/x11_window.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/system_scale.h"

namespace sorvane::platform::x11 {
namespace {

constexpr long kEventMask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | EnterWindowMask |
                            LeaveWindowMask | StructureNotifyMask | FocusChangeMask;
// Keys only while the window holds the focus for them: a pop-up menu of ours
// grabs the keyboard for our connection, and would otherwise lose its keys to
// this window whenever the pointer is over it.
constexpr long kKeyEventMask = KeyPressMask | KeyReleaseMask;

std::vector<X11Window*>& liveWindows() {
  static std::vector<X11Window*> windows;
  return windows;
}

DrawRect unite(const DrawRect& a, const DrawRect& b) {
  if (a.empty()) return b;
  if (b.empty()) return a;
  return DrawRect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                  std::max(a.bottom, b.bottom)};
}

// The button word's bit for an X button (wheel buttons excluded), or 0.
std::int32_t buttonBit(unsigned button) {
  switch (button) {
    case Button1:
      return kButtonLeft;
    case Button2:
      return kButtonMiddle;
    case Button3:
      return kButtonRight;
    case 8:
      return kButton4;
    case 9:
      return kButton5;
    default:
      return 0;
  }
}

std::int32_t modifiers(unsigned state) {
  return ((state & ShiftMask) ? kModifierShift : 0) | ((state & ControlMask) ? kModifierControl : 0) |
         ((state & Mod1Mask) ? kModifierAlt : 0);
}

// Buttons 1 to 3 as the server reports them held.
std::int32_t heldButtons(unsigned state) {
  return ((state & Button1Mask) ? kButtonLeft : 0) | ((state & Button2Mask) ? kButtonMiddle : 0) |
         ((state & Button3Mask) ? kButtonRight : 0);
}

// The host's virtual key (as effEditKeyDown numbers them) of a key symbol, or 0.
std::uint8_t virtualKeyOf(KeySym symbol) {
  switch (symbol) {
    case XK_BackSpace:
      return 1;
    case XK_Tab:
    case XK_ISO_Left_Tab:
      return 2;
    case XK_Return:
      return 4;
    case XK_Escape:
      return 6;
    case XK_End:
    case XK_KP_End:
      return 9;
    case XK_Home:
    case XK_KP_Home:
      return 10;
    case XK_Left:
    case XK_KP_Left:
      return 11;
    case XK_Up:
    case XK_KP_Up:
      return 12;
    case XK_Right:
    case XK_KP_Right:
      return 13;
    case XK_Down:
    case XK_KP_Down:
      return 14;
    case XK_KP_Enter:
      return 19;
    case XK_Delete:
    case XK_KP_Delete:
      return 22;
    default:
      return 0;
  }
}

std::uint8_t keyModifiers(unsigned state) {
  return static_cast<std::uint8_t>(((state & ShiftMask) ? kKeyShift : 0) | ((state & Mod1Mask) ? kKeyAlternate : 0) |
                                   ((state & ControlMask) ? kKeyControl : 0));
}

WindowEvent pointerEvent(WindowEventType type, int x, int y, std::int32_t buttons) {
  WindowEvent e;
  e.type = type;
  e.x = x, e.y = y, e.buttons = buttons;
  return e;
}

}  // namespace

X11Window::X11Window(std::shared_ptr<Connection> connection, Window parent, WindowClient& client)
    : connection_(std::move(connection)), display_(connection_->display()), parent_(parent), client_(&client) {}

std::unique_ptr<X11Window> X11Window::create(Window parent, int width, int height, WindowClient& client) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return nullptr;
  std::unique_ptr<X11Window> window(new X11Window(std::make_shared<Connection>(display), parent, client));
  if (!window->build(std::max(width, 1), std::max(height, 1))) return nullptr;
  liveWindows().push_back(window.get());
  return window;
}

bool X11Window::build(int width, int height) {
  Session session(connection_);
  XWindowAttributes parentAttributes;
  if (!XGetWindowAttributes(display_, parent_, &parentAttributes) || !session.sync()) return false;
  // Pixels are computed from colour masks: no colour-map look-ups.
  if (parentAttributes.visual->c_class != TrueColor) return false;
  root_ = parentAttributes.root;

  XSetWindowAttributes attributes{};
  attributes.background_pixmap = None;  // the picture covers it all: no flash of background
  attributes.border_pixel = 0;
  attributes.colormap = parentAttributes.colormap;
  if (attributes.colormap == None)
    attributes.colormap = colormap_ = XCreateColormap(display_, root_, parentAttributes.visual, AllocNone);
  attributes.event_mask = kEventMask;
  window_ = XCreateWindow(display_, parent_, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height), 0,
                          parentAttributes.depth, InputOutput, parentAttributes.visual,
                          CWBackPixmap | CWBorderPixel | CWColormap | CWEventMask, &attributes);
  gc_ = XCreateGC(display_, window_, 0, nullptr);
  if (!session.sync()) return false;
  visual_ = parentAttributes.visual;
  depth_ = parentAttributes.depth;
  surface_ = Surface::create(display_, visual_, depth_, width, height);
  if (!surface_) return false;
  XMapWindow(display_, window_);
  if (!session.sync()) return false;
  pending_ = DrawRect{0, 0, width, height};
  return true;
}

X11Window::~X11Window() {
  *alive_ = false;
  if (keyboardHeld_) holdKeyboardFocus(false);
  auto& live = liveWindows();
  live.erase(std::remove(live.begin(), live.end(), this), live.end());
  // The parent may be gone already (and our window with it): what fails here
  // is counted by the trap, never reported to the host's handler.
  Session session(connection_);
  surface_.reset();
  if (gc_) XFreeGC(display_, gc_);
  if (window_ && !destroyed_) XDestroyWindow(display_, window_);
  if (colormap_) XFreeColormap(display_, colormap_);
}

X11Window* X11Window::fromHandle(void* handle) {
  for (X11Window* window : liveWindows())
    if (window->systemHandle() == handle) return window;
  return nullptr;
}

void* X11Window::systemHandle() { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(window_)); }

void X11Window::invalidate(const DrawRect& area) {
  const DrawRect bounds{0, 0, surface_->pixels().width(), surface_->pixels().height()};
  pending_ = unite(pending_, area.intersect(bounds));
}

bool X11Window::resize(int width, int height) {
  if (destroyed_) return false;
  width = std::max(width, 1);
  height = std::max(height, 1);
  Session session(connection_);
  auto surface = Surface::create(display_, visual_, depth_, width, height);
  if (!surface) return false;
  // The server may still read the old picture: done with it before it goes.
  session.sync();
  surface_ = std::move(surface);
  XResizeWindow(display_, window_, static_cast<unsigned>(width), static_cast<unsigned>(height));
  pending_ = DrawRect{0, 0, width, height};
  session.sync();
  return true;
}

void X11Window::update() {
  if (destroyed_ || !client_ || pending_.empty()) return;
  const DrawRect area = pending_;
  pending_ = DrawRect{};
  const std::shared_ptr<bool> alive = alive_;
  Session session(connection_);
  auto device = createSoftwareDevice(surface_->pixels());
  device->setClip(area);
  WindowEvent event;
  event.type = WindowEventType::Paint;
  event.area = area;
  event.device = device.get();
  client_->handleWindowEvent(event);
  if (!*alive) return;
  surface_->present(window_, gc_, area);
  // With shared memory the server reads our picture: it must be done
  // before the next paint writes into it.
  session.sync();
}

void X11Window::pumpEvents() {
  if (pumping_ || destroyed_) return;
  const std::shared_ptr<bool> alive = alive_;
  Session session(connection_);
  pumping_ = true;
  while (XPending(display_) > 0) {
    XEvent event;
    XNextEvent(display_, &event);
    // Left-overs of closed pop-up menus share the connection.
    if (event.xany.window != window_) continue;
    handle(event);
    if (!*alive) return;
    if (destroyed_) break;
  }
  pumping_ = false;
}

void X11Window::screenOrigin(int& x, int& y) {
  x = y = 0;
  if (destroyed_) return;
  Session session(connection_);
  Window child = 0;
  XTranslateCoordinates(display_, window_, root_, 0, 0, &x, &y, &child);
}

WindowEventResult X11Window::send(const WindowEvent& event) {
  if (!client_) return {};
  return client_->handleWindowEvent(event);
}

void X11Window::handle(XEvent& event) {
  switch (event.type) {
    case Expose:
      invalidate(DrawRect{event.xexpose.x, event.xexpose.y, event.xexpose.x + event.xexpose.width,
                          event.xexpose.y + event.xexpose.height});
      break;
    case ButtonPress:
      buttonPressed(event.xbutton);
      break;
    case ButtonRelease:
      buttonReleased(event.xbutton);
      break;
    case MotionNotify: {
      const XMotionEvent& m = event.xmotion;
      send(pointerEvent(WindowEventType::MouseMove, m.x, m.y,
                        heldButtons(m.state) | (pressed_ & (kButton4 | kButton5)) | modifiers(m.state)));
      break;
    }
    case EnterNotify:
    case LeaveNotify:
      crossed(event.xcrossing);
      break;
    case FocusOut:
      // Another client's grab took the keyboard during our press.
      if (pressed_ && event.xfocus.mode == NotifyGrab) {
        const std::shared_ptr<bool> alive = alive_;
        captureLost();
        if (!*alive) return;
      }
      focusLeft(event.xfocus);
      break;
    case KeyPress:
    case KeyRelease:
      keyEvent(event.xkey);
      break;
    case DestroyNotify:
      if (event.xdestroywindow.window == window_) gone();
      break;
    default:
      break;
  }
}

void X11Window::buttonPressed(const XButtonEvent& event) {
  if (event.button >= 4 && event.button <= 7) {
    // One wheel notch per press: 4 up, 5 down, 6 left, 7 right.
    WindowEvent wheel = pointerEvent(WindowEventType::Wheel, event.x, event.y, modifiers(event.state));
    wheel.horizontal = event.button >= 6;
    wheel.wheelDelta = (event.button == 4 || event.button == 7) ? kWheelDeltaPerNotch : -kWheelDeltaPerNotch;
    const std::shared_ptr<bool> alive = alive_;
    const WindowEventResult result = send(wheel);
    if (*alive && !result.consumed) passWheelToParent(event);
    return;
  }
  const std::int32_t bit = buttonBit(event.button);
  if (!bit) return;
  const bool twice = event.button == lastButton_ && !lastWasDouble_ &&
                     event.time - lastPressTime_ <= static_cast<Time>(kDoubleClickMilliseconds) &&
                     std::abs(event.x - lastPressX_) <= kDoubleClickDistance &&
                     std::abs(event.y - lastPressY_) <= kDoubleClickDistance;
  lastButton_ = event.button;
  lastPressTime_ = event.time;
  lastPressX_ = event.x, lastPressY_ = event.y;
  lastWasDouble_ = twice;
  pressed_ |= bit;
  const std::int32_t buttons = heldButtons(event.state) | (pressed_ & (kButton4 | kButton5)) | bit |
                               modifiers(event.state) | (twice ? kDoubleClick : 0);
  const std::shared_ptr<bool> alive = alive_;
  const WindowEventResult result = send(pointerEvent(WindowEventType::MouseDown, event.x, event.y, buttons));
  if (*alive) captured_ = result.captureMouse;
}

void X11Window::buttonReleased(const XButtonEvent& event) {
  const std::int32_t bit = buttonBit(event.button);
  // The press went elsewhere (it closed a pop-up menu), or a lost capture
  // ended it already.
  if (!(pressed_ & bit)) return;
  pressed_ &= ~bit;
  const std::int32_t buttons =
      ((heldButtons(event.state) | (pressed_ & (kButton4 | kButton5))) & ~bit) | modifiers(event.state);
  const std::shared_ptr<bool> alive = alive_;
  send(pointerEvent(WindowEventType::MouseUp, event.x, event.y, buttons));
  if (!*alive || pressed_) return;
  captured_ = false;
  // A leave during the press was held back until the pointer was free.
  const PixelBuffer& pixels = surface_->pixels();
  const bool outside = event.x < 0 || event.y < 0 || event.x >= pixels.width() || event.y >= pixels.height();
  if (outside && leaveArmed_) {
    leaveArmed_ = false;
    send(pointerEvent(WindowEventType::MouseLeave, 0, 0, 0));
  }
}

void X11Window::crossed(const XCrossingEvent& event) {
  if (event.type == EnterNotify) {
    if (event.mode != NotifyGrab)
      send(pointerEvent(WindowEventType::MouseMove, event.x, event.y,
                        heldButtons(event.state) | modifiers(event.state)));
    return;
  }
  if (pressed_) {
    // During a press the pointer belongs to us; only a grab taking it ends the press.
    if (event.mode == NotifyGrab || event.mode == NotifyUngrab) {
      const std::shared_ptr<bool> alive = alive_;
      captureLost();
      if (!*alive) return;
    } else {
      return;
    }
  }
  if (!leaveArmed_) return;
  leaveArmed_ = false;
  send(pointerEvent(WindowEventType::MouseLeave, 0, 0, 0));
}

void X11Window::holdKeyboardFocus(bool hold) {
  if (destroyed_) {
    keyboardHeld_ = false;
    return;
  }
  Session session(connection_);
  if (hold) {
    Window focus = None;
    int revert = RevertToParent;
    XGetInputFocus(display_, &focus, &revert);
    if (!keyboardHeld_ && focus != window_) {
      previousFocus_ = focus;
      previousRevert_ = revert;
    }
    holdSerial_ = NextRequest(display_);
    XSelectInput(display_, window_, kEventMask | kKeyEventMask);
    XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
    keyboardHeld_ = true;
    session.sync();
    return;
  }
  if (!keyboardHeld_) return;
  keyboardHeld_ = false;
  XSelectInput(display_, window_, kEventMask);
  Window focus = None;
  int revert = RevertToParent;
  XGetInputFocus(display_, &focus, &revert);
  // Only what we still hold goes back: a focus moved on since stays where it is.
  if (focus == window_) XSetInputFocus(display_, previousFocus_, previousRevert_, CurrentTime);
  previousFocus_ = None;
  session.sync();
}

void X11Window::focusLeft(const XFocusChangeEvent& event) {
  // Moves inside our window, the pointer's share of the focus (the window
  // under the pointer gets and loses it as the focus moves past its
  // ancestors, our own taking of it included), and reports older than our
  // taking it are no loss.
  if (!keyboardHeld_ || event.detail == NotifyInferior || event.detail == NotifyPointer || event.serial < holdSerial_)
    return;
  if (event.mode != NotifyNormal && event.mode != NotifyWhileGrabbed) return;
  keyboardHeld_ = false;
  previousFocus_ = None;
  XSelectInput(display_, window_, kEventMask);  // inside the pump's session
  WindowEvent lost;
  lost.type = WindowEventType::KeyboardLost;
  send(lost);
}

void X11Window::keyEvent(XKeyEvent& event) {
  char text[8] = {};
  KeySym symbol = NoSymbol;
  const int length = XLookupString(&event, text, sizeof text, &symbol, nullptr);
  WindowEvent key;
  key.type = event.type == KeyPress ? WindowEventType::KeyDown : WindowEventType::KeyUp;
  key.key.modifier = keyModifiers(event.state);
  key.key.virt = virtualKeyOf(symbol);
  if (key.key.virt == 0) {
    // With Control the server gives a control code: the letter is the symbol's.
    if ((event.state & ControlMask) && symbol >= XK_a && symbol <= XK_z)
      key.key.character = static_cast<std::int32_t>(symbol);
    else if (length == 1 && static_cast<unsigned char>(text[0]) >= 0x20)
      key.key.character = static_cast<unsigned char>(text[0]);
    else
      return;  // a modifier alone, or a key we have no use for
  }
  send(key);
}

void X11Window::passWheelToParent(const XButtonEvent& event) {
  // Unused wheel turns scroll the host, as a child window's would elsewhere.
  XEvent copy{};
  copy.xbutton = event;
  copy.xbutton.window = parent_;
  copy.xbutton.subwindow = window_;
  copy.xbutton.send_event = True;
  XSendEvent(display_, parent_, True, ButtonPressMask, &copy);
  copy.xbutton.type = ButtonRelease;
  if (event.button == 4) copy.xbutton.state |= Button4Mask;
  if (event.button == 5) copy.xbutton.state |= Button5Mask;
  XSendEvent(display_, parent_, True, ButtonReleaseMask, &copy);
  XFlush(display_);
}

void X11Window::captureLost() {
  pressed_ = 0;
  captured_ = false;
  send(pointerEvent(WindowEventType::CaptureLost, 0, 0, 0));
}

void X11Window::gone() {
  destroyed_ = true;
  keyboardHeld_ = false;
  pressed_ = 0;
  captured_ = false;
  WindowEvent event;
  event.type = WindowEventType::Destroy;
  send(event);
}

std::unique_ptr<NativeWindow> X11WindowSystem::createChildWindow(void* parent, int width, int height,
                                                                 WindowClient& client) {
  if (parent == nullptr || width < 0 || height < 0) return nullptr;
  return X11Window::create(static_cast<Window>(reinterpret_cast<std::uintptr_t>(parent)), width, height, client);
}

int X11WindowSystem::systemScale(void* parent) {
  int percent = 0;
  if (Display* display = XOpenDisplay(nullptr)) {
    auto connection = std::make_shared<Connection>(display);
    Session session(connection);
    Window root = DefaultRootWindow(display);
    if (parent) {
      XWindowAttributes attributes{};
      if (XGetWindowAttributes(display, static_cast<Window>(reinterpret_cast<std::uintptr_t>(parent)), &attributes) &&
          attributes.root)
        root = attributes.root;
    }
    session.sync();
    const Atom property = XInternAtom(display, "RESOURCE_MANAGER", True);
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    // The resources are a few kilobytes; 64 k of them is plenty.
    if (property != None &&
        XGetWindowProperty(display, root, property, 0, 16384, False, XA_STRING, &type, &format, &items, &after,
                           &data) == Success &&
        data && type == XA_STRING && format == 8)
      percent = scaleFromXResources(std::string(reinterpret_cast<const char*>(data), items));
    if (data) XFree(data);
  }
  if (percent == 0) percent = scaleFromGdkScale(std::getenv("GDK_SCALE"));
  return percent;
}

X11WindowSystem& x11WindowSystem() {
  static X11WindowSystem system;
  return system;
}

bool displayReachable() {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return false;
  XCloseDisplay(display);
  return true;
}

}  // namespace sorvane::platform::x11
