// The native window under the editor's view tree, reduced to what the
// toolkit needs: a child window inside the host's window that can be
// invalidated and painted, captures the mouse, reports the pointer leaving,
// and turns its system's input into WindowEvents. Back ends (Win32, X11,
// headless) only convert events and present pixels; every behaviour lives in
// the toolkit above them.
//
// Thread contract: a window and its client live on the host's user-interface
// thread; nothing here may be touched from another thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/draw.h"

namespace sorvane::platform {

// The mouse-button word, shared with the toolkit bit for bit.
enum MouseButtonBits : std::int32_t {
  kButtonLeft = 1 << 1,
  kButtonMiddle = 1 << 2,
  kButtonRight = 1 << 3,
  kModifierShift = 1 << 4,
  kModifierControl = 1 << 5,
  kModifierAlt = 1 << 6,
  kModifierApple = 1 << 7,  // passed through, never produced here
  kButton4 = 1 << 8,
  kButton5 = 1 << 9,
  kDoubleClick = 1 << 10,
};

// One unit of wheel travel as the systems count it; the toolkit turns whole
// notches only, and carries the remainder to the next event.
constexpr int kWheelDeltaPerNotch = 120;

enum class WindowEventType {
  MouseDown,    // x, y, buttons (kDoubleClick for the second click of a pair)
  MouseUp,      // x, y, buttons
  MouseMove,    // x, y, buttons held
  Wheel,        // x, y (window coordinates), buttons (modifiers), wheelDelta, horizontal
  MouseLeave,   // the pointer left the window
  CaptureLost,  // the system took the mouse away during a press
  KeyDown,      // key
  KeyUp,        // key
  Paint,        // area, device: draw that part of the window into device
  DragEnter,    // x, y, files
  DragMove,     // x, y
  DragLeave,
  Drop,          // x, y, files
  Destroy,       // the system window is gone (its parent was destroyed, say)
  KeyboardLost,  // another window took the keyboard focus the window held
};

// A key as hosts hand it over: character, virtual key (the host's own
// numbering: left 11, up 12, right 13, down 14, tab 2, ...) and modifiers
// (Shift 1, Alternate 2, Command 4, Control 8).
struct KeyCode {
  std::int32_t character = 0;
  std::uint8_t virt = 0;
  std::uint8_t modifier = 0;
};

enum KeyModifierBits : std::uint8_t {
  kKeyShift = 1,
  kKeyAlternate = 2,
  kKeyCommand = 4,
  kKeyControl = 8,
};

struct WindowEvent {
  WindowEventType type = WindowEventType::MouseMove;
  int x = 0;
  int y = 0;
  std::int32_t buttons = 0;
  int wheelDelta = 0;  // in system units, kWheelDeltaPerNotch to a notch; up/away is positive
  bool horizontal = false;
  KeyCode key;
  DrawRect area;                   // Paint: the part to redraw
  DrawDevice* device = nullptr;    // Paint: where to draw it (valid during the call)
  std::vector<std::string> files;  // DragEnter, Drop: the names as the system gives them
};

// What the toolkit answers to an event.
struct WindowEventResult {
  bool consumed = false;      // a wheel or key used by a view is not passed on to the host
  bool captureMouse = false;  // MouseDown: the window keeps the mouse until the button is up
  bool acceptDrop = false;    // Drag*/Drop: whether a view takes the files
};

// The toolkit end of a window: the one function that turns events into view
// calls (the frame implements it).
class WindowClient {
 public:
  virtual ~WindowClient() = default;
  virtual WindowEventResult handleWindowEvent(const WindowEvent& event) = 0;
};

class NativeWindow {
 public:
  virtual ~NativeWindow() = default;

  // Marks part of the window for the next paint.
  virtual void invalidate(const DrawRect& area) = 0;
  // Paints every invalid part now (through a Paint event to the client).
  virtual void update() = 0;
  // Delivers the events the system has queued for this window, for systems
  // that hand them over only when asked (X11: the host's idle drives it).
  // Does nothing when called from inside one of the window's own events.
  virtual void pumpEvents() {}
  // The mouse stays with this window while a button is held.
  virtual void captureMouse(bool capture) = 0;
  // Asks for one MouseLeave event when the pointer next leaves the window.
  virtual void trackMouseLeave() = 0;
  // Registers or revokes the window as a drop target.
  virtual void setDropTarget(bool active) = 0;
  // The window's origin on the screen (pop-up menus open in screen coordinates).
  virtual void screenOrigin(int& x, int& y) = 0;
  // Takes the system's keyboard focus for this window (true), noting the
  // window that had it, or hands it back to that one (false) when this
  // window still has it. While held, the system's keys arrive as KeyDown
  // and KeyUp events, and KeyboardLost reports the focus going elsewhere.
  virtual void holdKeyboardFocus(bool hold) { (void)hold; }
  // The system's double-click time in milliseconds.
  virtual int doubleClickTime() = 0;
  // The system handle (HWND, X window id) for dialogs and boxes it owns.
  virtual void* systemHandle() = 0;
  // The client forgets the window: no event is delivered after this.
  virtual void detachClient() = 0;
  // Gives the window a new size (the editor's size changed), its top-left
  // where it was; everything in it is to be painted again. False, with the
  // window as it was, when the system or the memory for its picture refuses.
  virtual bool resize(int width, int height) = 0;
  // How large the panel's pixels are in the window's, in percent: what the
  // window's own pop-up menus are drawn at (system menus draw themselves).
  virtual void setContentScale(int percent) { contentScale_ = percent; }
  int contentScale() const { return contentScale_; }
  // The system's size for this window's screen (system_scale.h) as the
  // system last reported it while the window was open (a move to another
  // screen, a changed setting), or 0 when it reported nothing.
  virtual int systemScale() { return 0; }

 private:
  int contentScale_ = 100;
};

// Makes windows of one kind. Null when the parent is null or the system
// refuses; the window is sized width × height (its own pixels) at the
// parent's top-left.
class WindowSystem {
 public:
  virtual ~WindowSystem() = default;
  virtual std::unique_ptr<NativeWindow> createChildWindow(void* parent, int width, int height,
                                                          WindowClient& client) = 0;
  virtual const char* name() const = 0;
  // The system's size (system_scale.h) for a window in parent, or for the
  // main screen when parent is null; 0 when the system says nothing.
  virtual int systemScale(void* parent) {
    (void)parent;
    return 0;
  }
};

// The system's windows: Win32 on Windows, X11 where a display is reachable,
// headless otherwise.
WindowSystem& nativeWindowSystem();

}  // namespace sorvane::platform
