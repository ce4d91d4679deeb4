// Pop-up menus on X: one override-redirect window per open panel, the
// pointer and keyboard grabbed, a modal loop that feeds the platform-neutral
// tracker until it has an outcome. The menu shares the owner window's
// connection: the press that opened it still holds the pointer's implicit
// grab, which only the same client may take over. Events of the owner that
// arrive meanwhile are put back for its next pump.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

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

constexpr long kMenuEventMask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask;
// How long to wait for another client's grab to end before giving up.
constexpr int kGrabAttempts = 50;
constexpr int kGrabRetryMicroseconds = 10000;

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
  // ones destroyed, changed ones painted.
  void follow(const menu::MenuTracker& tracker) {
    const auto& panels = tracker.panels();
    while (windows_.size() > panels.size()) closeLast();
    for (size_t i = 0; i < panels.size(); ++i) {
      if (i < windows_.size() && windows_[i].entries != panels[i].entries)
        while (windows_.size() > i) closeLast();
      if (i == windows_.size()) open(panels[i]);
      PanelWindow& w = windows_[i];
      if (w.paintedVersion != tracker.panelVersion(i)) {
        auto device = createSoftwareDevice(w.surface->pixels());
        menu::paintMenuPanel(*device, panels[i], style_, font_);
        w.paintedVersion = tracker.panelVersion(i);
        present(w);
      }
    }
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
  void open(const menu::MenuTracker::Panel& panel) {
    PanelWindow w;
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.save_under = True;
    attributes.background_pixmap = None;
    attributes.border_pixel = 0;
    attributes.colormap = colormap_;
    attributes.event_mask = kMenuEventMask;
    const DrawRect& place = panel.place;
    w.window = XCreateWindow(display_, root_, place.left, place.top, static_cast<unsigned>(place.width()),
                             static_cast<unsigned>(place.height()), 0, depth_, InputOutput, visual_,
                             CWOverrideRedirect | CWSaveUnder | CWBackPixmap | CWBorderPixel | CWColormap | CWEventMask,
                             &attributes);
    w.gc = XCreateGC(display_, w.window, 0, nullptr);
    w.surface = Surface::create(display_, visual_, depth_, place.width(), place.height());
    w.entries = panel.entries;
    XMapRaised(display_, w.window);
    windows_.push_back(std::move(w));
  }
  void present(PanelWindow& w) {
    if (!w.surface) return;
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

bool grabInput(Display* display, Window window) {
  for (int attempt = 0; attempt < kGrabAttempts; ++attempt) {
    const int result = XGrabPointer(display, window, True, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                                    GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
    if (result == GrabSuccess) {
      // Without the keyboard the menu still works with the mouse.
      XGrabKeyboard(display, window, True, GrabModeAsync, GrabModeAsync, CurrentTime);
      return true;
    }
    XSync(display, False);
    timespec pause{0, kGrabRetryMicroseconds * 1000L};
    nanosleep(&pause, nullptr);
  }
  return false;
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
    if (X11Window* window = X11Window::fromHandle(ownerWindow)) {
      connection = window->connection();
      owner = static_cast<Window>(reinterpret_cast<std::uintptr_t>(ownerWindow));
    } else if (Display* display = XOpenDisplay(nullptr)) {
      connection = std::make_shared<Connection>(display);
    } else {
      return 0;
    }
    Session session(connection);
    Display* display = connection->display();
    const menu::MenuStyle style;
    std::vector<XEvent> kept;
    int command = 0;
    {
      MenuWindows windows(display, style);
      if (!windows.usable()) return 0;
      menu::MenuTracker tracker(menu, screenX, screenY, screenY, windows.screen(),
                                menu::softwareTextMeasure(style.font), style, acceptRightButton);
      windows.follow(tracker);
      XSync(display, False);
      if (!grabInput(display, windows.first())) return 0;
      {
        Window root = 0, child = 0;
        int rootX = 0, rootY = 0, x = 0, y = 0;
        unsigned mask = 0;
        if (XQueryPointer(display, windows.root(), &root, &child, &rootX, &rootY, &x, &y, &mask))
          tracker.pointerMoved(rootX, rootY);
      }
      while (tracker.outcome() == menu::MenuTracker::Outcome::Open) {
        windows.follow(tracker);
        XEvent event;
        XNextEvent(display, &event);
        if (!windows.isMenuWindow(event.xany.window)) {
          // The owner's events wait for its next pump; the owner going ends the menu.
          if (event.type == DestroyNotify && event.xdestroywindow.window == owner) tracker.cancel();
          if (event.xany.window == owner) kept.push_back(event);
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
          default:
            break;
        }
      }
      command = tracker.command();
      XUngrabKeyboard(display, CurrentTime);
      XUngrabPointer(display, CurrentTime);
    }
    XSync(display, False);
    for (auto it = kept.rbegin(); it != kept.rend(); ++it) XPutBackEvent(display, &*it);
    return command;
  }
};

}  // namespace

PopupMenuService& x11PopupMenus() {
  static X11PopupMenus menus;
  return menus;
}

}  // namespace sorvane::platform::x11
