// The editor's window on Windows: a child of the host's window whose
// procedure turns messages into WindowEvents for the frame and paints
// through the GDI back end. What an event does is the toolkit's business.
//
// Class "Plugin%p" with the handle of the module holding this code, so two
// plug-in libraries in one host never share a class (nor a procedure).
// The frame (the WindowClient) sits in the window's user data; this object
// in the class's extra bytes.
//
// Painting: on Windows 6 and later the system composites the window
// (WS_EX_COMPOSITED); older systems paint through one back buffer of the
// window's size, made on first use. SORVANE_BACK_BUFFER=1 in the environment
// takes the back buffer everywhere (Wine reports a newer system).
//
// Thread contract: the host's user-interface thread only; OLE calls the drop
// target on that thread too.
#include <windows.h>
#include <ole2.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/system_scale.h"
#include "platform/win32/key_flags.h"
#include "platform/win32/window_class.h"
#include "platform/window.h"

namespace sorvane::platform {
namespace {

constexpr const char* kBackBufferVariable = "SORVANE_BACK_BUFFER";

LRESULT CALLBACK editorWindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

win32::SharedWindowClass& editorWindowClass() {
  static char name[40];
  static win32::SharedWindowClass windowClass = [] {
    std::snprintf(name, sizeof name, "Plugin%p", static_cast<void*>(win32::thisModule()));
    return win32::SharedWindowClass(name, editorWindowProcedure, CS_DBLCLKS | CS_GLOBALCLASS, sizeof(LONG_PTR),
                                    nullptr);
  }();
  return windowClass;
}

bool backBufferWanted() {
  if ((GetVersion() & 0xFF) < 6) return true;
  char value[8] = {};
  const DWORD length = GetEnvironmentVariableA(kBackBufferVariable, value, sizeof value);
  return length > 0 && length < sizeof value && value[0] == '1';
}

// The mouse-button word of a mouse message: its key flags, and Alt from the
// keyboard.
std::int32_t buttonsFromKeys(WPARAM keys) {
  return win32::buttonsFromKeyFlags(keys) | (GetKeyState(VK_MENU) < 0 ? kModifierAlt : 0);
}

constexpr std::int32_t kAnyButton = kButtonLeft | kButtonMiddle | kButtonRight | kButton4 | kButton5;

// The DPI messages, which older headers lack.
constexpr UINT kDpiChanged = 0x02E0;
constexpr UINT kDpiChangedAfterParent = 0x02E3;
constexpr UINT kDefaultDpi = 96;

// The DPI functions exist from Windows 10 (1607) on; before, every window
// has the default.
template <class Function>
Function user32Function(const char* name) {
  HMODULE user32 = GetModuleHandleA("user32.dll");
  return user32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

UINT windowDpi(HWND hwnd) {
  using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = user32Function<GetDpiForWindowFunction>("GetDpiForWindow");
  return getDpiForWindow ? getDpiForWindow(hwnd) : kDefaultDpi;
}

UINT systemDpi() {
  using GetDpiForSystemFunction = UINT(WINAPI*)();
  static const auto getDpiForSystem = user32Function<GetDpiForSystemFunction>("GetDpiForSystem");
  return getDpiForSystem ? getDpiForSystem() : kDefaultDpi;
}

int pointX(LPARAM lParam) { return static_cast<short>(LOWORD(lParam)); }
int pointY(LPARAM lParam) { return static_cast<short>(HIWORD(lParam)); }

// The names in a drag's CF_HDROP list, exactly as given (a shortcut stays a
// ".lnk": nothing here opens or follows a file).
std::vector<std::string> droppedFileNames(IDataObject* data) {
  std::vector<std::string> files;
  if (data == nullptr) return files;
  FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium{};
  if (FAILED(data->GetData(&format, &medium))) return files;
  if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal) {
    HDROP drop = static_cast<HDROP>(medium.hGlobal);
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
      const UINT length = DragQueryFileA(drop, i, nullptr, 0);
      std::string name(length + 1, '\0');
      name.resize(DragQueryFileA(drop, i, name.data(), length + 1));
      files.push_back(std::move(name));
    }
  }
  ReleaseStgMedium(&medium);
  return files;
}

// The host's virtual key (as effEditKeyDown numbers them) of a Windows one, or 0.
std::uint8_t virtualKeyOf(WPARAM key) {
  switch (key) {
    case VK_BACK:
      return 1;
    case VK_TAB:
      return 2;
    case VK_RETURN:
      return 4;
    case VK_ESCAPE:
      return 6;
    case VK_END:
      return 9;
    case VK_HOME:
      return 10;
    case VK_LEFT:
      return 11;
    case VK_UP:
      return 12;
    case VK_RIGHT:
      return 13;
    case VK_DOWN:
      return 14;
    case VK_DELETE:
      return 22;
    default:
      return 0;
  }
}

std::uint8_t keyModifiers() {
  return static_cast<std::uint8_t>((GetKeyState(VK_SHIFT) < 0 ? kKeyShift : 0) |
                                   (GetKeyState(VK_MENU) < 0 ? kKeyAlternate : 0) |
                                   (GetKeyState(VK_CONTROL) < 0 ? kKeyControl : 0));
}

class Win32Window;

// The window's OLE drop target. OLE holds a reference while it is
// registered; the window detaches it when the registration ends, so a late
// call from OLE finds no window and answers "no drop".
class DropTarget final : public IDropTarget {
 public:
  explicit DropTarget(Win32Window* window) : window_(window) {}
  void detach() { window_ = nullptr; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDropTarget)) {
      *object = static_cast<IDropTarget*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD, POINTL point, DWORD* effect) override {
    files_ = droppedFileNames(data);
    return deliver(WindowEventType::DragEnter, point, effect);
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL point, DWORD* effect) override {
    return deliver(WindowEventType::DragMove, point, effect);
  }
  HRESULT STDMETHODCALLTYPE DragLeave() override {
    DWORD ignored = DROPEFFECT_NONE;
    deliver(WindowEventType::DragLeave, POINTL{0, 0}, &ignored);
    files_.clear();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL point, DWORD* effect) override {
    files_ = droppedFileNames(data);
    const HRESULT result = deliver(WindowEventType::Drop, point, effect);
    files_.clear();
    return result;
  }

