#include "platform/menu/menu_model.h"

#include <algorithm>
#include <cstdlib>

#include "platform/software/draw_text.h"

namespace sorvane::platform::menu {
namespace {

// A pointer that travels this far after the menu opened is dragging into it.
constexpr int kDragSlop = 3;

DrawRect offset(const DrawRect& r, int dx, int dy) {
  return DrawRect{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

bool contains(const DrawRect& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

// A length at percent, by the editor's edge rule (lengths are never negative here).
int scaled(int length, int percent) { return static_cast<int>((2LL * length * percent + 100) / 200); }

}  // namespace

MenuStyle scaledMenuStyle(int percent, const MenuStyle& style) {
  if (percent <= 0) percent = 100;
  MenuStyle out = style;
  for (int* length : {&out.font.size, &out.itemHeight, &out.separatorHeight, &out.border, &out.paddingY,
                      &out.checkWidth, &out.textRight, &out.arrowWidth, &out.minimumWidth})
    *length = scaled(*length, percent);
  out.percent = percent;
  return out;
}

bool isActive(const PopupMenuEntry& entry) { return entry.kind != PopupMenuEntry::Separator && !entry.disabled; }

PanelLayout layoutPanel(const std::vector<PopupMenuEntry>& entries, const TextMeasure& measure,
                        const MenuStyle& style) {
  // Columns as runs of entries; a column break starts a new run.
  std::vector<size_t> firsts{0};
  for (size_t i = 1; i < entries.size(); ++i)
    if (entries[i].columnBreak) firsts.push_back(i);
  firsts.push_back(entries.size());

  PanelLayout layout;
  layout.rows.resize(entries.size());
  int x = style.border;
  int tallest = 0;
  for (size_t c = 0; c + 1 < firsts.size(); ++c) {
    int text = 0;
    for (size_t i = firsts[c]; i < firsts[c + 1]; ++i)
      if (entries[i].kind != PopupMenuEntry::Separator) text = std::max(text, measure(entries[i].title));
    const int width = style.checkWidth + text + style.textRight + style.arrowWidth;
    if (c > 0) layout.columnStarts.push_back(x);
    int y = style.border + style.paddingY;
    for (size_t i = firsts[c]; i < firsts[c + 1]; ++i) {
      const int height = entries[i].kind == PopupMenuEntry::Separator ? style.separatorHeight : style.itemHeight;
      layout.rows[i] = DrawRect{x, y, x + width, y + height};
      y += height;
    }
    tallest = std::max(tallest, y - style.border - style.paddingY);
    x += width;
  }
  layout.width = std::max(x + style.border, style.minimumWidth);
  layout.height = tallest + 2 * (style.border + style.paddingY);
  // A narrow single column still fills the minimum width.
  if (layout.columnStarts.empty())
    for (DrawRect& row : layout.rows) row.right = layout.width - style.border;
  return layout;
}

int entryAt(const PanelLayout& layout, int x, int y) {
  for (size_t i = 0; i < layout.rows.size(); ++i)
    if (contains(layout.rows[i], x, y)) return static_cast<int>(i);
  return -1;
}

DrawRect placeTopPanel(int x, int y, int aboveY, int width, int height, const DrawRect& screen) {
  x = std::max(std::min(x, screen.right - width), screen.left);
  if (y + height > screen.bottom) y = aboveY - height >= screen.top ? aboveY - height : screen.bottom - height;
  y = std::max(y, screen.top);
  return DrawRect{x, y, x + width, y + height};
}

DrawRect placeSubPanel(const DrawRect& row, const DrawRect& parentPanel, int width, int height, const DrawRect& screen,
                       const MenuStyle& style) {
  int x = parentPanel.right - 1;
  if (x + width > screen.right) x = parentPanel.left - width + 1;
  x = std::max(x, screen.left);
  int y = row.top - style.border - style.paddingY;
  y = std::max(std::min(y, screen.bottom - height), screen.top);
  return DrawRect{x, y, x + width, y + height};
}

MenuTracker::MenuTracker(const PopupMenu& menu, int x, int y, int anchorTop, const DrawRect& screen,
                         TextMeasure measure, const MenuStyle& style, bool acceptRightButton)
    : measure_(std::move(measure)), style_(style), screen_(screen), acceptRight_(acceptRightButton) {
  Panel top;
  top.entries = &menu.entries;
  top.layout = layoutPanel(menu.entries, measure_, style_);
  top.place = placeTopPanel(x, y, anchorTop, top.layout.width, top.layout.height, screen_);
  panels_.push_back(std::move(top));
  versions_.push_back(++changes_);
}

bool MenuTracker::hit(int x, int y, size_t& panel, int& entry) const {
  for (size_t p = panels_.size(); p-- > 0;) {
    const Panel& candidate = panels_[p];
    if (!contains(candidate.place, x, y)) continue;
    panel = p;
    entry = entryAt(candidate.layout, x - candidate.place.left, y - candidate.place.top);
    return true;
  }
  return false;
}

void MenuTracker::highlight(size_t panel, int entry) {
  if (panels_[panel].highlighted == entry) return;
  panels_[panel].highlighted = entry;
  versions_[panel] = ++changes_;
}

void MenuTracker::closeAfter(size_t panel) {
  if (panels_.size() > panel + 1) panels_.resize(panel + 1);
}

void MenuTracker::openSubmenu(size_t panel, int entry, bool highlightFirst) {
  const PopupMenuEntry& item = (*panels_[panel].entries)[static_cast<size_t>(entry)];
  if (panels_.size() <= panel + 1 || panels_[panel + 1].entries != &item.submenu) {
    closeAfter(panel);
    Panel sub;
    sub.entries = &item.submenu;
    sub.layout = layoutPanel(item.submenu, measure_, style_);
    const Panel& parent = panels_[panel];
    const DrawRect row = offset(parent.layout.rows[static_cast<size_t>(entry)], parent.place.left, parent.place.top);
    sub.place = placeSubPanel(row, parent.place, sub.layout.width, sub.layout.height, screen_, style_);
    panels_.push_back(std::move(sub));
    if (versions_.size() < panels_.size()) versions_.push_back(0);
    versions_[panel + 1] = ++changes_;
  }
  if (highlightFirst && panels_[panel + 1].highlighted < 0) highlight(panel + 1, stepFrom(panels_[panel + 1], -1, 1));
}

int MenuTracker::stepFrom(const Panel& panel, int from, int direction) const {
  const int count = static_cast<int>(panel.entries->size());
  if (count == 0) return -1;
  if (from < 0) from = direction > 0 ? -1 : count;
  for (int k = 1; k <= count; ++k) {
    const int i = ((from + direction * k) % count + count) % count;
    if (isActive((*panel.entries)[static_cast<size_t>(i)])) return i;
  }
  return -1;
}

void MenuTracker::choose(const PopupMenuEntry& entry) {
  outcome_ = Outcome::Chosen;
  command_ = entry.command;
}

void MenuTracker::pointerMoved(int x, int y) {
  if (outcome_ != Outcome::Open) return;
  if (!pointerKnown_) {
    pointerKnown_ = true;
    startX_ = x, startY_ = y;
  } else if (std::abs(x - startX_) > kDragSlop || std::abs(y - startY_) > kDragSlop) {
    releaseChooses_ = true;
  }
  size_t panel = 0;
  int entry = -1;
  if (!hit(x, y, panel, entry)) {
    // Outside: the innermost panel lets go of its row; the rows leading to it stay lit.
    highlight(panels_.size() - 1, -1);
    return;
  }
  const bool active = entry >= 0 && isActive((*panels_[panel].entries)[static_cast<size_t>(entry)]);
  highlight(panel, active ? entry : -1);
  if (active && (*panels_[panel].entries)[static_cast<size_t>(entry)].kind == PopupMenuEntry::Submenu)
    openSubmenu(panel, entry, false);
  else
    closeAfter(panel);
}

void MenuTracker::buttonPressed(int x, int y, int) {
  if (outcome_ != Outcome::Open) return;
  releaseChooses_ = true;
  size_t panel = 0;
  int entry = -1;
  if (!hit(x, y, panel, entry)) {
    outcome_ = Outcome::Dismissed;
    return;
  }
  pointerMoved(x, y);
}

void MenuTracker::buttonReleased(int x, int y, int button) {
  if (outcome_ != Outcome::Open || !releaseChooses_) return;
  if (button == kMiddle || (button == kRight && !acceptRight_)) return;
  size_t panel = 0;
  int entry = -1;
  if (!hit(x, y, panel, entry) || entry < 0) return;
  const PopupMenuEntry& item = (*panels_[panel].entries)[static_cast<size_t>(entry)];
  if (isActive(item) && item.kind == PopupMenuEntry::Command) choose(item);
}

void MenuTracker::keyPressed(Key key) {
  if (outcome_ != Outcome::Open) return;
  const size_t last = panels_.size() - 1;
  Panel& panel = panels_[last];
  const PopupMenuEntry* current =
      panel.highlighted >= 0 ? &(*panel.entries)[static_cast<size_t>(panel.highlighted)] : nullptr;
  switch (key) {
    case Key::Up:
    case Key::Down:
      highlight(last, stepFrom(panel, panel.highlighted, key == Key::Down ? 1 : -1));
      break;
    case Key::Right:
    case Key::Enter:
      if (current && current->kind == PopupMenuEntry::Submenu)
        openSubmenu(last, panel.highlighted, true);
      else if (current && key == Key::Enter && isActive(*current))
        choose(*current);
      break;
    case Key::Left:
      if (last > 0) closeAfter(last - 1);
      break;
    case Key::Escape:
      if (last > 0)
        closeAfter(last - 1);
      else
        outcome_ = Outcome::Dismissed;
      break;
  }
}

void MenuTracker::cancel() {
  if (outcome_ == Outcome::Open) outcome_ = Outcome::Dismissed;
}

void paintMenuPanel(DrawDevice& device, const MenuTracker::Panel& panel, const MenuStyle& style,
                    std::unique_ptr<DeviceFont>& fontCache) {
  const int width = panel.layout.width, height = panel.layout.height;
  // The marks inside a row, drawn for the panel's pixels at 100 %.
  auto px = [&style](int length) { return scaled(length, style.percent); };
  const int line = std::max(1, px(1));
  device.setClip(DrawRect{0, 0, width, height});
  device.fillRect(DrawRect{0, 0, width, height}, style.edge);
  device.fillRect(DrawRect{style.border, style.border, width - style.border, height - style.border}, style.panel);
  for (int x : panel.layout.columnStarts)
    device.drawLine(x, style.border + style.paddingY, x, height - style.border - style.paddingY, style.separator, line);

  for (size_t i = 0; i < panel.entries->size(); ++i) {
    const PopupMenuEntry& entry = (*panel.entries)[i];
    const DrawRect& row = panel.layout.rows[i];
    if (entry.kind == PopupMenuEntry::Separator) {
      const int y = (row.top + row.bottom) / 2;
      device.drawLine(row.left + px(4), y, row.right - px(4), y, style.separator, line);
      continue;
    }
    const bool lit = static_cast<int>(i) == panel.highlighted;
    if (lit) device.fillRect(row, style.highlight);
    const DrawColor ink = entry.disabled ? style.disabledText : lit ? style.highlightText : style.text;
    if (entry.checked) {
      // A tick: a short stroke down to the right, a long one up.
      const int x = row.left + px(6), y = (row.top + row.bottom) / 2;
      device.drawLine(x, y, x + px(3), y + px(3), ink, px(2));
      device.drawLine(x + px(3), y + px(3), x + px(10), y - px(4), ink, px(2));
    }
    const DrawRect text{row.left + style.checkWidth, row.top, row.right - style.arrowWidth, row.bottom};
    device.drawText(entry.title.c_str(), text, TextAlign::Left, style.font, fontCache, ink);
    if (entry.kind == PopupMenuEntry::Submenu) {
      // A small triangle pointing right, one vertical line per column.
      const int tip = row.right - px(6), middle = (row.top + row.bottom) / 2;
      for (int d = 0; d < px(4); ++d) device.drawLine(tip - d, middle - d, tip - d, middle + d + 1, ink, 1);
    }
  }
}

TextMeasure softwareTextMeasure(const FontRequest& font) {
  std::shared_ptr<software::SoftwareFont> face = software::makeSoftwareFont(font);
  const int size = font.size;
  return [face, size](const std::string& text) {
    if (face) return face->measure(text.c_str());
    return static_cast<int>(text.size()) * (size * 11 / 20);
  };
}

}  // namespace sorvane::platform::menu
