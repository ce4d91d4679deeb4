#include "gui/views/cviewcontainer.h"

#include <algorithm>
#include <cstring>

#include "gui/draw/cbitmap.h"
#include "gui/draw/cdrawcontext.h"
#include "gui/views/cframe.h"

namespace sorvane {

CViewContainer::CViewContainer(const CRect& size, CFrame* frame, CBitmap* background) : CView(size) {
  parentFrame = frame;
  if (background) setBackground(background);
}

CViewContainer::~CViewContainer() { removeAll(true); }

CView* CViewContainer::getView(int index) const {
  if (index < 0 || index >= getNbViews()) return nullptr;
  return children_[static_cast<size_t>(index)];
}

bool CViewContainer::isChild(const CView* view) const {
  return std::find(children_.begin(), children_.end(), view) != children_.end();
}

void CViewContainer::attachChild(CView* view) {
  view->parentFrame = parentFrame;
  view->attached(this);
}

bool CViewContainer::addView(CView* view) {
  if (view == nullptr || view->isAttached() || isChild(view)) return false;
  children_.push_back(view);
  view->remember();
  view->parentView = this;
  view->parentFrame = parentFrame;
  if (isAttached()) {
    attachChild(view);
    view->invalid();
  }
  return true;
}

bool CViewContainer::removeView(CView* view, bool withForget) {
  if (!isChild(view)) return false;
  // Ending a gesture the view is in runs its handlers, which may remove it
  // themselves: it stays alive, and is taken out only if still here.
  view->remember();
  view->invalid();
  if (parentFrame && attachedFlag) parentFrame->onViewRemoved(view);
  if (auto it = std::find(children_.begin(), children_.end(), view); it != children_.end()) {
    children_.erase(it);
    detach(view, withForget);
  }
  view->forget();
  return true;
}

bool CViewContainer::removeAll(bool withForget) {
  while (!children_.empty()) {
    CView* view = children_.back();
    children_.pop_back();
    if (parentFrame && attachedFlag) parentFrame->onViewRemoved(view);
    detach(view, withForget);
  }
  return true;
}

void CViewContainer::detach(CView* view, bool withForget) {
  if (mouseDownView_ == view) mouseDownView_ = nullptr;
  if (view->isAttached()) view->removed(this);
  view->parentView = nullptr;
  view->parentFrame = nullptr;
  view->forget();
  if (withForget) view->forget();
}

void CViewContainer::setBackgroundColor(const CColor& color) {
  backgroundColor_ = color;
  setDirty(true);
}

void CViewContainer::invalidateDirtyViews() {
  if (!visible) return;
  if (dirty) {
    invalid();
    return;
  }
  // A redraw may remove views (a control's listener can); walk a copy.
  const std::vector<CView*> children = children_;
  for (CView* child : children) {
    if (!isChild(child) || !child->isVisible()) continue;
    if (child->isTypeOf("CViewContainer"))
      static_cast<CViewContainer*>(child)->invalidateDirtyViews();
    else if (child->isDirty())
      child->invalid();
  }
}

bool CViewContainer::isDirty() const {
  if (dirty) return true;
  const CRect area(0, 0, size.width(), size.height());
  for (const CView* child : children_)
    if (child->isDirty() && child->getViewSize().rectOverlap(area)) return true;
  return false;
}

void CViewContainer::invalidRect(const CRect& rect) {
  // Nothing of a child shows outside its container.
  CRect visiblePart = rect;
  visiblePart.bound(size);
  if (!visiblePart.isEmpty()) CView::invalidRect(visiblePart);
}

void CViewContainer::drawBackgroundRect(CDrawContext* context, const CRect& updateRect) {
  if (background) {
    // The whole picture under the clip (drawRect set it to the part):
    // drawn from its own origin, every part lands on the same pixels at
    // every size, where parts mapped one by one could be a pixel apart.
    if (transparencyEnabled)
      background->drawTransparent(context, size);
    else
      background->draw(context, size);
  } else if (!transparencyEnabled) {
    context->setFillColor(backgroundColor_);
    CRect part = updateRect;
    part.bound(size);
    context->fillRect(part);
  }
}

void CViewContainer::draw(CDrawContext* context) { drawRect(context, size); }

void CViewContainer::drawRect(CDrawContext* context, const CRect& updateRect) {
  CRect oldClip;
  context->getClipRect(oldClip);
  CRect clip = updateRect;
  clip.bound(size);
  clip.bound(oldClip);
  if (clip.isEmpty()) return;
  context->setClipRect(clip);
  drawBackgroundRect(context, clip);

  // Children draw in this container's coordinates.
  const CPoint oldOffset = context->offset;
  context->offset.offset(size.left, size.top);
  CRect local = clip;
  local.offset(-size.left, -size.top);
  for (CView* child : children_) {
    if (!child->isVisible() || !child->checkUpdate(local)) continue;
    CRect childClip = child->getViewSize();
    childClip.bound(local);
    if (childClip.isEmpty()) continue;
    context->setClipRect(childClip);
    child->drawRect(context, local);
  }
  context->offset = oldOffset;
  context->setClipRect(oldClip);
  setDirty(false);
}

CView* CViewContainer::childAt(const CPoint& local) const {
  for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
    CView* child = *it;
    if (child->isVisible() && child->getMouseEnabled() && child->hitTest(local)) return child;
  }
  return nullptr;
}