 private:
  ~DropTarget() = default;
  HRESULT deliver(WindowEventType type, POINTL point, DWORD* effect);

  LONG references_ = 1;
  Win32Window* window_;
  std::vector<std::string> files_;
};

class Win32Window final : public NativeWindow {
 public:
  Win32Window(WindowClient& client, int width, int height) : client_(&client), width_(width), height_(height) {}
  ~Win32Window() override;

  bool create(HWND parent);
  LRESULT handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  WindowEventResult dropEvent(WindowEventType type, POINTL screenPoint, const std::vector<std::string>& files);

  void invalidate(const DrawRect& area) override {
    if (!hwnd_) return;
    const RECT r{area.left, area.top, area.right, area.bottom};
    InvalidateRect(hwnd_, &r, FALSE);
  }
  void update() override {
    if (hwnd_) UpdateWindow(hwnd_);
  }
  void captureMouse(bool capture) override;
  void trackMouseLeave() override {
    if (!hwnd_) return;
    TRACKMOUSEEVENT request{sizeof(TRACKMOUSEEVENT), TME_LEAVE, hwnd_, 0};
    TrackMouseEvent(&request);
  }
  void setDropTarget(bool active) override;
  void screenOrigin(int& x, int& y) override {
    POINT origin{0, 0};
    if (hwnd_) ClientToScreen(hwnd_, &origin);
    x = origin.x;
    y = origin.y;
  }
  int doubleClickTime() override { return std::max(static_cast<int>(GetDoubleClickTime()), 250); }
  void holdKeyboardFocus(bool hold) override;
  void* systemHandle() override { return hwnd_; }
  void detachClient() override {
    client_ = nullptr;
    if (hwnd_) SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
  }
  int systemScale() override { return systemScale_; }
  bool resize(int width, int height) override {
    if (!hwnd_) return false;
    if (!SetWindowPos(hwnd_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE)) return false;
    width_ = width;
    height_ = height;
    // The back buffer is the window's size: the next paint makes a new one.
    backBuffer_.reset();
    InvalidateRect(hwnd_, nullptr, FALSE);
    return true;
  }

 private:
  // Hands an event to the client. alive tells afterwards whether this
  // window still exists (the client may close the editor from an event).
  WindowEventResult send(const WindowEvent& event, bool& alive);
  // An event that carries nothing but its type.
  void notify(WindowEventType type) {
    WindowEvent event;
    event.type = type;
    bool alive = true;
    send(event, alive);
  }
  void mouseEvent(WindowEventType type, WPARAM wParam, LPARAM lParam, std::int32_t extra);
  // A key for the client; false when no view used it.
  bool keyEvent(WindowEventType type, std::int32_t character, std::uint8_t virt);
  void paint();

