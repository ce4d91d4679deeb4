// Pop-up menus on X: one override-redirect window per open panel, the
// pointer and keyboard grabbed, a modal loop that feeds the platform-neutral
// tracker until it has an outcome. The menu shares the owner window's
// connection: the press that opened it still holds the pointer's implicit
// grab, which only the same client may take over. Events of the owner that
// arrive meanwhile are put back for its next pump.
//
// Another client may hold a grab we cannot take. The menu then works
// without it: the keys come through the input focus, which it takes, and
// it closes on what it can still see (a press on its owner, the focus taken
// away, the owner destroyed or hidden). The loop never waits for the server
// longer than a moment, so it also notices a cancel from another thread.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <poll.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <memory>
#include <vector>

#include "platform/menu/menu_model.h"
#include "platform/x11/popup_menu_x11.h"
#include "platform/x11/x11_support.h"
#include "platform/x11/x11_window.h"

namespace sorvane::platform::x11 {
namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr long kMenuEventMask =
    ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask | FocusChangeMask;
// How long to wait for another client's grab to end before doing without it.
constexpr int kGrabAttempts = 50;
constexpr int kGrabRetryMicroseconds = 10000;
// How long the loop waits for the server before it looks for a cancel and
// at its owner's state.
constexpr int kWatchMilliseconds = 50;

// Counts cancelPopupMenus calls; a loop ends when it changes.
std::atomic<unsigned> cancellations{0};

struct PanelWindow {
  Window window = 0;
  GC gc = nullptr;
  std::unique_ptr<Surface> surface;
  const std::vector<PopupMenuEntry>* entries = nullptr;
  int paintedVersion = -1;
};

class MenuWindows {
 public:
  MenuWindows(Display* display, const menu::MenuStyle& style) : display_(display), style_(style) {
    const int screen = DefaultScreen(display);
    root_ = RootWindow(display, screen);
    visual_ = DefaultVisual(display, screen);
    depth_ = DefaultDepth(display, screen);
    colormap_ = DefaultColormap(display, screen);
  }
  ~MenuWindows() {
    while (!windows_.empty()) closeLast();
  }
  MenuWindows(const MenuWindows&) = delete;
  MenuWindows& operator=(const MenuWindows&) = delete;

  bool usable() const { return visual_->c_class == TrueColor; }

  // Makes the windows match the tracker's panels: new ones opened, closed
  // ones destroyed, changed ones painted. False when a panel has no picture
  // to show (its memory was refused): the menu cannot be worked.
  bool follow(const menu::MenuTracker& tracker) {
    const auto& panels = tracker.panels();
    while (windows_.size() > panels.size()) closeLast();
    for (size_t i = 0; i < panels.size(); ++i) {
      if (i < windows_.size() && windows_[i].entries != panels[i].entries)
        while (windows_.size() > i) closeLast();
      if (i == windows_.size() && !open(panels[i])) return false;
      PanelWindow& w = windows_[i];
      if (w.paintedVersion != tracker.panelVersion(i)) {
        auto device = createSoftwareDevice(w.surface->pixels());
        menu::paintMenuPanel(*device, panels[i], style_, font_);
        w.paintedVersion = tracker.panelVersion(i);
        present(w);
      }
    }
    return true;
  }

  bool isMenuWindow(Window window) const {
    for (const PanelWindow& w : windows_)
      if (w.window == window) return true;
    return false;
  }
  void exposed(Window window) {
    for (PanelWindow& w : windows_)
      if (w.window == window) present(w);
  }
  Window first() const { return windows_.empty() ? 0 : windows_.front().window; }
  DrawRect screen() const {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display_, root_, &attributes)) return DrawRect{0, 0, 1024, 768};
    return DrawRect{0, 0, attributes.width, attributes.height};
  }
  Window root() const { return root_; }

 private:
  bool open(const menu::MenuTracker::Panel& panel) {
    const DrawRect& place = panel.place;
    PanelWindow w;
    w.surface = Surface::create(display_, visual_, depth_, place.width(), place.height());
    if (!w.surface) return false;
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.save_under = True;
    attributes.background_pixmap = None;
    attributes.border_pixel = 0;
    attributes.colormap = colormap_;
    attributes.event_mask = kMenuEventMask;
    w.window = XCreateWindow(display_, root_, place.left, place.top, static_cast<unsigned>(place.width()),
                             static_cast<unsigned>(place.height()), 0, depth_, InputOutput, visual_,
                             CWOverrideRedirect | CWSaveUnder | CWBackPixmap | CWBorderPixel | CWColormap | CWEventMask,
                             &attributes);
    w.gc = XCreateGC(display_, w.window, 0, nullptr);
    w.entries = panel.entries;
    XMapRaised(display_, w.window);
    windows_.push_back(std::move(w));
    return true;
  }
  void present(PanelWindow& w) {
    const PixelBuffer& pixels = w.surface->pixels();
    w.surface->present(w.window, w.gc, DrawRect{0, 0, pixels.width(), pixels.height()});
    // The shared picture may be drawn in again right after.
    XSync(display_, False);
  }
  void closeLast() {
    PanelWindow& w = windows_.back();
    w.surface.reset();
    XFreeGC(display_, w.gc);
    XDestroyWindow(display_, w.window);
    windows_.pop_back();
  }

  Display* display_;
  const menu::MenuStyle& style_;
  Window root_;
  Visual* visual_;
  int depth_;
  Colormap colormap_;
  std::unique_ptr<DeviceFont> font_;
  std::vector<PanelWindow> windows_;
};

