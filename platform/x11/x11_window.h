// The editor's window on an X server: a child of the host's window with the
// parent's visual, on a display connection of its own, painted by the
// software back end into a picture that goes onto the window after each
// paint (so it shows exactly what the headless window renders).
//
// X delivers events only when asked: pumpEvents (the frame's idle, i.e. the
// host's effEditIdle) reads what the server sent and turns it into
// WindowEvents. There are no threads of our own. Every request runs under an
// ErrorTrap, so a host that destroys its window before closing the editor
// costs us a few counted errors, never the host process.
//
// Thread contract: the host's user-interface thread only.
#pragma once

#include <X11/Xlib.h>

#include <memory>

#include "platform/window.h"
#include "platform/x11/x11_support.h"

namespace sorvane::platform::x11 {

class X11Window final : public NativeWindow {
 public:
  // Null when no display can be opened, the parent is no window of it, or
  // its visual is not true colour.
  static std::unique_ptr<X11Window> create(Window parent, int width, int height, WindowClient& client);
  ~X11Window() override;

  void invalidate(const DrawRect& area) override;
  void update() override;
  void pumpEvents() override;
  // The implicit grab of a press already keeps the pointer with us.
  void captureMouse(bool capture) override { captured_ = capture; }
  void trackMouseLeave() override { leaveArmed_ = true; }
  // Hosts pass keys on unevenly: the window takes the input focus itself
  // and reads the keys from the server while it holds it.
  void holdKeyboardFocus(bool hold) override;
  // No view of ours takes a drop, and X has no drop registration of its own.
  void setDropTarget(bool) override {}
  void screenOrigin(int& x, int& y) override;
  int doubleClickTime() override { return kDoubleClickMilliseconds; }
  void* systemHandle() override;
  void detachClient() override { client_ = nullptr; }
  // A new picture first (the old one stays when none can be made), then the window.
  bool resize(int width, int height) override;

  // The live window whose systemHandle is handle, or null (pop-up menus
  // use its connection: only the client holding the pointer may grab it).
  static X11Window* fromHandle(void* handle);
  const std::shared_ptr<Connection>& connection() const { return connection_; }
  Display* display() const { return connection_->display(); }
  bool usesSharedMemory() const { return surface_->sharedMemory(); }
  size_t surfaceBytes() const { return surface_->bytes(); }

  // The desktops' usual double-click time.
  static constexpr int kDoubleClickMilliseconds = 400;
  // How far apart the two presses of a double-click may lie, in pixels.
  static constexpr int kDoubleClickDistance = 4;

 private:
  X11Window(std::shared_ptr<Connection> connection, Window parent, WindowClient& client);
  bool build(int width, int height);
  WindowEventResult send(const WindowEvent& event);
  void handle(XEvent& event);
  void buttonPressed(const XButtonEvent& event);
  void buttonReleased(const XButtonEvent& event);
  void crossed(const XCrossingEvent& event);
  void keyEvent(XKeyEvent& event);
  void focusLeft(const XFocusChangeEvent& event);
  void passWheelToParent(const XButtonEvent& event);
  void captureLost();
  void gone();

  std::shared_ptr<Connection> connection_;
  Display* display_;
  Window parent_;
  Window root_ = 0;
  Window window_ = 0;
  Colormap colormap_ = 0;     // ours only where the parent has none to share
  Visual* visual_ = nullptr;  // the parent's, which the window and its picture share
  int depth_ = 0;
  GC gc_ = nullptr;
  std::unique_ptr<Surface> surface_;
  WindowClient* client_;
  // Cleared by the destructor: a client may destroy the window from inside an event.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  DrawRect pending_;
  bool destroyed_ = false;  // the server destroyed the window (its parent went)
  bool pumping_ = false;
  bool captured_ = false;
  bool leaveArmed_ = false;
  std::int32_t pressed_ = 0;  // buttons pressed on this window and not yet released
  // The last press, for double-clicks.
  unsigned lastButton_ = 0;
  Time lastPressTime_ = 0;
  int lastPressX_ = 0, lastPressY_ = 0;
  bool lastWasDouble_ = false;
  // The input focus, while the window holds it for a view that takes keys.
  bool keyboardHeld_ = false;
  Window previousFocus_ = None;  // who had it, and how it was to revert
  int previousRevert_ = RevertToParent;
  unsigned long holdSerial_ = 0;  // focus events before this request are old news
};

class X11WindowSystem final : public WindowSystem {
 public:
  std::unique_ptr<NativeWindow> createChildWindow(void* parent, int width, int height, WindowClient& client) override;
  const char* name() const override { return "x11"; }
  // Xft.dpi of the X resources on the parent's screen (the main screen's
  // for null), else GDK_SCALE; read afresh each time, as xrdb may have
  // changed them.
  int systemScale(void* parent) override;
};

X11WindowSystem& x11WindowSystem();
// Whether an X display can be opened now (tried once per call).
bool displayReachable();

}  // namespace sorvane::platform::x11