  WindowClient* client_;
  int width_, height_;
  HWND hwnd_ = nullptr;
  bool classHeld_ = false;
  bool hasCapture_ = false;
  bool useBackBuffer_ = false;
  bool keyboardHeld_ = false;     // the focus is ours for a view that takes keys
  HWND previousFocus_ = nullptr;  // who had it before
  std::unique_ptr<DrawDevice> backBuffer_;
  DropTarget* dropTarget_ = nullptr;
  int systemScale_ = 0;  // as the last DPI message reported it
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

HRESULT DropTarget::deliver(WindowEventType type, POINTL point, DWORD* effect) {
  if (effect == nullptr) return E_INVALIDARG;
  const DWORD allowed = *effect;
  *effect = DROPEFFECT_NONE;
  if (window_ && window_->dropEvent(type, point, files_).acceptDrop) *effect = allowed & DROPEFFECT_COPY;
  return S_OK;
}

LRESULT CALLBACK editorWindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* creation = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(hwnd, 0, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
  }
  auto* window = reinterpret_cast<Win32Window*>(GetWindowLongPtrA(hwnd, 0));
  if (window == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
  return window->handle(hwnd, message, wParam, lParam);
}

bool Win32Window::create(HWND parent) {
  win32::SharedWindowClass& windowClass = editorWindowClass();
  if (!windowClass.acquire()) return false;
  classHeld_ = true;
  useBackBuffer_ = backBufferWanted();
  const DWORD extendedStyle = useBackBuffer_ ? 0 : WS_EX_COMPOSITED;
  // The procedure sees this object from WM_NCCREATE on, the client once
  // creation is done (no event reaches it from inside CreateWindowEx).
  hwnd_ = CreateWindowExA(extendedStyle, windowClass.name(), "Window",
                          WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, width_, height_, parent,
                          nullptr, windowClass.module(), this);
  if (!hwnd_) return false;
  SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(client_));
  return true;
}

Win32Window::~Win32Window() {
  *alive_ = false;
  if (keyboardHeld_) holdKeyboardFocus(false);
  if (hwnd_) {
    setDropTarget(false);
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    SetWindowLongPtrA(hwnd_, 0, 0);
    if (GetCapture() == hwnd_) ReleaseCapture();
    DestroyWindow(hwnd_);
  }
  backBuffer_.reset();
  if (classHeld_) editorWindowClass().release();
}

WindowEventResult Win32Window::send(const WindowEvent& event, bool& alive) {
  alive = true;
  auto* client = hwnd_ ? reinterpret_cast<WindowClient*>(GetWindowLongPtrA(hwnd_, GWLP_USERDATA)) : nullptr;
  if (client == nullptr) return {};
  const std::shared_ptr<bool> stillHere = alive_;
  const WindowEventResult result = client->handleWindowEvent(event);
  alive = *stillHere;
  return result;
}

void Win32Window::mouseEvent(WindowEventType type, WPARAM wParam, LPARAM lParam, std::int32_t extra) {
  WindowEvent event;
  event.type = type;
  event.x = pointX(lParam);
  event.y = pointY(lParam);
  event.buttons = buttonsFromKeys(GET_KEYSTATE_WPARAM(wParam)) | extra;
  bool alive = true;
  const WindowEventResult result = send(event, alive);
  if (!alive) return;
  if (type == WindowEventType::MouseDown && result.captureMouse) captureMouse(true);
  // The key flags of a button-up say what stays held: the mouse stays with
  // us until the last button is up, so the other buttons' ups come here too
  // (as X's implicit grab keeps them).
  if (type == WindowEventType::MouseUp && !(event.buttons & kAnyButton)) captureMouse(false);
}

void Win32Window::holdKeyboardFocus(bool hold) {
  if (!hwnd_) {
    keyboardHeld_ = false;
    return;
  }
  if (hold) {
    const HWND focus = GetFocus();
    if (!keyboardHeld_ && focus != hwnd_) previousFocus_ = focus;
    keyboardHeld_ = true;
    SetFocus(hwnd_);
    return;
  }
  if (!keyboardHeld_) return;
  // Cleared first: our own hand-over is no loss of the focus.
  keyboardHeld_ = false;
  const HWND previous = previousFocus_;
  previousFocus_ = nullptr;
  // Only what we still hold goes back (a focus moved on since stays where it
  // is), to no window when none had it.
  if (GetFocus() == hwnd_) SetFocus(previous && IsWindow(previous) ? previous : nullptr);
}

