// Pop-up menus through TrackPopupMenu: the menu tree is built for one
// showing, tracked modally with the chosen command returned (no WM_COMMAND
// reaches the owner), and destroyed with its sub-menus afterwards.
#include <windows.h>

#include <string>

#include "platform/popup_menu.h"

namespace sorvane::platform {
namespace {

// Win32 reads "&" as the mark of a shortcut letter; ours are plain text.
std::string menuText(const std::string& title) {
  std::string text;
  text.reserve(title.size());
  for (char c : title) {
    text += c;
    if (c == '&') text += '&';
  }
  return text;
}

// Null when the system refuses a menu; nothing is left behind then.
HMENU buildMenu(const std::vector<PopupMenuEntry>& entries) {
  HMENU menu = CreatePopupMenu();
  if (!menu) return nullptr;
  for (const PopupMenuEntry& entry : entries) {
    UINT flags = entry.columnBreak ? MF_MENUBARBREAK : 0;
    if (entry.kind == PopupMenuEntry::Separator) {
      AppendMenuA(menu, flags | MF_SEPARATOR, 0, nullptr);
      continue;
    }
    flags |= MF_STRING;
    if (entry.checked) flags |= MF_CHECKED;
    if (entry.disabled) flags |= MF_GRAYED;
    UINT_PTR item = static_cast<UINT_PTR>(entry.command);
    HMENU submenu = nullptr;
    if (entry.kind == PopupMenuEntry::Submenu) {
      submenu = buildMenu(entry.submenu);
      if (!submenu) {
        DestroyMenu(menu);
        return nullptr;
      }
      flags |= MF_POPUP;
      item = reinterpret_cast<UINT_PTR>(submenu);
    }
    // Once appended, a sub-menu goes with its parent.
    if (!AppendMenuA(menu, flags, item, menuText(entry.title).c_str()) && submenu) DestroyMenu(submenu);
  }
  return menu;
}

class Win32PopupMenus final : public PopupMenuService {
 public:
  int track(void* ownerWindow, const PopupMenu& menu, int screenX, int screenY, bool acceptRightButton) override {
    HWND owner = static_cast<HWND>(ownerWindow);
    if (!owner || !IsWindow(owner)) return 0;
    HMENU popup = buildMenu(menu.entries);
    if (!popup) return 0;
    const UINT flags = TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | (acceptRightButton ? TPM_RIGHTBUTTON : 0);
    const int command = static_cast<int>(TrackPopupMenu(popup, flags, screenX, screenY, 0, owner, nullptr));
    DestroyMenu(popup);
    return command;
  }
};

}  // namespace

PopupMenuService& nativePopupMenus() {
  static Win32PopupMenus menus;
  return menus;
}

}  // namespace sorvane::platform
