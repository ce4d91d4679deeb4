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

namespace sorvane::platform::win32probe {

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

// The keys a test sends into a pop-up menu.
enum class Key { Down, Up, Right, Left, Return, Escape };

// Waits on a thread of its own for a pop-up menu of this process to open,
// then posts the keys to it. If the menu has not appeared, or is still open,
// when timeoutMs runs out, it closes it (EndMenu, WM_CANCELMODE) and reports
// the failure. Start it before the click that opens the menu.
class MenuDriver {
 public:
  MenuDriver(std::vector<Key> keys, int timeoutMs);
  ~MenuDriver();
  MenuDriver(const MenuDriver&) = delete;
  MenuDriver& operator=(const MenuDriver&) = delete;
  // Waits for the thread; empty when a menu opened, took the keys and closed.
  std::string finish();

 private:
  void run();
  std::vector<Key> keys_;
  int timeoutMs_;
  std::atomic<bool> stop_{false};
  std::string problem_;
  std::thread thread_;
};

// The same for a dialog box of this process: when one opens, it gets
// IDCANCEL; a dialog that does not come, or does not go, fails.
class DialogCanceller {
 public:
  explicit DialogCanceller(int timeoutMs);
  ~DialogCanceller();
  DialogCanceller(const DialogCanceller&) = delete;
  DialogCanceller& operator=(const DialogCanceller&) = delete;
  // Empty when a dialog opened and was closed by the cancel.
  std::string finish();

 private:
  void run();
  int timeoutMs_;
  std::atomic<bool> stop_{false};
  std::string problem_;
  std::thread thread_;
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

}  // namespace sorvane::platform::win32probe