bool Win32Window::keyEvent(WindowEventType type, std::int32_t character, std::uint8_t virt) {
  WindowEvent event;
  event.type = type;
  event.key.character = character;
  event.key.virt = virt;
  event.key.modifier = keyModifiers();
  bool alive = true;
  const WindowEventResult result = send(event, alive);
  return alive && result.consumed;
}

void Win32Window::captureMouse(bool capture) {
  if (!hwnd_) return;
  if (capture) {
    SetCapture(hwnd_);
    hasCapture_ = GetCapture() == hwnd_;
    return;
  }
  // Cleared first: our own release is no loss of the capture.
  hasCapture_ = false;
  if (GetCapture() == hwnd_) ReleaseCapture();
}

void Win32Window::setDropTarget(bool active) {
  if (!hwnd_ || active == (dropTarget_ != nullptr)) return;
  if (active) {
    auto* target = new DropTarget(this);
    if (RegisterDragDrop(hwnd_, target) == S_OK) {
      dropTarget_ = target;
    } else {
      target->detach();
      target->Release();
    }
    return;
  }
  RevokeDragDrop(hwnd_);
  dropTarget_->detach();
  dropTarget_->Release();
  dropTarget_ = nullptr;
}

WindowEventResult Win32Window::dropEvent(WindowEventType type, POINTL screenPoint,
                                         const std::vector<std::string>& files) {
  if (!hwnd_) return {};
  POINT point{screenPoint.x, screenPoint.y};
  ScreenToClient(hwnd_, &point);
  WindowEvent event;
  event.type = type;
  event.x = point.x;
  event.y = point.y;
  if (type == WindowEventType::DragEnter || type == WindowEventType::Drop) event.files = files;
  bool alive = true;
  return send(event, alive);
}

void Win32Window::paint() {
  PAINTSTRUCT paint{};
  HWND hwnd = hwnd_;
  HDC dc = BeginPaint(hwnd, &paint);
  const DrawRect area =
      DrawRect{paint.rcPaint.left, paint.rcPaint.top, paint.rcPaint.right, paint.rcPaint.bottom}.intersect(
          DrawRect{0, 0, width_, height_});
  if (dc && !area.empty()) {
    std::unique_ptr<DrawDevice> screen = createWindowDevice(dc, hwnd);
    DrawDevice* target = screen.get();
    if (useBackBuffer_ && !backBuffer_) {
      backBuffer_ = createOffscreenDevice(hwnd, width_, height_);
      if (backBuffer_) {
        const DrawRect all{0, 0, width_, height_};
        backBuffer_->setClip(all);
        backBuffer_->fillRect(all, DrawColor{0, 0, 0, 255});
      }
    }
    if (useBackBuffer_ && backBuffer_) target = backBuffer_.get();
    if (target) {
      target->setClip(area);
      WindowEvent event;
      event.type = WindowEventType::Paint;
      event.area = area;
      event.device = target;
      bool alive = true;
      send(event, alive);
      if (alive && screen && target != screen.get()) backBuffer_->copyTo(*screen, area, area.left, area.top);
    }
  }
  EndPaint(hwnd, &paint);
}

