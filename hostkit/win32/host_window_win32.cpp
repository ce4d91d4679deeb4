// The host's part on Windows: a top-level window that a plug-in's editor
// opens into, driven with the messages the system itself would deliver.
// Mouse messages go to the window under the point (or the one holding the
// capture), sent and then followed by a pump of the queue; the wheel goes to
// the window under the point with screen coordinates, as Windows 10 routes
// it. The client area is read back with BitBlt from the window's context:
// PrintWindow draws nothing of child windows under Wine.
#include <windows.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "hostkit/host_window.h"
#include "platform/win32/key_flags.h"
#include "platform/win32/window_class.h"

namespace sorvane::hostkit {
using namespace sorvane::platform;
namespace {

constexpr DWORD kHostStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr int kIdlePeriodMs = 20;

LRESULT CALLBACK hostWindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

win32::SharedWindowClass& hostWindowClass() {
  static win32::SharedWindowClass windowClass("SorvaneHostWindow", hostWindowProcedure, 0, 0,
                                              static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
  return windowClass;
}

WPARAM keyFlags(int buttons) { return win32::keyFlagsFromButtons(buttons); }

// Alt is no key flag: the receiver asks the keyboard state, which is set
// for the thread while one message is delivered.
class AltKeyHeld {
 public:
  explicit AltKeyHeld(bool held) : held_(held) { set(held); }
  ~AltKeyHeld() { set(false); }
  AltKeyHeld(const AltKeyHeld&) = delete;
  AltKeyHeld& operator=(const AltKeyHeld&) = delete;

 private:
  void set(bool down) {
    if (!held_) return;
    BYTE state[256] = {};
    if (!GetKeyboardState(state)) return;
    state[VK_MENU] = down ? 0x80 : 0;
    SetKeyboardState(state);
  }
  bool held_;
};

constexpr int kAnyButton = kButtonLeft | kButtonMiddle | kButtonRight | kButton4 | kButton5;

// The button message for the first button named in the word (left when
// none); answers that button's bit.
int buttonMessage(int buttons, bool down, UINT& message, WPARAM& extra) {
  extra = 0;
  const bool twice = down && (buttons & kDoubleClick);
  if (buttons & kButtonRight) {
    message = down ? (twice ? WM_RBUTTONDBLCLK : WM_RBUTTONDOWN) : WM_RBUTTONUP;
    return kButtonRight;
  }
  if (buttons & kButtonMiddle) {
    message = down ? (twice ? WM_MBUTTONDBLCLK : WM_MBUTTONDOWN) : WM_MBUTTONUP;
    return kButtonMiddle;
  }
  if (buttons & (kButton4 | kButton5)) {
    message = down ? (twice ? WM_XBUTTONDBLCLK : WM_XBUTTONDOWN) : WM_XBUTTONUP;
    extra = static_cast<WPARAM>((buttons & kButton4) ? XBUTTON1 : XBUTTON2) << 16;
    return (buttons & kButton4) ? kButton4 : kButton5;
  }
  message = down ? (twice ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN) : WM_LBUTTONUP;
  return kButtonLeft;
}

class Win32HostWindow final : public HostWindow {
 public:
  ~Win32HostWindow() override {
    destroyNow();
    if (classHeld_) hostWindowClass().release();
  }

  bool create(const char* title, int width, int height) {
    if (!hostWindowClass().acquire()) return false;
    classHeld_ = true;
    RECT frame{0, 0, width, height};
    AdjustWindowRectEx(&frame, kHostStyle, FALSE, 0);
    // Top left, with the pointer parked far from it: a pointer the system
    // finds over the window would send moves of its own.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    hwnd_ = CreateWindowExA(0, hostWindowClass().name(), title ? title : "", kHostStyle, 0, 0, frame.right - frame.left,
                            frame.bottom - frame.top, nullptr, nullptr, hostWindowClass().module(), this);
    if (!hwnd_) return false;
    ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
    pump(0, nullptr, nullptr);
    return true;
  }

  void* handle() override { return hwnd_; }

  void setClientSize(int width, int height) override {
    if (!hwnd_) return;
    RECT frame{0, 0, width, height};
    AdjustWindowRectEx(&frame, kHostStyle, FALSE, 0);
    SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    pump(0, nullptr, nullptr);
  }

  void pump(int milliseconds, void (*idle)(void*), void* context) override {
    const DWORD start = GetTickCount();
    DWORD lastIdle = start - kIdlePeriodMs;
    for (;;) {
      MSG message;
      while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
          PostQuitMessage(static_cast<int>(message.wParam));
          return;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
      }
      const DWORD now = GetTickCount();
      if (idle && now - lastIdle >= static_cast<DWORD>(kIdlePeriodMs)) {
        idle(context);
        lastIdle = now;
      }
      if (now - start >= static_cast<DWORD>(milliseconds)) return;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
  }

  // The key flags hold the buttons pressed before and not yet released too.
  bool mouseDown(int x, int y, int buttons) override {
    UINT message = 0;
    WPARAM extra = 0;
    const int button = buttonMessage(buttons, true, message, extra);
    pressed_.erase(std::remove(pressed_.begin(), pressed_.end(), button), pressed_.end());
    pressed_.push_back(button);
    return deliver(x, y, message, keyFlags(buttons | heldButtons()) | extra, buttons);
  }
  bool mouseMove(int x, int y, int buttons) override { return deliver(x, y, WM_MOUSEMOVE, keyFlags(buttons), buttons); }
  // buttons names the button that goes up (the last one pressed when it
  // names none); the key flags are what stays held.
  bool mouseUp(int x, int y, int buttons) override {
    if (!(buttons & kAnyButton) && !pressed_.empty()) buttons |= pressed_.back();
    UINT message = 0;
    WPARAM extra = 0;
    const int button = buttonMessage(buttons, false, message, extra);
    pressed_.erase(std::remove(pressed_.begin(), pressed_.end(), button), pressed_.end());
    return deliver(x, y, message, keyFlags((buttons & (kModifierShift | kModifierControl)) | heldButtons()) | extra,
                   buttons);
  }

  bool wheel(int x, int y, int delta, int modifiers, bool horizontal) override {
    if (!hwnd_) return false;
    POINT screen{x, y};
    ClientToScreen(hwnd_, &screen);
    HWND target = windowAt(screen);
    const WPARAM wParam = MAKEWPARAM(keyFlags(modifiers), static_cast<WORD>(static_cast<short>(delta)));
    AltKeyHeld alt((modifiers & kModifierAlt) != 0);
    SendMessageA(target, horizontal ? WM_MOUSEHWHEEL : WM_MOUSEWHEEL, wParam, MAKELPARAM(screen.x, screen.y));
    pump(0, nullptr, nullptr);
    return true;
  }

  bool key(int virtualKey) override {
    if (!hwnd_) return false;
    HWND target = GetFocus();
    if (!target) target = hwnd_;
    PostMessageA(target, WM_KEYDOWN, static_cast<WPARAM>(virtualKey), 1);
    PostMessageA(target, WM_KEYUP, static_cast<WPARAM>(virtualKey), static_cast<LPARAM>(0xC0000001u));
    pump(0, nullptr, nullptr);
    return true;
  }

  bool capture(PixelBuffer& into) override {
    if (!hwnd_) return false;
    HDC dc = GetDC(hwnd_);
    if (!dc) return false;
    std::unique_ptr<DrawDevice> device = createWindowDevice(dc, hwnd_);
    const bool read = device && device->readPixels(into);
    device.reset();
    ReleaseDC(hwnd_, dc);
    return read;
  }

  int childWindowCount() override {
    if (!hwnd_) return 0;
    int count = 0;
    EnumChildWindows(
        hwnd_,
        [](HWND, LPARAM counter) -> BOOL {
          ++*reinterpret_cast<int*>(counter);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
  }

  int wheelEventsReceived(bool horizontal) override { return horizontal ? sidewaysWheels_ : wheels_; }

  void destroyNow() override {
    if (hwnd_) DestroyWindow(hwnd_);
    hwnd_ = nullptr;
  }

  LRESULT handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_MOUSEWHEEL:
        ++wheels_;
        return 0;
      case WM_MOUSEHWHEEL:
        ++sidewaysWheels_;
        return 0;
      case WM_NCDESTROY:
        hwnd_ = nullptr;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        break;
      default:
        break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
  }

 private:
  // The deepest visible window at a point on the screen, this one at least.
  HWND windowAt(POINT screen) const {
    HWND window = hwnd_;
    for (;;) {
      POINT local = screen;
      ScreenToClient(window, &local);
      HWND child = ChildWindowFromPointEx(window, local, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
      if (!child || child == window) return window;
      window = child;
    }
  }

  // A mouse message to whatever the system would give it: the window with
  // the capture, else the one under the point; position in its client area.
  bool deliver(int x, int y, UINT message, WPARAM wParam, int buttons) {
    if (!hwnd_) return false;
    POINT screen{x, y};
    ClientToScreen(hwnd_, &screen);
    HWND captured = GetCapture();
    HWND target = captured && (captured == hwnd_ || IsChild(hwnd_, captured)) ? captured : windowAt(screen);
    POINT local = screen;
    ScreenToClient(target, &local);
    {
      AltKeyHeld alt((buttons & kModifierAlt) != 0);
      SendMessageA(target, message, wParam, MAKELPARAM(local.x, local.y));
    }
    pump(0, nullptr, nullptr);
    return true;
  }

  int heldButtons() const {
    int held = 0;
    for (int button : pressed_) held |= button;
    return held;
  }

  HWND hwnd_ = nullptr;
  bool classHeld_ = false;
  int wheels_ = 0;
  std::vector<int> pressed_;  // buttons down and not yet up, in the order they went down
  int sidewaysWheels_ = 0;
};

LRESULT CALLBACK hostWindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* creation = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
  }
  auto* window = reinterpret_cast<Win32HostWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!window) return DefWindowProcA(hwnd, message, wParam, lParam);
  return window->handle(hwnd, message, wParam, lParam);
}

}  // namespace

std::unique_ptr<HostWindow> createHostWindow(const char* title, int width, int height) {
  auto window = std::make_unique<Win32HostWindow>();
  if (!window->create(title, width, height)) return nullptr;
  return window;
}

int becomePerMonitorDpiAware() {
  // Looked up at run time: older systems lack the function.
  using SetContext = HANDLE(WINAPI*)(HANDLE);
  HMODULE user32 = GetModuleHandleA("user32.dll");
  const auto setContext = user32 ? reinterpret_cast<SetContext>(
                                       reinterpret_cast<void*>(GetProcAddress(user32, "SetThreadDpiAwarenessContext")))
                                 : nullptr;
  if (!setContext) return 0;
  // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2, then _PER_MONITOR_AWARE.
  if (setContext(reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-4)))) return 2;
  if (setContext(reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-3)))) return 1;
  return 0;
}

}  // namespace sorvane::hostkit