struct Grabs {
  bool pointer = false;
  bool keyboard = false;
};

// Takes the pointer and the keyboard for the menu, waiting a moment for
// another client's grab to end; what it could not take stays with that client.
Grabs grabInput(Display* display, Window window) {
  Grabs grabs;
  for (int attempt = 0; attempt < kGrabAttempts; ++attempt) {
    if (!grabs.pointer)
      grabs.pointer = XGrabPointer(display, window, True, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                                   GrabModeAsync, GrabModeAsync, None, None, CurrentTime) == GrabSuccess;
    if (!grabs.keyboard)
      grabs.keyboard = XGrabKeyboard(display, window, True, GrabModeAsync, GrabModeAsync, CurrentTime) == GrabSuccess;
    if (grabs.pointer && grabs.keyboard) break;
    XSync(display, False);
    timespec pause{0, kGrabRetryMicroseconds * 1000L};
    nanosleep(&pause, nullptr);
  }
  return grabs;
}

// Whether the window is on the screen (mapped, and every ancestor too).
bool viewable(Display* display, Window window) {
  XWindowAttributes attributes;
  return XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable;
}

// Whether a focus-out event says the focus left the window itself for good.
bool losesFocus(const XFocusChangeEvent& event) {
  const bool away = event.detail == NotifyAncestor || event.detail == NotifyVirtual ||
                    event.detail == NotifyNonlinear || event.detail == NotifyNonlinearVirtual;
  return away && (event.mode == NotifyNormal || event.mode == NotifyWhileGrabbed);
}

bool keyOf(XKeyEvent& event, menu::MenuTracker::Key& key) {
  using Key = menu::MenuTracker::Key;
  struct Binding {
    KeySym symbol;
    Key key;
  };
  static constexpr Binding kBindings[] = {
      {XK_Up, Key::Up},        {XK_KP_Up, Key::Up},       {XK_Down, Key::Down},   {XK_KP_Down, Key::Down},
      {XK_Left, Key::Left},    {XK_KP_Left, Key::Left},   {XK_Right, Key::Right}, {XK_KP_Right, Key::Right},
      {XK_Return, Key::Enter}, {XK_KP_Enter, Key::Enter}, {XK_space, Key::Enter}, {XK_Escape, Key::Escape},
  };
  const KeySym symbol = XLookupKeysym(&event, 0);
  for (const Binding& binding : kBindings) {
    if (binding.symbol != symbol) continue;
    key = binding.key;
    return true;
  }
  return false;
}

