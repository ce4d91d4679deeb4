// A pop-up menu behind a control. The control shows the current entry's
// title (or only its bitmaps); a click opens the menu through the platform's
// menu service, modally. Entries carry one running command number across the
// whole tree, so the answer names the menu and the entry; a choice in a
// sub-menu is reported to the top menu's listener with the sub-menu as the
// control (sub-menus carry the top menu's tag). The menu loop may run code
// that changes the menus (a host's idle, say): a choice counts only when
// every menu the pop-up was built from still has the entries it had, the
// chosen one can still be chosen, and this menu is still in its open frame.
//
// Titles: addEntry("-") makes a separator, as the toolkit's own fixed lists
// expect. Titles that come from data (file, folder and program names) go in
// through addItem, which shows every title as written: "-" stays a dash and
// "&" never becomes a shortcut mark.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "gui/controls/cparamdisplay.h"
#include "platform/popup_menu.h"

namespace sorvane {

class COptionMenu;

class CMenuItem {
 public:
  enum Flags { kNoFlags = 0, kDisabled = 1 << 0, kTitle = 1 << 1, kChecked = 1 << 2, kSeparator = 1 << 3 };

  // Takes over the creator's reference to submenu.
  CMenuItem(const char* title, int flags = kNoFlags, COptionMenu* submenu = nullptr);
  ~CMenuItem();
  CMenuItem(const CMenuItem&) = delete;
  CMenuItem& operator=(const CMenuItem&) = delete;

  const std::string& getTitle() const { return title_; }
  void setTitle(const char* title) { title_ = title ? title : ""; }
  int getFlags() const { return flags_; }
  bool isSeparator() const { return flags_ & kSeparator; }
  bool isChecked() const { return flags_ & kChecked; }
  bool isEnabled() const { return !(flags_ & kDisabled); }
  bool isTitle() const { return flags_ & kTitle; }
  void setChecked(bool state) { flags_ = state ? (flags_ | kChecked) : (flags_ & ~kChecked); }
  void setEnabled(bool state) { flags_ = state ? (flags_ & ~kDisabled) : (flags_ | kDisabled); }
  COptionMenu* getSubmenu() const { return submenu_; }

 private:
  std::string title_;
  int flags_;
  COptionMenu* submenu_;
};

class COptionMenu : public CParamDisplay {
 public:
  COptionMenu(const CRect& size, CControlListener* listener, std::int32_t tag, CBitmap* background = nullptr,
              CBitmap* backgroundWhileOpen = nullptr, std::int32_t style = 0);
  ~COptionMenu() override;

  // Appends (index -1) or inserts an entry; the title "-" exactly makes a separator.
  bool addEntry(const char* title, int index = -1, int flags = CMenuItem::kNoFlags);
  // An entry that opens submenu; takes over the creator's reference.
  bool addEntry(COptionMenu* submenu, const char* title);
  // An entry whose title is shown exactly as given, whatever it is.
  bool addItem(const char* title, int flags = CMenuItem::kNoFlags);
  bool addSeparator();
  bool removeEntry(int index);
  bool removeAllEntry();

  int getNbEntries() const { return static_cast<int>(entries_.size()); }
  CMenuItem* getEntry(int index) const;
  // The index-th entry that has a sub-menu, counted in entry order.
  COptionMenu* getSubMenu(int index) const;
  int getNbSubMenus() const;
  bool checkEntry(int index, bool state);
  // Only index carries the checked flag afterwards.
  bool checkEntryAlone(int index);
  bool isCheckEntry(int index) const;
  int getCurrentIndex() const { return currentIndex_; }
  CMenuItem* getCurrent() const { return getEntry(currentIndex_); }
  // The entry index of the last choice and the menu it was made in.
  int getLastResult() const { return lastResult_; }
  COptionMenu* getLastItemMenu(int& indexInMenu) const;

  void setNbItemsPerColumn(int count) { itemsPerColumn_ = count; }
  void setPrefixNumbers(int digits) { prefixNumbers_ = digits; }
  void setBackgroundWhileOpen(CBitmap* bitmap);

  // The entry at the value's whole part becomes current; out of range, NaN
  // and infinities are ignored.
  void setValue(float value) override;
  void draw(CDrawContext* context) override;
  CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
  bool isTypeOf(const char* className) const override;

  // Opens the pop-up now, as a click would; true when something was chosen.
  bool popup(bool acceptRightButton = false);

 private:
  struct CommandTarget {
    COptionMenu* menu;
    int index;
  };
  struct BuiltMenu {
    COptionMenu* menu;
    std::uint32_t revision;
  };
  void buildPopup(platform::PopupMenu& out, std::vector<CommandTarget>& targets, std::vector<BuiltMenu>& built);
  void buildEntries(std::vector<platform::PopupMenuEntry>& out, std::vector<CommandTarget>& targets,
                    std::vector<BuiltMenu>& built);
  // The entry a pop-up's command names, if it may still be chosen.
  CMenuItem* stillChoosable(const CommandTarget& target, const std::vector<BuiltMenu>& built) const;

  std::vector<std::unique_ptr<CMenuItem>> entries_;
  std::uint32_t revision_ = 0;  // moves with every entry added or removed
  int currentIndex_ = -1;
  int lastResult_ = -1;
  COptionMenu* lastMenu_ = nullptr;  // not owned: this menu or one of its sub-menus
  int prefixNumbers_ = 0;
  int itemsPerColumn_ = -1;
  CBitmap* backgroundWhileOpen_ = nullptr;  // one reference held
  bool open_ = false;
};

}  // namespace sorvane
