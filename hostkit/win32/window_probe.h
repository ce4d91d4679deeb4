// What the Windows window tests ask of the system beyond the host window:
// the facts of a window and its class, and the modal steps (pop-up menus,
// dialogs) answered from a second thread with a watchdog, so that a menu or
// dialog that never comes or never goes fails a test instead of blocking it.
// Test support only; no product code uses it.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace sorvane::hostkit::win32probe {

struct WindowFacts {
  std::string className;
  std::string title;
  int x = 0, y = 0;  // top-left in the parent's client area
  int width = 0, height = 0;
  void* parent = nullptr;
  void* userData = nullptr;  // GWLP_USERDATA
  bool child = false, visible = false, clipChildren = false, clipSiblings = false, composited = false;
  // Of its class:
  bool doubleClicks = false, globalClass = false, backgroundBrush = false, arrowCursor = false;
};

// False when window is no window.
bool describeWindow(void* window, WindowFacts& facts);
void* firstChildWindow(void* parent);
bool windowExists(void* window);

// Another window takes the mouse, as the system does for a menu or a
// window of another program during a press.
void takeMouseCapture(void* window);
// The window that holds the mouse now (null for none).
void* mouseCaptureWindow();

// The window with this thread's keyboard focus (null for none), and giving
// it to a window (its top-level window brought to the front first), as a
// click on a host's own window would.
void* focusWindow();
bool giveFocus(void* window);
// Each key (a Windows virtual key; '0'..'9' and 'A'..'Z' are their own)
// pressed and released through the system's input, as a keyboard types: the
// window with the keyboard focus gets them when its thread next reads its
// messages. False when the system took none.
bool typeKeys(const std::vector<int>& virtualKeys);

// Moves the system's pointer to x, y of window's client area (or far from
// it, to the screen's bottom-right corner, for a null window).
void movePointer(void* window, int x, int y);

// The module (program or DLL) holding an address, and the class name its
// editor windows get.
void* moduleOf(const void* address);
void* loadedModule(const char* fileName);
std::string editorClassName(void* module);
bool classRegistered(void* module, const std::string& className);
int systemMajorVersion();

// The DPI the system reports for window (GetDpiForWindow), or 0 where the
// system has no such function.
int windowDpi(void* window);
// Tells window its screen's DPI changed to dpi, as the system does when a
// window moves to another screen or the setting changes (WM_DPICHANGED).
void sendDpiChanged(void* window, int dpi);

// The keys a test sends into a pop-up menu.
enum class Key { Down, Up, Right, Left, Return, Escape };

// Answers a modal window of this process from a thread of its own: waits
// for it to open, answers it, and fails (closing it: EndMenu, WM_CANCELMODE,
// IDCANCEL) when it has not opened, or is still open, after timeoutMs (at
// most 20 s). Until finish() it closes every such window that shows up; if
// the test has not come back 28 s after the start, it ends the program.
// Start it before the step that opens the window; finish() after that step.
class ModalWatchdog {
 public:
  virtual ~ModalWatchdog();
  ModalWatchdog(const ModalWatchdog&) = delete;
  ModalWatchdog& operator=(const ModalWatchdog&) = delete;
  // Waits for the thread; empty when the window opened, took the answer and
  // closed, otherwise what went wrong.
  std::string finish();

 protected:
  enum class Modal { PopupMenu, Dialog };
  ModalWatchdog(Modal modal, std::vector<Key> keys, int timeoutMs);

 private:
  void run();
  Modal modal_;
  std::vector<Key> keys_;
  int timeoutMs_;
  std::atomic<bool> stop_{false};
  std::string problem_;
  std::thread thread_;
};

// A pop-up menu gets the keys, in order.
class MenuDriver : public ModalWatchdog {
 public:
  MenuDriver(std::vector<Key> keys, int timeoutMs) : ModalWatchdog(Modal::PopupMenu, std::move(keys), timeoutMs) {}
};

// A dialog box gets IDCANCEL.
class DialogCanceller : public ModalWatchdog {
 public:
  explicit DialogCanceller(int timeoutMs) : ModalWatchdog(Modal::Dialog, {}, timeoutMs) {}
};

// A drag of files over window at x, y (client coordinates) and a drop there,
// through the drop target registered for it, as OLE's drag loop makes them.
struct DropOutcome {
  bool registered = false;  // a drop target is registered for the window
  unsigned enterEffect = 0, overEffect = 0, dropEffect = 0;
};
DropOutcome dragAndDropFiles(void* window, const std::vector<std::string>& files, int x, int y);

// Sets or clears an environment variable of the process (for the window
// code's switches, read when a window is made).
void setEnvironment(const char* name, const char* value);

}  // namespace sorvane::hostkit::win32probe
