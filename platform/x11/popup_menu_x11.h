// Pop-up menus drawn by our own code in override-redirect windows on the X
// display of the window that owns them.
#pragma once

#include "platform/popup_menu.h"

namespace sorvane::platform::x11 {

PopupMenuService& x11PopupMenus();

// Ends every pop-up menu of the process that is open now, choosing nothing
// (a test's watchdog: any thread may call it). A menu opened afterwards is
// not affected.
void cancelPopupMenus();

}  // namespace sorvane::platform::x11
