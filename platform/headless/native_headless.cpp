// Where the build has no window system of its own, the editor's window is a
// headless one, pop-up menus choose nothing and no host window can be made.
#include "platform/headless/headless_window.h"
#include "platform/host_window.h"
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

std::unique_ptr<HostWindow> createHostWindow(const char*, int, int) { return nullptr; }

}  // namespace sorvane::platform
