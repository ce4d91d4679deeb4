// The pop-up menu without a window system: layout, placement on the
// screen, and how pointer and keys choose or dismiss.
#include <gtest/gtest.h>

#include "platform/menu/menu_model.h"

namespace sorvane::platform::menu {
namespace {

using Key = MenuTracker::Key;
using Outcome = MenuTracker::Outcome;

PopupMenuEntry command(const char* title, int number, bool disabled = false, bool checked = false) {
  PopupMenuEntry e;
  e.title = title;
  e.command = number;
  e.disabled = disabled;
  e.checked = checked;
  return e;
}

PopupMenuEntry separator() {
  PopupMenuEntry e;
  e.kind = PopupMenuEntry::Separator;
  return e;
}

PopupMenuEntry submenu(const char* title, std::vector<PopupMenuEntry> entries) {
  PopupMenuEntry e;
  e.kind = PopupMenuEntry::Submenu;
  e.title = title;
  e.submenu = std::move(entries);
  return e;
}

// Ten pixels a character: widths are easy to predict.
int measure(const std::string& text) { return static_cast<int>(text.size()) * 10; }

const DrawRect kScreen{0, 0, 1000, 800};

// Folders first, a separator, presets (one greyed).
PopupMenu presetMenu() {
  PopupMenu menu;
  menu.entries.push_back(submenu("Drums", {command("Kick", 1), command("Snare", 2)}));
  menu.entries.push_back(separator());
  menu.entries.push_back(command("Init", 3, false, true));
  menu.entries.push_back(command("Broken", 4, true));
  menu.entries.push_back(command("Vocal & Air", 5));
  return menu;
}

// The screen centre of an entry of an open panel.
void centreOf(const MenuTracker& tracker, size_t panel, int entry, int& x, int& y) {
  const MenuTracker::Panel& p = tracker.panels()[panel];
  const DrawRect& row = p.layout.rows[static_cast<size_t>(entry)];
  x = p.place.left + (row.left + row.right) / 2;
  y = p.place.top + (row.top + row.bottom) / 2;
}

TEST(MenuLayout, RowsStackWithSeparatorsAndAColumnBreakStartsANewColumnAtTheTop) {
  const MenuStyle style;
  PopupMenu menu = presetMenu();
  PanelLayout one = layoutPanel(menu.entries, measure, style);
  ASSERT_EQ(one.rows.size(), 5u);
  EXPECT_EQ(one.rows[0].top, style.border + style.paddingY);
  EXPECT_EQ(one.rows[1].height(), style.separatorHeight);
  EXPECT_EQ(one.rows[2].top, one.rows[1].bottom);
  EXPECT_EQ(one.height, 2 * (style.border + style.paddingY) + 4 * style.itemHeight + style.separatorHeight);
  // The widest title ("Vocal & Air", 11 characters) sets the width of the column.
  EXPECT_EQ(one.width, 2 * style.border + style.checkWidth + 110 + style.textRight + style.arrowWidth);
  EXPECT_TRUE(one.columnStarts.empty());

  menu.entries[3].columnBreak = true;
  PanelLayout two = layoutPanel(menu.entries, measure, style);
  ASSERT_EQ(two.columnStarts.size(), 1u);
  EXPECT_EQ(two.rows[3].top, style.border + style.paddingY) << "the break starts the second column at the top";
  EXPECT_EQ(two.rows[3].left, two.columnStarts[0]);
  EXPECT_EQ(two.rows[3].left, two.rows[0].right);
  EXPECT_EQ(two.height, 2 * (style.border + style.paddingY) + 2 * style.itemHeight + style.separatorHeight);
  EXPECT_EQ(entryAt(two, two.rows[4].left + 1, two.rows[4].top + 1), 4);
  EXPECT_EQ(entryAt(two, 0, 0), -1) << "the border is no entry";

  const PanelLayout empty = layoutPanel({}, measure, style);
  EXPECT_EQ(empty.width, style.minimumWidth);
  EXPECT_TRUE(empty.rows.empty());
}

TEST(MenuLayout, PanelsStayOnTheScreenAndSubmenusOpenToTheLeftAtTheRightEdge) {
  EXPECT_EQ(placeTopPanel(100, 200, 180, 150, 100, kScreen).left, 100);
  const DrawRect right = placeTopPanel(950, 200, 180, 150, 100, kScreen);
  EXPECT_EQ(right.right, 1000);
  const DrawRect low = placeTopPanel(100, 750, 730, 150, 100, kScreen);
  EXPECT_EQ(low.bottom, 730) << "no room below: it opens above what opened it";
  const DrawRect tall = placeTopPanel(100, 100, 90, 150, 900, kScreen);
  EXPECT_EQ(tall.top, 0);

  const DrawRect parent{700, 100, 850, 300};
  const DrawRect row{701, 150, 849, 170};
  const DrawRect beside = placeSubPanel(row, parent, 100, 60, kScreen);
  EXPECT_EQ(beside.left, parent.right - 1);
  const DrawRect flipped = placeSubPanel(row, parent, 200, 60, kScreen);
  EXPECT_EQ(flipped.right, parent.left + 1);
  EXPECT_EQ(placeSubPanel(DrawRect{701, 780, 849, 800}, parent, 100, 60, kScreen).bottom, 800);
}

TEST(MenuLayout, AMenuAtTwiceTheSizeIsTheSameMenuWithEveryLengthDoubled) {
  const MenuStyle normal;
  const MenuStyle twice = scaledMenuStyle(200);
  EXPECT_EQ(twice.font.size, 2 * normal.font.size);
  EXPECT_EQ(twice.itemHeight, 2 * normal.itemHeight);
  EXPECT_EQ(twice.border, 2 * normal.border);
  EXPECT_EQ(twice.percent, 200);
  EXPECT_EQ(scaledMenuStyle(150).itemHeight, 30);
  EXPECT_EQ(scaledMenuStyle(150).separatorHeight, 11) << "7 × 1.5 rounds up";
  const PopupMenu menu = presetMenu();
  auto measureTwice = [](const std::string& text) { return 2 * measure(text); };
  const PanelLayout one = layoutPanel(menu.entries, measure, normal);
  const PanelLayout two = layoutPanel(menu.entries, measureTwice, twice);
  EXPECT_EQ(two.width, 2 * one.width);
  EXPECT_EQ(two.height, 2 * one.height);
  for (size_t i = 0; i < one.rows.size(); ++i) EXPECT_EQ(two.rows[i].top, 2 * one.rows[i].top);

  // A sub-menu's first row is level with the row that opened it, at this size too.
  MenuTracker tracker(menu, 100, 100, 80, kScreen, measureTwice, twice, false);
  int x = 0, y = 0;
  centreOf(tracker, 0, 0, x, y);
  tracker.pointerMoved(x, y);
  ASSERT_EQ(tracker.panels().size(), 2u);
  const MenuTracker::Panel& sub = tracker.panels()[1];
  const MenuTracker::Panel& top = tracker.panels()[0];
  EXPECT_EQ(sub.place.top + sub.layout.rows[0].top, top.place.top + top.layout.rows[0].top);
}

TEST(MenuTracker, TheOpeningClicksReleaseIsNoChoiceButAReleaseAfterMovingIs) {
  const PopupMenu menu = presetMenu();
  MenuTracker tracker(menu, 100, 100, 80, kScreen, measure, MenuStyle{}, false);
  int x = 0, y = 0;
  centreOf(tracker, 0, 2, x, y);
  // The menu opened under the pointer: the release of the click that opened it.
  tracker.pointerMoved(x, y);
  tracker.buttonReleased(x, y, MenuTracker::kLeft);
  EXPECT_EQ(tracker.outcome(), Outcome::Open);
  EXPECT_EQ(tracker.panels()[0].highlighted, 2);

  int vx = 0, vy = 0;
  centreOf(tracker, 0, 4, vx, vy);
  tracker.pointerMoved(vx, vy);
  tracker.buttonReleased(vx, vy, MenuTracker::kLeft);
  EXPECT_EQ(tracker.outcome(), Outcome::Chosen);
  EXPECT_EQ(tracker.command(), 5);
}

TEST(MenuTracker, GreyedEntriesSeparatorsAndTheRightButtonChooseNothingUnlessAllowed) {
  const PopupMenu menu = presetMenu();
  for (bool acceptRight : {false, true}) {
    MenuTracker tracker(menu, 100, 100, 80, kScreen, measure, MenuStyle{}, acceptRight);
    int x = 0, y = 0;
    for (int entry : {3, 1}) {
      centreOf(tracker, 0, entry, x, y);
      tracker.buttonPressed(x, y, MenuTracker::kLeft);
      tracker.buttonReleased(x, y, MenuTracker::kLeft);
      EXPECT_EQ(tracker.outcome(), Outcome::Open) << "entry " << entry;
      EXPECT_EQ(tracker.panels()[0].highlighted, -1) << "entry " << entry << " cannot be lit";
    }
    centreOf(tracker, 0, 2, x, y);
    tracker.buttonPressed(x, y, MenuTracker::kRight);
    tracker.buttonReleased(x, y, MenuTracker::kRight);
    EXPECT_EQ(tracker.command(), acceptRight ? 3 : 0);
    EXPECT_EQ(tracker.outcome(), acceptRight ? Outcome::Chosen : Outcome::Open);
    if (!acceptRight) {
      tracker.buttonPressed(5, 5, MenuTracker::kLeft);
      EXPECT_EQ(tracker.outcome(), Outcome::Dismissed) << "a press outside dismisses";
      EXPECT_EQ(tracker.command(), 0);
    }
  }
}

TEST(MenuTracker, HoveringASubmenuOpensItBesideItsRowAndLeavingItForAnotherRowClosesIt) {
  const PopupMenu menu = presetMenu();
  MenuTracker tracker(menu, 100, 100, 80, kScreen, measure, MenuStyle{}, false);
  int x = 0, y = 0;
  centreOf(tracker, 0, 0, x, y);
  const int version = tracker.panelVersion(0);
  tracker.pointerMoved(x, y);
  ASSERT_EQ(tracker.panels().size(), 2u);
  EXPECT_NE(tracker.panelVersion(0), version) << "the lit row needs a repaint";
  EXPECT_EQ(tracker.panels()[1].place.left, tracker.panels()[0].place.right - 1);
  EXPECT_EQ(tracker.panels()[1].highlighted, -1);

  // Into the sub-menu and out of every panel: the path to it stays lit.
  int sx = 0, sy = 0;
  centreOf(tracker, 1, 1, sx, sy);
  tracker.pointerMoved(sx, sy);
  EXPECT_EQ(tracker.panels()[1].highlighted, 1);
  tracker.pointerMoved(990, 790);
  EXPECT_EQ(tracker.panels().size(), 2u);
  EXPECT_EQ(tracker.panels()[0].highlighted, 0);
  EXPECT_EQ(tracker.panels()[1].highlighted, -1);

  centreOf(tracker, 0, 4, x, y);
  tracker.pointerMoved(x, y);
  EXPECT_EQ(tracker.panels().size(), 1u);

  centreOf(tracker, 0, 0, x, y);
  tracker.pointerMoved(x, y);
  centreOf(tracker, 1, 1, sx, sy);
  tracker.buttonPressed(sx, sy, MenuTracker::kLeft);
  tracker.buttonReleased(sx, sy, MenuTracker::kLeft);
  EXPECT_EQ(tracker.command(), 2);
}

TEST(MenuTracker, KeysWalkTheActiveEntriesOpenAndCloseSubmenusAndChoose) {
  const PopupMenu menu = presetMenu();
  MenuTracker tracker(menu, 100, 100, 80, kScreen, measure, MenuStyle{}, false);
  const auto lit = [&] { return tracker.panels().back().highlighted; };
  tracker.keyPressed(Key::Down);
  EXPECT_EQ(lit(), 0);
  tracker.keyPressed(Key::Down);
  EXPECT_EQ(lit(), 2) << "past the separator";
  tracker.keyPressed(Key::Down);
  EXPECT_EQ(lit(), 4) << "past the greyed entry";
  tracker.keyPressed(Key::Down);
  EXPECT_EQ(lit(), 0) << "round to the top";
  tracker.keyPressed(Key::Up);
  EXPECT_EQ(lit(), 4);
  tracker.keyPressed(Key::Up);
  tracker.keyPressed(Key::Up);
  ASSERT_EQ(lit(), 0);

  tracker.keyPressed(Key::Right);
  ASSERT_EQ(tracker.panels().size(), 2u);
  EXPECT_EQ(lit(), 0) << "a sub-menu opened by key lights its first entry";
  tracker.keyPressed(Key::Left);
  EXPECT_EQ(tracker.panels().size(), 1u);
  tracker.keyPressed(Key::Enter);
  ASSERT_EQ(tracker.panels().size(), 2u);
  tracker.keyPressed(Key::Escape);
  EXPECT_EQ(tracker.panels().size(), 1u);
  EXPECT_EQ(tracker.outcome(), Outcome::Open) << "Escape closes the inner panel first";

  tracker.keyPressed(Key::Enter);
  tracker.keyPressed(Key::Down);
  tracker.keyPressed(Key::Enter);
  EXPECT_EQ(tracker.outcome(), Outcome::Chosen);
  EXPECT_EQ(tracker.command(), 2);

  MenuTracker other(menu, 100, 100, 80, kScreen, measure, MenuStyle{}, false);
  other.keyPressed(Key::Enter);
  EXPECT_EQ(other.outcome(), Outcome::Open) << "Return with nothing lit does nothing";
  other.keyPressed(Key::Escape);
  EXPECT_EQ(other.outcome(), Outcome::Dismissed);

  PopupMenu greyed;
  greyed.entries = {command("Only", 1, true), separator()};
  MenuTracker none(greyed, 0, 0, 0, kScreen, measure, MenuStyle{}, false);
  none.keyPressed(Key::Down);
  EXPECT_EQ(none.panels()[0].highlighted, -1) << "nothing to light, and no endless loop";
}

TEST(MenuPainting, TheLitRowTakesTheAccentTheOthersThePanelAndATickMarksTheChecked) {
  const MenuStyle style;
  const PopupMenu menu = presetMenu();
  MenuTracker tracker(menu, 0, 0, 0, kScreen, measure, style, false);
  tracker.keyPressed(Key::Down);
  tracker.keyPressed(Key::Down);  // "Init", checked
  const MenuTracker::Panel& panel = tracker.panels()[0];
  auto pixels = createMemoryPixelBuffer(panel.layout.width, panel.layout.height);
  auto device = createSoftwareDevice(*pixels);
  std::unique_ptr<DeviceFont> font;
  paintMenuPanel(*device, panel, style, font);

  const auto colourAt = [&](int x, int y) {
    const std::uint8_t* p = pixels->row(y) + 4 * x;
    return DrawColor{p[2], p[1], p[0], p[3]};
  };
  const auto same = [](DrawColor a, DrawColor b) { return a.red == b.red && a.green == b.green && a.blue == b.blue; };
  const DrawRect& lit = panel.layout.rows[2];
  const DrawRect& plain = panel.layout.rows[4];
  EXPECT_TRUE(same(colourAt(lit.right - 2, lit.top + 1), style.highlight));
  EXPECT_TRUE(same(colourAt(plain.right - 2, plain.top + 1), style.panel));
  EXPECT_TRUE(same(colourAt(0, 0), style.edge));
  int tick = 0;
  for (int y = lit.top; y < lit.bottom; ++y)
    for (int x = lit.left; x < lit.left + style.checkWidth; ++x) tick += same(colourAt(x, y), style.highlightText);
  EXPECT_GT(tick, 5) << "the check mark in the gutter";
  int unchecked = 0;
  for (int y = plain.top; y < plain.bottom; ++y)
    for (int x = plain.left; x < plain.left + style.checkWidth; ++x) unchecked += !same(colourAt(x, y), style.panel);
  EXPECT_EQ(unchecked, 0);
}

}  // namespace
}  // namespace sorvane::platform::menu
