// The base of everything the editor shows. A view has a size rectangle in
// its parent's coordinates, a mouseable area (where it takes clicks, the
// size unless set), a dirty flag that the frame's idle turns into a redraw,
// and optional background bitmap. Views live in containers, which own them
// through the reference count; the frame is the root container.
//
// Thread contract: views are made, changed, drawn and destroyed on the
// host's user-interface thread only.
#pragma once

#include <cstdint>

#include "gui/cbaseobject.h"
#include "gui/draw/cgeometry.h"
#include "platform/window.h"

namespace sorvane {

class CBitmap;
class CDrawContext;
class CDragContainer;
class CFrame;
class CView;

// The mouse-button word: buttons, modifiers and the double-click bit.
using CButtonState = std::int32_t;
enum : CButtonState {
  kLButton = platform::kButtonLeft,       // 2
  kMButton = platform::kButtonMiddle,     // 4
  kRButton = platform::kButtonRight,      // 8
  kShift = platform::kModifierShift,      // 16
  kControl = platform::kModifierControl,  // 32
  kAlt = platform::kModifierAlt,          // 64
  kApple = platform::kModifierApple,      // 128
  kButton4 = platform::kButton4,          // 256
  kButton5 = platform::kButton5,          // 512
  kDoubleClick = platform::kDoubleClick,  // 1024
};
static_assert(kLButton == 2 && kShift == 16 && kControl == 32 && kDoubleClick == 1024);

enum CMouseEventResult {
  kMouseEventNotImplemented = 0,
  kMouseEventHandled = 1,
  kMouseEventNotHandled = 2,
  // The view took the click and needs no moves or up event for it.
  kMouseDownEventHandledButDontNeedMovedOrUpEvents = 3,
};

enum CMouseWheelAxis { kMouseWheelAxisX = 0, kMouseWheelAxisY = 1 };

using CKeyCode = platform::KeyCode;

// The host's virtual keys that the toolkit reacts to.
enum CVirtualKey : std::uint8_t {
  kVirtualKeyBack = 1,
  kVirtualKeyTab = 2,
  kVirtualKeyReturn = 4,
  kVirtualKeyEscape = 6,
  kVirtualKeyEnd = 9,
  kVirtualKeyHome = 10,
  kVirtualKeyLeft = 11,
  kVirtualKeyUp = 12,
  kVirtualKeyRight = 13,
  kVirtualKeyDown = 14,
  kVirtualKeyEnter = 19,  // the keypad's
  kVirtualKeyDelete = 22,
};

class CView : public CBaseObject {
 public:
  explicit CView(const CRect& size);
  ~CView() override;

  // Drawing. draw paints the whole view; drawRect paints the part inside
  // updateRect (parent coordinates); checkUpdate says whether the view
  // overlaps it.
  virtual void draw(CDrawContext* context);
  virtual void drawRect(CDrawContext* context, const CRect& updateRect);
  virtual bool checkUpdate(const CRect& updateRect) const { return updateRect.rectOverlap(size); }
  virtual bool isDirty() const { return dirty; }
  virtual void setDirty(bool state = true) { dirty = state; }
  // Asks for a redraw of rect at the next paint. On every view, containers
  // and the frame included, rect is in the coordinates of the view's size:
  // its parent's (the frame's are the window's). A view hands it to its
  // parent in the parent's own parent coordinates, so each level adds its
  // origin once; a container clips it to itself. Only while visible and
  // attached.
  virtual void invalidRect(const CRect& rect);
  // Clears the dirty flag and asks for a redraw of the view's own area (its
  // size, in its parent).
  virtual void invalid();
  virtual void setVisible(bool state);

  // Mouse, in parent coordinates.
  virtual CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons);
  virtual CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons);
  virtual CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons);
  virtual CMouseEventResult onMouseEntered(CPoint& where, const CButtonState& buttons);
  virtual CMouseEventResult onMouseExited(CPoint& where, const CButtonState& buttons);
  // Whether where (parent coordinates) lies in the mouseable area.
  virtual bool hitTest(const CPoint& where, const CButtonState& buttons = -1);
  virtual bool onWheel(const CPoint& where, const CMouseWheelAxis& axis, const float& distance,
                       const CButtonState& buttons);
  virtual bool onWheel(const CPoint& where, const float& distance, const CButtonState& buttons);

  // Keys: 1 used, -1 not used.
  virtual std::int32_t onKeyDown(CKeyCode& key);
  virtual std::int32_t onKeyUp(CKeyCode& key);

  // Drag and drop: no view of the products takes files.
  virtual bool onDrop(CDragContainer* drag, const CPoint& where);
  virtual void onDragEnter(CDragContainer* drag, const CPoint& where);
  virtual void onDragLeave(CDragContainer* drag, const CPoint& where);
  virtual void onDragMove(CDragContainer* drag, const CPoint& where);

  // Focus: the frame's focus view receives the keys first.
  virtual void looseFocus() {}
  virtual void takeFocus() {}
  virtual bool wantsFocus() const { return false; }
  // A focus view that takes every key (a text field): while it has the
  // focus the window holds the system's keyboard focus.
  virtual bool takesKeyboard() const { return false; }

  // Size and mouseable area.
  virtual void setViewSize(const CRect& rect, bool invalidate = true);
  virtual CRect& getViewSize(CRect& rect) const;
  virtual void setMouseableArea(const CRect& rect) { mouseableArea = rect; }
  virtual CRect& getMouseableArea(CRect& rect) const;
  virtual void setMouseEnabled(bool state) { mouseEnabled = state; }
  virtual bool getMouseEnabled() const { return mouseEnabled; }

  // Coordinates: a point in this view's parent coordinates to frame
  // coordinates and back.
  virtual CPoint& localToFrame(CPoint& point) const;
  virtual CPoint& frameToLocal(CPoint& point) const;

  virtual void setTransparency(bool state) { transparencyEnabled = state; }
  virtual bool getTransparency() const { return transparencyEnabled; }

  // Type query by class name ("CView", "CControl", ...).
  virtual bool isTypeOf(const char* className) const;
  virtual CView* newCopy() const { return nullptr; }

  // Called by the container that attaches or removes the view.
  virtual bool attached(CView* parent);
  virtual bool removed(CView* parent);

  // Background bitmap (one reference held).
  virtual void setBackground(CBitmap* bitmap);
  CBitmap* getBackground() const { return background; }

  bool isVisible() const { return visible; }
  bool isAttached() const { return attachedFlag; }
  CFrame* getFrame() const { return parentFrame; }
  CView* getParentView() const { return parentView; }
  const CRect& getViewSize() const { return size; }
  const CRect& getMouseableArea() const { return mouseableArea; }
  // The editor behind the frame's idle pump; views forward to their frame.
  virtual void doIdleStuff();

  // Fields shared with the subclasses, as the toolkit's controls read them.
  CRect size;
  CRect mouseableArea;
  CFrame* parentFrame = nullptr;
  CView* parentView = nullptr;
  bool dirty = false;
  bool mouseEnabled = true;
  bool transparencyEnabled = false;
  bool attachedFlag = false;
  bool visible = true;
  CBitmap* background = nullptr;
};

// A view whose owner may take a right click or a modified click before the
// view sees it (controls ask their listener).
class CModifierClickTarget {
 public:
  virtual bool consumeModifierClick(const CButtonState& buttons) = 0;

 protected:
  ~CModifierClickTarget() = default;
};

// Whether view is candidate or contains it somewhere below.
bool viewContains(const CView* view, const CView* candidate);

}  // namespace sorvane
