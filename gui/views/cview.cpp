#include "gui/views/cview.h"

#include <cstring>

#include "gui/draw/cbitmap.h"
#include "gui/draw/cdrawcontext.h"
#include "gui/views/cframe.h"
#include "gui/views/cviewcontainer.h"

namespace sorvane {

CView::CView(const CRect& size) : size(size), mouseableArea(size) {}

CView::~CView() {
  if (background) background->forget();
}

void CView::setBackground(CBitmap* bitmap) {
  if (bitmap) bitmap->remember();
  if (background) background->forget();
  background = bitmap;
  setDirty(true);
}

void CView::draw(CDrawContext* context) {
  if (background) {
    if (transparencyEnabled)
      background->drawTransparent(context, size);
    else
      background->draw(context, size);
  }
  setDirty(false);
}

void CView::drawRect(CDrawContext* context, const CRect&) { draw(context); }

void CView::invalidRect(const CRect& rect) {
  if (!attachedFlag || !visible) return;
  if (parentView && parentView != parentFrame) {
    // rect lies in the container's own coordinates; the container takes it
    // in its parent's, as its size is.
    CRect inContainersParent = rect;
    inContainersParent.offset(parentView->size.left, parentView->size.top);
    parentView->invalidRect(inContainersParent);
  } else if (parentFrame && parentFrame != this) {
    parentFrame->invalidRect(rect);
  }
}

void CView::invalid() {
  setDirty(false);
  invalidRect(size);
}

void CView::setVisible(bool state) {
  if (visible == state) return;
  if (state) {
    visible = true;
    invalid();
  } else {
    invalid();
    visible = false;
  }
}

CMouseEventResult CView::onMouseDown(CPoint&, const CButtonState&) { return kMouseEventNotImplemented; }
CMouseEventResult CView::onMouseUp(CPoint&, const CButtonState&) { return kMouseEventNotImplemented; }
CMouseEventResult CView::onMouseMoved(CPoint&, const CButtonState&) { return kMouseEventNotImplemented; }
CMouseEventResult CView::onMouseEntered(CPoint&, const CButtonState&) { return kMouseEventNotImplemented; }
CMouseEventResult CView::onMouseExited(CPoint&, const CButtonState&) { return kMouseEventNotImplemented; }

bool CView::hitTest(const CPoint& where, const CButtonState&) { return mouseableArea.pointInside(where); }

bool CView::onWheel(const CPoint&, const CMouseWheelAxis&, const float&, const CButtonState&) { return false; }

bool CView::onWheel(const CPoint& where, const float& distance, const CButtonState& buttons) {
  return onWheel(where, kMouseWheelAxisY, distance, buttons);
}

std::int32_t CView::onKeyDown(CKeyCode&) { return -1; }
std::int32_t CView::onKeyUp(CKeyCode&) { return -1; }

bool CView::onDrop(CDragContainer*, const CPoint&) { return false; }
void CView::onDragEnter(CDragContainer*, const CPoint&) {}
void CView::onDragLeave(CDragContainer*, const CPoint&) {}
void CView::onDragMove(CDragContainer*, const CPoint&) {}

void CView::setViewSize(const CRect& rect, bool invalidate) {
  if (invalidate) invalid();
  size = rect;
  if (invalidate) invalid();
}

CRect& CView::getViewSize(CRect& rect) const {
  rect = size;
  return rect;
}

CRect& CView::getMouseableArea(CRect& rect) const {
  rect = mouseableArea;
  return rect;
}

CPoint& CView::localToFrame(CPoint& point) const {
  for (const CView* p = parentView; p != nullptr && p != parentFrame; p = p->parentView)
    point.offset(p->size.left, p->size.top);
  return point;
}

CPoint& CView::frameToLocal(CPoint& point) const {
  for (const CView* p = parentView; p != nullptr && p != parentFrame; p = p->parentView)
    point.offset(-p->size.left, -p->size.top);
  return point;
}

bool CView::isTypeOf(const char* className) const { return className && std::strcmp(className, "CView") == 0; }

bool CView::attached(CView* parent) {
  attachedFlag = true;
  parentView = parent;
  return true;
}

bool CView::removed(CView*) {
  attachedFlag = false;
  parentView = nullptr;
  parentFrame = nullptr;
  return true;
}

void CView::doIdleStuff() {
  if (parentFrame) parentFrame->doIdleStuff();
}

bool viewContains(const CView* view, const CView* candidate) {
  for (const CView* v = candidate; v != nullptr; v = v->parentView)
    if (v == view) return true;
  return false;
}

}  // namespace sorvane
