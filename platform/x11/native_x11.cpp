// The system's windows and menus on Linux and other X systems: X11 when a
// display can be reached when the editor first asks, the headless window
// otherwise (a host without a display loads the plug-in and opens an editor
// nobody sees, instead of failing or crashing).
#include "platform/headless/headless_window.h"
#include "platform/x11/popup_menu_x11.h"
#include "platform/x11/x11_window.h"

namespace sorvane::platform {
namespace {

class NoPopupMenus final : public PopupMenuService {
 public:
  int track(void*, const PopupMenu&, int, int, bool) override { return 0; }
};

bool useX11() {
  static const bool reachable = x11::displayReachable();
  return reachable;
}

}  // namespace

WindowSystem& nativeWindowSystem() {
  if (useX11()) return x11::x11WindowSystem();
  return headlessWindowSystem();
}

PopupMenuService& nativePopupMenus() {
  static NoPopupMenus none;
  if (useX11()) return x11::x11PopupMenus();
  return none;
}

}  // namespace sorvane::platform