class X11PopupMenus final : public PopupMenuService {
 public:
  int track(void* ownerWindow, const PopupMenu& menu, int screenX, int screenY, bool acceptRightButton) override {
    std::shared_ptr<Connection> connection;
    Window owner = 0;
    // The menu is drawn at the size of the panel that opened it.
    int percent = 100;
    if (X11Window* window = X11Window::fromHandle(ownerWindow)) {
      connection = window->connection();
      owner = static_cast<Window>(reinterpret_cast<std::uintptr_t>(ownerWindow));
      percent = window->contentScale();
    } else if (Display* display = XOpenDisplay(nullptr)) {
      connection = std::make_shared<Connection>(display);
    } else {
      return 0;
    }
    Session session(connection);
    Display* display = connection->display();
    const menu::MenuStyle style = menu::scaledMenuStyle(percent);
    std::vector<XEvent> kept;
    int command = 0;
    {
      MenuWindows windows(display, style);
      if (!windows.usable()) return 0;
      menu::MenuTracker tracker(menu, screenX, screenY, screenY, windows.screen(),
                                menu::softwareTextMeasure(style.font), style, acceptRightButton);
      if (!windows.follow(tracker)) return 0;
      XSync(display, False);
      const Grabs grabs = grabInput(display, windows.first());
      // Without the keyboard the keys reach the menu through the focus.
      Window previousFocus = None;
      int previousRevert = RevertToParent;
      if (!grabs.keyboard) {
        XGetInputFocus(display, &previousFocus, &previousRevert);
        XSetInputFocus(display, windows.first(), RevertToParent, CurrentTime);
      }
      bool focusTaken = false;
      {
        Window root = 0, child = 0;
        int rootX = 0, rootY = 0, x = 0, y = 0;
        unsigned mask = 0;
        if (XQueryPointer(display, windows.root(), &root, &child, &rootX, &rootY, &x, &y, &mask))
          tracker.pointerMoved(rootX, rootY);
      }
      const unsigned cancelled = cancellations.load();
      auto nextWatch = SteadyClock::now();
      while (tracker.outcome() == menu::MenuTracker::Outcome::Open) {
        // A panel that cannot be shown ends the menu with no choice.
        if (!windows.follow(tracker)) break;
        if (cancellations.load() != cancelled) {
          tracker.cancel();
          break;
        }
        // A host that hides its window tells the window inside it nothing.
        if (owner && SteadyClock::now() >= nextWatch) {
          if (!viewable(display, owner)) {
            tracker.cancel();
            break;
          }
          nextWatch = SteadyClock::now() + std::chrono::milliseconds(kWatchMilliseconds);
        }
        if (XPending(display) == 0) {
          pollfd watch{ConnectionNumber(display), POLLIN, 0};
          poll(&watch, 1, kWatchMilliseconds);
          continue;
        }
        XEvent event;
        XNextEvent(display, &event);
        if (!windows.isMenuWindow(event.xany.window)) {
          if (event.xany.window != owner) continue;
          // The grab reports our own windows' presses to them: one on the
          // owner is a press outside the menu, and like every press while
          // the menu is open it goes nowhere else (a wheel turn neither).
          if (event.type == ButtonPress) {
            if (event.xbutton.button <= Button3)
              tracker.buttonPressed(event.xbutton.x_root, event.xbutton.y_root, static_cast<int>(event.xbutton.button));
            continue;
          }
          // The owner's other events wait for its next pump; its going ends the menu.
          if (event.type == DestroyNotify || event.type == UnmapNotify) tracker.cancel();
          kept.push_back(event);
          continue;
        }
        switch (event.type) {
          case Expose:
            windows.exposed(event.xany.window);
            break;
          case MotionNotify:
            tracker.pointerMoved(event.xmotion.x_root, event.xmotion.y_root);
            break;
          case ButtonPress:
            if (event.xbutton.button <= Button3)
              tracker.buttonPressed(event.xbutton.x_root, event.xbutton.y_root, static_cast<int>(event.xbutton.button));
            break;
          case ButtonRelease:
            if (event.xbutton.button <= Button3)
              tracker.buttonReleased(event.xbutton.x_root, event.xbutton.y_root,
                                     static_cast<int>(event.xbutton.button));
            break;
          case KeyPress: {
            menu::MenuTracker::Key key;
            if (keyOf(event.xkey, key)) tracker.keyPressed(key);
            break;
          }
          case FocusOut:
            // Someone gave the focus elsewhere (a click on another program,
            // say); a passing grab brings it back and is no reason to close,
            // and a panel that merely holds the pointer hears of every focus
            // change from the pointer root (ours too).
            if (!grabs.keyboard && losesFocus(event.xfocus)) {
              focusTaken = true;
              tracker.cancel();
            }
            break;
          default:
            break;
        }
      }
      command = tracker.command();
      if (grabs.keyboard) XUngrabKeyboard(display, CurrentTime);
      if (grabs.pointer) XUngrabPointer(display, CurrentTime);
      if (!grabs.keyboard && !focusTaken) XSetInputFocus(display, previousFocus, previousRevert, CurrentTime);
    }
    XSync(display, False);
    for (auto it = kept.rbegin(); it != kept.rend(); ++it) XPutBackEvent(display, &*it);
    return command;
  }
};

}  // namespace

void cancelPopupMenus() { cancellations.fetch_add(1); }

PopupMenuService& x11PopupMenus() {
  static X11PopupMenus menus;
  return menus;
}

}  // namespace sorvane::platform::x11
