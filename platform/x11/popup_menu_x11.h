// Pop-up menus drawn by our own code in override-redirect windows on the X
// display of the window that owns them.
#pragma once

#include "platform/popup_menu.h"

namespace sorvane::platform::x11 {

PopupMenuService& x11PopupMenus();

}  // namespace sorvane::platform::x11
