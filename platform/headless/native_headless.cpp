// Where the build has no window system of its own, the editor's window is a
// headless one and pop-up menus choose nothing.
#include "platform/headless/headless_window.h"
#include "platform/popup_menu.h"

namespace sorvane::platform {
namespace {

class NoPopupMenus final : public PopupMenuService {
 public:
  int track(void*, const PopupMenu&, int, int, bool) override { return 0; }
};

}  // namespace

WindowSystem& nativeWindowSystem() { return headlessWindowSystem(); }

PopupMenuService& nativePopupMenus() {
  static NoPopupMenus menus;
  return menus;
}

}  // namespace sorvane::platform
