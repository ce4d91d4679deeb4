// A view that holds child views in drawing order: the first added is drawn
// first, the last added is drawn on top and hit first. Children's sizes are
// in the container's coordinates (its top-left is their origin).
//
// Ownership: addView takes over the creator's reference (and holds one of
// its own); removeView(view, false) gives back only its own, so the view
// survives for another addView; removing with forget, removeAll and the
// destructor release both.
#pragma once

#include <vector>

#include "gui/draw/ccolor.h"
#include "gui/views/cview.h"

namespace sorvane {

class CViewContainer : public CView {
 public:
  CViewContainer(const CRect& size, CFrame* frame, CBitmap* background = nullptr);
  ~CViewContainer() override;

  // False for null or for a view already attached somewhere.
  virtual bool addView(CView* view);
  // False when the view is not a child.
  virtual bool removeView(CView* view, bool withForget = true);
  virtual bool removeAll(bool withForget = true);
  bool isChild(const CView* view) const;
  int getNbViews() const { return static_cast<int>(children_.size()); }
  CView* getView(int index) const;

  virtual void setBackgroundColor(const CColor& color);
  CColor getBackgroundColor() const { return backgroundColor_; }

  // Invalidates what is dirty: the whole container when it is dirty itself,
  // else each visible dirty child (containers recursively).
  virtual void invalidateDirtyViews();

  // The child under where (parent coordinates of this container), deepest
  // first when deep; null when none.
  CView* getViewAt(const CPoint& where, bool deep = false) const;
  // The visible, mouse-enabled child whose mouseable area holds where (this
  // container's coordinates), searched from the top.
  CView* childAt(const CPoint& local) const;

  // The child that took the current mouse-down (it receives the moves and
  // the up event); null outside a gesture.
  CView* getMouseDownView() const { return mouseDownView_; }
  void setMouseDownView(CView* view) { mouseDownView_ = view; }

  void draw(CDrawContext* context) override;
  void drawRect(CDrawContext* context, const CRect& updateRect) override;
  bool isDirty() const override;
  void invalidRect(const CRect& rect) override;
  CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
  CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
  CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
  bool onWheel(const CPoint& where, const CMouseWheelAxis& axis, const float& distance,
               const CButtonState& buttons) override;
  using CView::onWheel;
  bool isTypeOf(const char* className) const override;
  CMessageResult notify(CBaseObject* sender, const char* message) override;
  bool attached(CView* parent) override;
  bool removed(CView* parent) override;

 protected:
  // Draws the background (bitmap, else the colour unless transparent) into
  // size, as far as updateRect and the context's clip (held to it) reach.
  void drawBackgroundRect(CDrawContext* context, const CRect& updateRect);
  // Attaches view as this container's child (frame and parent set).
  void attachChild(CView* view);
  // Unlinks a view already taken out of the list and releases the
  // container's reference (and the creator's with withForget).
  void detach(CView* view, bool withForget);

  std::vector<CView*> children_;
  CColor backgroundColor_ = kBlackCColor;
  CView* mouseDownView_ = nullptr;
};

}  // namespace sorvane
