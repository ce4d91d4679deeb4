// Pop-up menus drawn by our own code, without the window system: the layout
// of a panel (rows, separators, column breaks), where a panel opens on the
// screen, and the tracker that turns pointer and key input into an open
// panel stack and, at the end, a command or a dismissal. A back end only
// makes one window per open panel, grabs the input, feeds the tracker and
// paints each panel with paintMenuPanel.
//
// Behaviour follows the desktops' menus: the press that opened the menu is
// not a choice; a release over an enabled command chooses it (the right
// button only when the caller accepts it); a press outside every panel
// dismisses; hovering a sub-menu entry opens it; Up and Down walk the
// enabled entries with wrap-around, Right and Return open a sub-menu, Left
// and Escape close the innermost panel (Escape on the top one dismisses).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/draw.h"
#include "platform/popup_menu.h"

namespace sorvane::platform::menu {

// Sizes and colours of the panels: the editor's dark panel with its cream
// lettering and orange accent.
struct MenuStyle {
  FontRequest font{"Arial", 12, 0};
  int itemHeight = 20;
  int separatorHeight = 7;
  int border = 1;
  int paddingY = 3;     // above the first and below the last row
  int checkWidth = 20;  // the gutter for check marks
  int textRight = 12;   // space after the longest title
  int arrowWidth = 14;  // the gutter for the sub-menu arrow
  int minimumWidth = 80;
  DrawColor panel{44, 45, 48, 255};
  DrawColor edge{92, 94, 99, 255};
  DrawColor text{232, 225, 205, 255};
  DrawColor disabledText{112, 114, 119, 255};
  DrawColor highlight{232, 163, 61, 255};
  DrawColor highlightText{29, 30, 33, 255};
  DrawColor separator{72, 74, 79, 255};
  // The size the metrics above are for, in percent of the panel's pixels
  // (the marks drawn inside a row grow with it too).
  int percent = 100;
};

// A style made for 100 % at percent of the panel's pixels: every length
// mapped by the editor's edge rule (floor(length × percent / 100 + 1/2)),
// the font's too.
MenuStyle scaledMenuStyle(int percent, const MenuStyle& style = MenuStyle());

// Width of one line of text in the style's font, in pixels.
using TextMeasure = std::function<int(const std::string&)>;

// One panel laid out at its own origin: a rectangle per entry (separators
// included), in columns from left to right.
struct PanelLayout {
  int width = 0;
  int height = 0;
  std::vector<DrawRect> rows;
  std::vector<int> columnStarts;  // x of every column after the first (where its dividing line goes)
};

PanelLayout layoutPanel(const std::vector<PopupMenuEntry>& entries, const TextMeasure& measure, const MenuStyle& style);
// The entry whose row holds x, y (panel coordinates), or -1.
int entryAt(const PanelLayout& layout, int x, int y);
// Whether an entry can be highlighted and used.
bool isActive(const PopupMenuEntry& entry);

// A panel of size width × height whose top-left is wanted at x, y, moved so
// it lies on the screen: left of the right edge, above the bottom (a panel
// that does not fit below its anchor opens above it, aboveY).
DrawRect placeTopPanel(int x, int y, int aboveY, int width, int height, const DrawRect& screen);
// A sub-menu beside its entry (screen rectangle of the entry row and of its
// panel): to the right when it fits, otherwise to the left; its first row
// level with the entry (the style's border and padding above it).
DrawRect placeSubPanel(const DrawRect& row, const DrawRect& parentPanel, int width, int height, const DrawRect& screen,
                       const MenuStyle& style = MenuStyle());

class MenuTracker {
 public:
  enum class Outcome { Open, Chosen, Dismissed };
  enum class Key { Up, Down, Left, Right, Enter, Escape };
  enum Button { kLeft = 1, kMiddle = 2, kRight = 3 };

  struct Panel {
    const std::vector<PopupMenuEntry>* entries;
    PanelLayout layout;
    DrawRect place;        // on the screen
    int highlighted = -1;  // entry index, or -1
  };

  // The menu with its top-left wanted at x, y; anchorTop is the top of what
  // opened it (for placing the panel above when it does not fit below).
  MenuTracker(const PopupMenu& menu, int x, int y, int anchorTop, const DrawRect& screen, TextMeasure measure,
              const MenuStyle& style, bool acceptRightButton);

  // Input, in screen coordinates.
  void pointerMoved(int x, int y);
  void buttonPressed(int x, int y, int button);
  void buttonReleased(int x, int y, int button);
  void keyPressed(Key key);
  // The system took the input away (another grab, the owner window went).
  void cancel();

  Outcome outcome() const { return outcome_; }
  // The chosen command (Outcome::Chosen), otherwise 0.
  int command() const { return outcome_ == Outcome::Chosen ? command_ : 0; }
  // The open panels, outermost first. The stack grows and shrinks at the end only.
  const std::vector<Panel>& panels() const { return panels_; }
  // Counts every change of what the panels show, so a back end repaints
  // only what changed.
  int panelVersion(size_t index) const { return index < versions_.size() ? versions_[index] : 0; }

 private:
  // The panel and entry at a screen point, innermost panel first; false outside all.
  bool hit(int x, int y, size_t& panel, int& entry) const;
  void highlight(size_t panel, int entry);
  void closeAfter(size_t panel);
  void openSubmenu(size_t panel, int entry, bool highlightFirst);
  int stepFrom(const Panel& panel, int from, int direction) const;
  void choose(const PopupMenuEntry& entry);

  TextMeasure measure_;
  MenuStyle style_;
  DrawRect screen_;
  bool acceptRight_;
  std::vector<Panel> panels_;
  std::vector<int> versions_;
  Outcome outcome_ = Outcome::Open;
  int command_ = 0;
  // A release chooses once the user has pressed inside the menu or moved
  // the pointer since it opened, so the release of the opening click is no choice.
  bool releaseChooses_ = false;
  bool pointerKnown_ = false;
  int startX_ = 0, startY_ = 0;
  int changes_ = 0;
};

// Paints one panel into device (panel coordinates), the highlighted row in
// the accent colour. fontCache keeps the font between paints.
void paintMenuPanel(DrawDevice& device, const MenuTracker::Panel& panel, const MenuStyle& style,
                    std::unique_ptr<DeviceFont>& fontCache);

// The style's font measured by the software back end (a plain estimate
// where no font file is found).
TextMeasure softwareTextMeasure(const FontRequest& font);

}  // namespace sorvane::platform::menu