CView* CViewContainer::getViewAt(const CPoint& where, bool deep) const {
  CPoint local = where;
  local.offset(-size.left, -size.top);
  CView* child = childAt(local);
  if (child && deep && child->isTypeOf("CViewContainer")) {
    CView* inner = static_cast<CViewContainer*>(child)->getViewAt(local, true);
    return inner ? inner : child;
  }
  return child;
}

CMouseEventResult CViewContainer::onMouseDown(CPoint& where, const CButtonState& buttons) {
  CPoint local = where;
  local.offset(-size.left, -size.top);
  CView* child = childAt(local);
  if (!child) return kMouseEventNotHandled;
  // The child may leave the tree while it handles the click (a listener can
  // remove it); it only becomes the mouse-down view if it is still here.
  child->remember();
  CMouseEventResult result = kMouseEventNotHandled;
  bool consumed = false;
  if ((buttons & 0xff) > 7) {
    if (auto* target = dynamic_cast<CModifierClickTarget*>(child)) {
      consumed = target->consumeModifierClick(buttons);
      if (consumed) result = kMouseEventHandled;
    }
  }
  if (!consumed) {
    CPoint point = local;
    result = child->onMouseDown(point, buttons);
    if (result == kMouseEventHandled && isChild(child)) mouseDownView_ = child;
  }
  child->forget();
  return result;
}

CMouseEventResult CViewContainer::onMouseUp(CPoint& where, const CButtonState& buttons) {
  CView* view = mouseDownView_;
  if (!view) return kMouseEventNotHandled;
  mouseDownView_ = nullptr;
  CPoint local = where;
  local.offset(-size.left, -size.top);
  view->remember();
  const CMouseEventResult result = view->onMouseUp(local, buttons);
  view->forget();
  return result;
}

CMouseEventResult CViewContainer::onMouseMoved(CPoint& where, const CButtonState& buttons) {
  CView* view = mouseDownView_;
  if (!view) return kMouseEventNotHandled;
  CPoint local = where;
  local.offset(-size.left, -size.top);
  view->remember();
  const CMouseEventResult result = view->onMouseMoved(local, buttons);
  if (result != kMouseEventHandled && mouseDownView_ == view) mouseDownView_ = nullptr;
  view->forget();
  return result;
}

bool CViewContainer::onWheel(const CPoint& where, const CMouseWheelAxis& axis, const float& distance,
                             const CButtonState& buttons) {
  CPoint local = where;
  local.offset(-size.left, -size.top);
  CView* child = childAt(local);
  return child ? child->onWheel(local, axis, distance, buttons) : false;
}

bool CViewContainer::isTypeOf(const char* className) const {
  if (className && std::strcmp(className, "CViewContainer") == 0) return true;
  return CView::isTypeOf(className);
}

CMessageResult CViewContainer::notify(CBaseObject* sender, const char* message) {
  if (message && std::strcmp(message, kMsgCheckIfViewContainer) == 0) return kMessageNotified;
  return CView::notify(sender, message);
}

bool CViewContainer::attached(CView* parent) {
  CView::attached(parent);
  for (CView* child : children_) attachChild(child);
  return true;
}

bool CViewContainer::removed(CView* parent) {
  for (CView* child : children_)
    if (child->isAttached()) child->removed(this);
  // Children keep their parent container; only the frame link goes.
  for (CView* child : children_) child->parentView = this;
  return CView::removed(parent);
}

}  // namespace sorvane