LRESULT Win32Window::handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOUSEMOVE:
      mouseEvent(WindowEventType::MouseMove, wParam, lParam, 0);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      mouseEvent(WindowEventType::MouseDown, wParam, lParam, 0);
      return 0;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
      mouseEvent(WindowEventType::MouseDown, wParam, lParam, kDoubleClick);
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      mouseEvent(WindowEventType::MouseUp, wParam, lParam, 0);
      return 0;
    // The extra buttons say "handled" with TRUE.
    case WM_XBUTTONDOWN:
      mouseEvent(WindowEventType::MouseDown, wParam, lParam, 0);
      return TRUE;
    case WM_XBUTTONDBLCLK:
      mouseEvent(WindowEventType::MouseDown, wParam, lParam, kDoubleClick);
      return TRUE;
    case WM_XBUTTONUP:
      mouseEvent(WindowEventType::MouseUp, wParam, lParam, 0);
      return TRUE;
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL: {
      POINT point{pointX(lParam), pointY(lParam)};  // on the screen
      ScreenToClient(hwnd, &point);
      WindowEvent event;
      event.type = WindowEventType::Wheel;
      event.x = point.x;
      event.y = point.y;
      event.buttons = buttonsFromKeys(GET_KEYSTATE_WPARAM(wParam)) & (kModifierShift | kModifierControl | kModifierAlt);
      event.wheelDelta = GET_WHEEL_DELTA_WPARAM(wParam);
      event.horizontal = message == WM_MOUSEHWHEEL;
      bool alive = true;
      const WindowEventResult result = send(event, alive);
      if (!alive) return 0;
      if (result.consumed) return 0;
      // A turn no view used goes on to the host's window. Not every system's
      // default handling passes a sideways one up, so it is handed over here.
      if (event.horizontal) {
        if (const HWND parent = GetParent(hwnd)) return SendMessageA(parent, message, wParam, lParam);
        return 0;
      }
      return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    case WM_MOUSELEAVE: {
      notify(WindowEventType::MouseLeave);
      return 0;
    }
    case WM_CAPTURECHANGED:
      // Taken away during a press (another window, a menu, the system):
      // the gesture ends as if the button had gone up.
      if (hasCapture_ && reinterpret_cast<HWND>(lParam) != hwnd) {
        hasCapture_ = false;
        notify(WindowEventType::CaptureLost);
      }
      return 0;
    case WM_KEYDOWN:
    case WM_KEYUP: {
      // Characters come as WM_CHAR; these bring the keys that have none.
      const std::uint8_t virt = virtualKeyOf(wParam);
      if (virt && keyEvent(message == WM_KEYDOWN ? WindowEventType::KeyDown : WindowEventType::KeyUp, 0, virt))
        return 0;
      return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    case WM_CHAR:
      // Control codes (Enter, Backspace, Escape) came as their keys already.
      if (wParam >= 0x20 && wParam != 0x7f &&
          keyEvent(WindowEventType::KeyDown, static_cast<std::int32_t>(wParam & 0xff), 0))
        return 0;
      return DefWindowProcA(hwnd, message, wParam, lParam);
    case WM_KILLFOCUS:
      if (keyboardHeld_) {
        keyboardHeld_ = false;
        previousFocus_ = nullptr;
        notify(WindowEventType::KeyboardLost);
      }
      return 0;
    case WM_PAINT:
      paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_DESTROY: {
      // The host destroyed its window (and so ours) before closing the editor.
      hasCapture_ = false;
      keyboardHeld_ = false;
      WindowEvent event;
      event.type = WindowEventType::Destroy;
      bool alive = true;
      send(event, alive);
      if (alive) setDropTarget(false);
      return 0;
    }
    case kDpiChanged:
    case kDpiChangedAfterParent: {
      // Only noted: the editor takes it up at its next idle, outside this message.
      const int dpi = message == kDpiChanged ? LOWORD(wParam) : static_cast<int>(windowDpi(hwnd));
      if (const int percent = scaleFromDpi(dpi)) systemScale_ = percent;
      return message == kDpiChanged ? 0 : DefWindowProcA(hwnd, message, wParam, lParam);
    }
    case WM_NCDESTROY:
      hwnd_ = nullptr;
      SetWindowLongPtrA(hwnd, 0, 0);
      return DefWindowProcA(hwnd, message, wParam, lParam);
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

class Win32WindowSystem final : public WindowSystem {
 public:
  std::unique_ptr<NativeWindow> createChildWindow(void* parent, int width, int height, WindowClient& client) override {
    if (parent == nullptr || width < 0 || height < 0 || !IsWindow(static_cast<HWND>(parent))) return nullptr;
    auto window = std::make_unique<Win32Window>(client, width, height);
    if (!window->create(static_cast<HWND>(parent))) return nullptr;
    return window;
  }
  const char* name() const override { return "win32"; }
  int systemScale(void* parent) override {
    if (parent && !IsWindow(static_cast<HWND>(parent))) return 0;
    return scaleFromDpi(parent ? windowDpi(static_cast<HWND>(parent)) : systemDpi());
  }
};

}  // namespace

WindowSystem& nativeWindowSystem() {
  static Win32WindowSystem system;
  return system;
}

}  // namespace sorvane::platform
