#include "gui/controls/coptionmenu.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "gui/draw/cbitmap.h"
#include "gui/views/cframe.h"

namespace sorvane {
namespace {

// Columns are only made for lists a screen can hold.
constexpr int kMaxEntriesForColumns = 160;

}  // namespace

CMenuItem::CMenuItem(const char* title, int flags, COptionMenu* submenu)
    : title_(title ? title : ""), flags_(flags), submenu_(submenu) {}

CMenuItem::~CMenuItem() {
  if (submenu_) submenu_->forget();
}

COptionMenu::COptionMenu(const CRect& size, CControlListener* listener, std::int32_t tag, CBitmap* background,
                         CBitmap* backgroundWhileOpen, std::int32_t style)
    : CParamDisplay(size, background, style) {
  this->listener = listener;
  this->tag = tag;
  setBackgroundWhileOpen(backgroundWhileOpen);
}

COptionMenu::~COptionMenu() {
  removeAllEntry();
  if (backgroundWhileOpen_) backgroundWhileOpen_->forget();
}

void COptionMenu::setBackgroundWhileOpen(CBitmap* bitmap) {
  if (bitmap) bitmap->remember();
  if (backgroundWhileOpen_) backgroundWhileOpen_->forget();
  backgroundWhileOpen_ = bitmap;
}

bool COptionMenu::addEntry(const char* title, int index, int flags) {
  if (title && std::strcmp(title, "-") == 0) flags |= CMenuItem::kSeparator;
  auto item = std::make_unique<CMenuItem>(title, flags);
  if (index < 0 || index >= getNbEntries())
    entries_.push_back(std::move(item));
  else
    entries_.insert(entries_.begin() + index, std::move(item));
  ++revision_;
  return true;
}

bool COptionMenu::addEntry(COptionMenu* submenu, const char* title) {
  if (submenu == nullptr || submenu == this) return false;
  entries_.push_back(std::make_unique<CMenuItem>(title, CMenuItem::kNoFlags, submenu));
  ++revision_;
  return true;
}

bool COptionMenu::addItem(const char* title, int flags) {
  entries_.push_back(std::make_unique<CMenuItem>(title, flags & ~CMenuItem::kSeparator));
  ++revision_;
  return true;
}

bool COptionMenu::addSeparator() {
  entries_.push_back(std::make_unique<CMenuItem>("", CMenuItem::kSeparator));
  ++revision_;
  return true;
}

bool COptionMenu::removeEntry(int index) {
  if (index < 0 || index >= getNbEntries()) return false;
  // The last choice may lie in the sub-menu that goes with the entry.
  if (entries_[static_cast<size_t>(index)]->getSubmenu() || lastMenu_ == this) {
    lastMenu_ = nullptr;
    lastResult_ = -1;
  }
  entries_.erase(entries_.begin() + index);
  if (currentIndex_ >= getNbEntries()) currentIndex_ = -1;
  ++revision_;
  return true;
}

bool COptionMenu::removeAllEntry() {
  entries_.clear();
  currentIndex_ = -1;
  lastResult_ = -1;
  lastMenu_ = nullptr;
  ++revision_;
  return true;
}

CMenuItem* COptionMenu::getEntry(int index) const {
  if (index < 0 || index >= getNbEntries()) return nullptr;
  return entries_[static_cast<size_t>(index)].get();
}

COptionMenu* COptionMenu::getSubMenu(int index) const {
  for (const auto& item : entries_) {
    if (!item->getSubmenu()) continue;
    if (index-- == 0) return item->getSubmenu();
  }
  return nullptr;
}

int COptionMenu::getNbSubMenus() const {
  int count = 0;
  for (const auto& item : entries_) count += item->getSubmenu() ? 1 : 0;
  return count;
}

bool COptionMenu::checkEntry(int index, bool state) {
  CMenuItem* item = getEntry(index);
  if (!item) return false;
  item->setChecked(state);
  return true;
}

bool COptionMenu::checkEntryAlone(int index) {
  if (!getEntry(index)) return false;
  for (int i = 0; i < getNbEntries(); ++i) entries_[static_cast<size_t>(i)]->setChecked(i == index);
  return true;
}

bool COptionMenu::isCheckEntry(int index) const {
  const CMenuItem* item = getEntry(index);
  return item && item->isChecked();
}

COptionMenu* COptionMenu::getLastItemMenu(int& indexInMenu) const {
  indexInMenu = lastMenu_ ? lastMenu_->lastResult_ : -1;
  return lastMenu_;
}

void COptionMenu::setValue(float v) {
  // Tested in float first: a huge or NaN value has no integer to become.
  if (!(v >= 0.0f) || !(v < static_cast<float>(getNbEntries()))) return;
  const int index = static_cast<int>(v);
  if (index >= getNbEntries()) return;
  currentIndex_ = index;
  if ((style & kMultipleCheckStyle & ~kCheckStyle) != 0) {
    CMenuItem* item = getEntry(index);
    item->setChecked(!item->isChecked());
  }
  value = v;
  setDirty();
}

void COptionMenu::draw(CDrawContext* context) {
  CMenuItem* current = getCurrent();
  CBitmap* shown = open_ && backgroundWhileOpen_ ? backgroundWhileOpen_ : nullptr;
  drawText(context, current ? current->getTitle().c_str() : nullptr, shown);
}

void COptionMenu::buildPopup(platform::PopupMenu& out, std::vector<CommandTarget>& targets,
                             std::vector<BuiltMenu>& built) {
  targets.clear();
  built.clear();
  targets.push_back({nullptr, -1});  // command 0 means nothing chosen
  buildEntries(out.entries, targets, built);
}

void COptionMenu::buildEntries(std::vector<platform::PopupMenuEntry>& out, std::vector<CommandTarget>& targets,
                               std::vector<BuiltMenu>& built) {
  built.push_back({this, revision_});
  const int count = getNbEntries();
  const bool multipleCheck = (style & kMultipleCheckStyle & ~kCheckStyle) != 0;
  for (int i = 0; i < count; ++i) {
    const CMenuItem& item = *entries_[static_cast<size_t>(i)];
    platform::PopupMenuEntry entry;
    if (itemsPerColumn_ > 0 && count < kMaxEntriesForColumns && i > 0 && i % itemsPerColumn_ == 0)
      entry.columnBreak = true;
    if (item.isSeparator()) {
      entry.kind = platform::PopupMenuEntry::Separator;
      out.push_back(std::move(entry));
      continue;
    }
    char numbered[512];
    const char* formats[] = {"%1d %s", "%02d %s", "%03d %s"};
    if (prefixNumbers_ >= 2 && prefixNumbers_ <= 4) {
      std::snprintf(numbered, sizeof(numbered), formats[prefixNumbers_ - 2], i + 1, item.getTitle().c_str());
      entry.title = numbered;
    } else {
      entry.title = item.getTitle();
    }
    entry.disabled = !item.isEnabled() || item.isTitle();
    entry.checked = item.isChecked() && (multipleCheck || ((style & kCheckStyle) && i == currentIndex_));
    if (COptionMenu* sub = item.getSubmenu()) {
      entry.kind = platform::PopupMenuEntry::Submenu;
      sub->buildEntries(entry.submenu, targets, built);
    } else {
      entry.kind = platform::PopupMenuEntry::Command;
      entry.command = static_cast<int>(targets.size());
      targets.push_back({this, i});
    }
    out.push_back(std::move(entry));
  }
}

CMenuItem* COptionMenu::stillChoosable(const CommandTarget& target, const std::vector<BuiltMenu>& built) const {
  // A menu whose entries came or went is not the one the user saw; nor is a
  // sub-menu taken out of the tree, as its parent's entries changed then.
  for (const BuiltMenu& b : built)
    if (b.menu->revision_ != b.revision) return nullptr;
  CMenuItem* item = target.menu->getEntry(target.index);
  if (!item || item->isSeparator() || item->getSubmenu() || !item->isEnabled() || item->isTitle()) return nullptr;
  return item;
}

bool COptionMenu::popup(bool acceptRightButton) {
  if (!parentFrame || !parentFrame->isWindowOpen()) return false;
  CFrame* frame = parentFrame;
  const platform::UiServices& services = frame->getServices();
  if (!services.menus) return false;

  platform::PopupMenu menu;
  std::vector<CommandTarget> targets;
  std::vector<BuiltMenu> built;
  buildPopup(menu, targets, built);
  // The menus stay whole while the pop-up is open, whatever leaves the tree.
  for (const BuiltMenu& b : built) b.menu->remember();

  CPoint corner(size.left, (style & kPopupStyle) ? size.top : size.bottom);
  localToFrame(corner);
  corner = frame->panelToWindow(corner);
  int originX = 0, originY = 0;
  frame->getNativeWindow()->screenOrigin(originX, originY);
  void* owner = frame->getSystemWindow();

  // The menu loop may run host code that closes the editor: the frame stays
  // whole until it returns.
  frame->remember();
  const int command = services.menus->track(owner, menu, originX + corner.x, originY + corner.y, acceptRightButton);

  bool chosen = false;
  const bool stillShown = isAttached() && parentFrame == frame && frame->isWindowOpen();
  if (command > 0 && command < static_cast<int>(targets.size()) && stillShown) {
    const CommandTarget target = targets[static_cast<size_t>(command)];
    if (stillChoosable(target, built)) {
      lastMenu_ = target.menu;
      lastResult_ = target.index;
      target.menu->lastMenu_ = target.menu;
      target.menu->lastResult_ = target.index;
      target.menu->setValue(static_cast<float>(target.index));
      if (listener) listener->valueChanged(target.menu);
      chosen = true;
    }
  }
  frame->forget();
  // Sub-menus first: this menu is the first of them, and its last reference
  // may go here.
  for (auto b = built.rbegin(); b != built.rend(); ++b) b->menu->forget();
  return chosen;
}

CMouseEventResult COptionMenu::onMouseDown(CPoint&, const CButtonState& buttons) {
  if (!(buttons & (kLButton | kRButton | kApple))) return kMouseEventNotHandled;
  remember();
  beginEdit();
  open_ = true;
  if (backgroundWhileOpen_) {
    invalid();
    if (parentFrame) parentFrame->updateWindow();
  }
  popup((buttons & kRButton) != 0);
  open_ = false;
  if (backgroundWhileOpen_) invalid();
  if (parentFrame) parentFrame->setFocusView(nullptr);
  endEdit();
  forget();
  return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

bool COptionMenu::isTypeOf(const char* className) const {
  if (className && std::strcmp(className, "COptionMenu") == 0) return true;
  return CParamDisplay::isTypeOf(className);
}

}  // namespace sorvane
