// Pop-up menus: the toolkit describes a menu tree, the service shows it
// modally and answers with the command number of the chosen entry.
#pragma once

#include <string>
#include <vector>

namespace sorvane::platform {

struct PopupMenuEntry {
  enum Kind { Command, Separator, Submenu };
  Kind kind = Command;
  std::string title;  // shown exactly as written: "&" is no shortcut mark
  int command = 0;    // Command: what track answers when this entry is chosen (> 0)
  bool checked = false;
  bool disabled = false;     // greyed, cannot be chosen
  bool columnBreak = false;  // starts a new column
  std::vector<PopupMenuEntry> submenu;
};

struct PopupMenu {
  std::vector<PopupMenuEntry> entries;
};

class PopupMenuService {
 public:
  virtual ~PopupMenuService() = default;
  // Shows the menu with its top-left at screenX, screenY, owned by the
  // system window, and blocks until the user chooses or dismisses it. The
  // right button chooses too when acceptRightButton. Answers the chosen
  // command, or 0 for none.
  virtual int track(void* ownerWindow, const PopupMenu& menu, int screenX, int screenY, bool acceptRightButton) = 0;
};

// The system's pop-up menus (a service that never chooses where there are none).
PopupMenuService& nativePopupMenus();

}  // namespace sorvane::platform
