#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "hostkit/win32/window_probe.h"

namespace sorvane::hostkit::win32probe {
namespace {

using Clock = std::chrono::steady_clock;

// The latest deadline a watchdog takes: it closes the window then, and
// whatever of its class shows up after, until the test goes on.
constexpr int kLongestDeadlineMs = 20000;
// When the test has not gone on this long after the watchdog started, the
// watchdog ends the process: a modal loop it could not close must not hold
// the run until the harness's own time-out. So every modal step of a window
// test ends within 30 s.
constexpr auto kLastResort = std::chrono::seconds(28);

// A visible top-level window of this process with that class, or null.
HWND findOwnWindow(const char* className) {
  struct Search {
    const char* className;
    HWND found;
  } search{className, nullptr};
  EnumWindows(
      [](HWND window, LPARAM context) -> BOOL {
        auto* s = reinterpret_cast<Search*>(context);
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        char name[64] = {};
        if (process != GetCurrentProcessId() || !IsWindowVisible(window) || !GetClassNameA(window, name, sizeof name))
          return TRUE;
        if (std::strcmp(name, s->className) != 0) return TRUE;
        s->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void closeMenus() {
  EndMenu();
  if (HWND menu = findOwnWindow("#32768")) PostMessageA(menu, WM_CANCELMODE, 0, 0);
}

void closeDialogs() {
  if (HWND dialog = findOwnWindow("#32770")) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

// Waits until what the test thread is blocked in has ended (stop), closing
// every window of the class that shows up meanwhile; ends the process when
// the test does not come back at all.
void holdUntilStopped(const std::atomic<bool>& stop, const char* className, void (*close)(), const char* what,
                      Clock::time_point giveUp) {
  while (!stop.load()) {
    if (findOwnWindow(className)) close();
    if (Clock::now() > giveUp) {
      std::fprintf(stderr, "watchdog: the test did not come back from its %s within 28 s; ending the test program\n",
                   what);
      std::fflush(stderr);
      std::_Exit(70);
    }
    Sleep(20);
  }
}

WPARAM virtualKey(Key key) {
  switch (key) {
    case Key::Down:
      return VK_DOWN;
    case Key::Up:
      return VK_UP;
    case Key::Right:
      return VK_RIGHT;
    case Key::Left:
      return VK_LEFT;
    case Key::Return:
      return VK_RETURN;
    case Key::Escape:
      return VK_ESCAPE;
  }
  return VK_ESCAPE;
}

// A file list in the shell's CF_HDROP layout (8-bit names).
HGLOBAL makeFileList(const std::vector<std::string>& files) {
  std::size_t size = sizeof(DROPFILES) + 1;
  for (const std::string& f : files) size += f.size() + 1;
  HGLOBAL memory = GlobalAlloc(GHND, size);
  if (!memory) return nullptr;
  auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
  header->pFiles = sizeof(DROPFILES);
  header->fWide = FALSE;
  char* names = reinterpret_cast<char*>(header) + sizeof(DROPFILES);
  for (const std::string& f : files) {
    std::memcpy(names, f.c_str(), f.size() + 1);
    names += f.size() + 1;
  }
  GlobalUnlock(memory);
  return memory;
}

// What a drag source offers: the file list, as a copy for each taker.
class FileListData final : public IDataObject {
 public:
  explicit FileListData(std::vector<std::string> files) : files_(std::move(files)) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    if (!object) return E_POINTER;
    if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDataObject)) {
      *object = static_cast<IDataObject*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  // Lives on the caller's stack; the counts only keep OLE's bookkeeping.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (QueryGetData(format) != S_OK || !medium) return DV_E_FORMATETC;
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = makeFileList(files_);
    medium->pUnkForRelease = nullptr;
    return medium->hGlobal ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
    return format && format->cfFormat == CF_HDROP && (format->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    if (out) out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

 private:
  std::vector<std::string> files_;
};

}  // namespace

bool describeWindow(void* handle, WindowFacts& facts) {
  HWND window = static_cast<HWND>(handle);
  if (!window || !IsWindow(window)) return false;
  char text[256] = {};
  GetClassNameA(window, text, sizeof text);
  facts.className = text;
  text[0] = '\0';
  GetWindowTextA(window, text, sizeof text);
  facts.title = text;
  RECT client{};
  GetClientRect(window, &client);
  facts.width = client.right - client.left;
  facts.height = client.bottom - client.top;
  HWND parent = GetParent(window);
  facts.parent = parent;
  POINT origin{0, 0};
  MapWindowPoints(window, parent, &origin, 1);
  facts.x = origin.x;
  facts.y = origin.y;
  facts.userData = reinterpret_cast<void*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  const LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
  const LONG_PTR extended = GetWindowLongPtrA(window, GWL_EXSTYLE);
  facts.child = (style & WS_CHILD) != 0;
  facts.visible = (style & WS_VISIBLE) != 0;
  facts.clipChildren = (style & WS_CLIPCHILDREN) != 0;
  facts.clipSiblings = (style & WS_CLIPSIBLINGS) != 0;
  facts.composited = (extended & WS_EX_COMPOSITED) != 0;
  const ULONG_PTR classStyle = GetClassLongPtrA(window, GCL_STYLE);
  facts.doubleClicks = (classStyle & CS_DBLCLKS) != 0;
  facts.globalClass = (classStyle & CS_GLOBALCLASS) != 0;
  facts.backgroundBrush = GetClassLongPtrA(window, GCLP_HBRBACKGROUND) != 0;
  facts.arrowCursor = reinterpret_cast<HCURSOR>(GetClassLongPtrA(window, GCLP_HCURSOR)) ==
                      LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  return true;
}

void* firstChildWindow(void* parent) { return parent ? GetWindow(static_cast<HWND>(parent), GW_CHILD) : nullptr; }

bool windowExists(void* window) { return window && IsWindow(static_cast<HWND>(window)); }

void takeMouseCapture(void* window) { SetCapture(static_cast<HWND>(window)); }

void* mouseCaptureWindow() { return GetCapture(); }

void* focusWindow() { return GetFocus(); }

bool giveFocus(void* window) {
  const HWND hwnd = static_cast<HWND>(window);
  if (!IsWindow(hwnd)) return false;
  SetForegroundWindow(GetAncestor(hwnd, GA_ROOT));
  SetFocus(hwnd);
  return GetFocus() == hwnd;
}

bool typeKeys(const std::vector<int>& virtualKeys) {
  std::vector<INPUT> inputs;
  for (int key : virtualKeys) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = static_cast<WORD>(key);
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(static_cast<UINT>(key), MAPVK_VK_TO_VSC));
    inputs.push_back(input);
    input.ki.dwFlags = KEYEVENTF_KEYUP;
    inputs.push_back(input);
  }
  if (inputs.empty()) return true;
  return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
}

void movePointer(void* window, int x, int y) {
  POINT point{x, y};
  if (window)
    ClientToScreen(static_cast<HWND>(window), &point);
  else
    point = POINT{GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1};
  SetCursorPos(point.x, point.y);
}

void* moduleOf(const void* address) {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     static_cast<LPCSTR>(address), &module);
  return module;
}

void* loadedModule(const char* fileName) { return GetModuleHandleA(fileName); }

std::string editorClassName(void* module) {
  char name[40];
  std::snprintf(name, sizeof name, "Plugin%p", module);
  return name;
}

bool classRegistered(void* module, const std::string& className) {
  WNDCLASSEXA description{};
  description.cbSize = sizeof description;
  return GetClassInfoExA(static_cast<HINSTANCE>(module), className.c_str(), &description) != 0;
}

int systemMajorVersion() { return static_cast<int>(GetVersion() & 0xFF); }

int windowDpi(void* window) {
  using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
  HMODULE user32 = GetModuleHandleA("user32.dll");
  const auto getDpi = user32 ? reinterpret_cast<GetDpiForWindowFunction>(
                                   reinterpret_cast<void*>(GetProcAddress(user32, "GetDpiForWindow")))
                             : nullptr;
  return getDpi ? static_cast<int>(getDpi(static_cast<HWND>(window))) : 0;
}

void sendDpiChanged(void* window, int dpi) {
  RECT suggested{};
  GetWindowRect(static_cast<HWND>(window), &suggested);
  const WPARAM dpis = MAKEWPARAM(dpi, dpi);
  SendMessageA(static_cast<HWND>(window), 0x02E0 /* WM_DPICHANGED */, dpis, reinterpret_cast<LPARAM>(&suggested));
}

ModalWatchdog::ModalWatchdog(Modal modal, std::vector<Key> keys, int timeoutMs)
    : modal_(modal),
      keys_(std::move(keys)),
      timeoutMs_(std::min(timeoutMs, kLongestDeadlineMs)),
      thread_([this] { run(); }) {}

ModalWatchdog::~ModalWatchdog() { finish(); }

std::string ModalWatchdog::finish() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  return problem_;
}

void ModalWatchdog::run() {
  const bool menu = modal_ == Modal::PopupMenu;
  const char* className = menu ? "#32768" : "#32770";
  const std::string what = menu ? "pop-up menu" : "dialog";
  void (*close)() = menu ? closeMenus : closeDialogs;
  const auto start = Clock::now();
  const auto deadline = start + std::chrono::milliseconds(timeoutMs_);
  const auto giveUp = start + kLastResort;
  HWND window = nullptr;
  while (!window && !stop_ && Clock::now() < deadline) {
    window = findOwnWindow(className);
    if (!window) Sleep(10);
  }
  if (!window) {
    if (!stop_) problem_ = "no " + what + " opened within " + std::to_string(timeoutMs_) + " ms";
    holdUntilStopped(stop_, className, close, what.c_str(), giveUp);
    return;
  }
  if (menu) {
    Sleep(50);  // the menu's loop has started
    for (Key key : keys_) {
      PostMessageA(window, WM_KEYDOWN, virtualKey(key), 1);
      Sleep(20);
    }
  } else {
    Sleep(100);  // the dialog has finished setting itself up
    PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
  }
  while (IsWindow(window) && IsWindowVisible(window) && Clock::now() < deadline) Sleep(10);
  if (IsWindow(window) && IsWindowVisible(window)) {
    problem_ = "the " + what + " was still open after " + std::to_string(timeoutMs_) + " ms";
    close();
  }
  holdUntilStopped(stop_, className, close, what.c_str(), giveUp);
}

DropOutcome dragAndDropFiles(void* handle, const std::vector<std::string>& files, int x, int y) {
  DropOutcome outcome;
  HWND window = static_cast<HWND>(handle);
  // Where RegisterDragDrop keeps the target for the window's own thread.
  auto* target = static_cast<IDropTarget*>(GetPropA(window, "OleDropTargetInterface"));
  outcome.registered = target != nullptr;
  if (!target) return outcome;
  POINT screen{x, y};
  ClientToScreen(window, &screen);
  const POINTL point{screen.x, screen.y};
  FileListData data(files);
  const DWORD offered = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
  DWORD effect = offered;
  target->DragEnter(&data, MK_LBUTTON, point, &effect);
  outcome.enterEffect = effect;
  effect = offered;
  target->DragOver(MK_LBUTTON, point, &effect);
  outcome.overEffect = effect;
  effect = offered;
  target->Drop(&data, 0, point, &effect);
  outcome.dropEffect = effect;
  return outcome;
}

void setEnvironment(const char* name, const char* value) { SetEnvironmentVariableA(name, value); }

}  // namespace sorvane::hostkit::win32probe
