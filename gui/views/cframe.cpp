#include "gui/views/cframe.h"

#include <cstring>

#include "gui/draw/scaling.h"

namespace sorvane {
namespace {

int heldButtonCount(CButtonState buttons) {
  int count = 0;
  for (CButtonState bit : {kLButton, kMButton, kRButton, kButton4, kButton5}) count += (buttons & bit) ? 1 : 0;
  return count;
}

}  // namespace

CFrame::CFrame(const CRect& size, void* parentWindow, GUIEditorInterface* editor, const platform::UiServices& services,
               int scalePercent)
    : CViewContainer(size, nullptr),
      editor_(editor),
      parentWindow_(parentWindow),
      services_(services),
      scale_(isEditorScale(scalePercent) ? scalePercent : 100) {
  parentFrame = this;
  attachedFlag = true;
  const CPoint windowSize = windowSizeAt(scale_);
  if (services_.windows)
    window_ = services_.windows->createChildWindow(parentWindow, windowSize.x, windowSize.y, *this);
  if (window_) {
    if (scale_ != 100) window_->setContentScale(scale_);
    setDropActive(true);
  }
}

CFrame::~CFrame() {
  // Our own references keep the frame whole while its children go.
  endMouseGesture();
  if (modalView_) {
    CView* modal = modalView_;
    modalView_ = nullptr;
    removeView(modal, false);
  }
  focusView_ = mouseOverView_ = dragView_ = wheelView_ = nullptr;
  holdKeyboardForFocusView();
  removeAll(true);
  setDropActive(false);
  if (window_) window_->detachClient();
  window_.reset();
}

void* CFrame::getSystemWindow() const { return isWindowOpen() ? window_->systemHandle() : nullptr; }

std::int32_t CFrame::getKnobMode() const { return editor_ ? editor_->getKnobMode() : kCircularMode; }

void CFrame::idle() {
  if (!isWindowOpen()) return;
  // The pending events may close the editor: the frame stays whole until done.
  remember();
  window_->pumpEvents();
  if (isWindowOpen()) {
    invalidateDirtyViews();
    updateWindow();
  }
  forget();
}

void CFrame::updateWindow() {
  if (isWindowOpen()) window_->update();
}

CPoint CFrame::windowSizeAt(int percent) const {
  return CPoint(scaleToWindow(size.width(), percent), scaleToWindow(size.height(), percent));
}

CPoint CFrame::panelToWindow(const CPoint& point) const { return scaleToWindow(point, scale_); }
CRect CFrame::panelToWindow(const CRect& rect) const { return scaleToWindow(rect, scale_); }
CPoint CFrame::windowToPanel(const CPoint& point) const { return scaleToPanel(point, scale_); }

bool CFrame::setScale(int percent) {
  if (!isEditorScale(percent)) return false;
  if (percent == scale_) return true;
  if (isWindowOpen()) {
    const CPoint windowSize = windowSizeAt(percent);
    if (!window_->resize(windowSize.x, windowSize.y)) return false;
    window_->setContentScale(percent);
  }
  scale_ = percent;
  invalidRect(CRect(0, 0, size.width(), size.height()));
  return true;
}

void CFrame::doIdleStuff() {
  if (editor_) editor_->doIdleStuff();
}

void CFrame::beginEdit(std::int32_t tag) {
  if (editor_) editor_->beginEdit(tag);
}

void CFrame::endEdit(std::int32_t tag) {
  if (editor_) editor_->endEdit(tag);
}

void CFrame::setDropActive(bool active) {
  if (active == dropActive_) return;
  dropActive_ = active;
  if (isWindowOpen()) window_->setDropTarget(active);
}

void CFrame::invalidRect(const CRect& rect) {
  if (!isWindowOpen() || !visible) return;
  CRect r = rect;
  r.bound(CRect(0, 0, size.width(), size.height()));
  if (!r.isEmpty()) window_->invalidate(scaleToWindowArea(r, scale_));
}

bool CFrame::setModalView(CView* view) {
  if (view == nullptr) {
    if (modalView_) {
      CView* old = modalView_;
      modalView_ = nullptr;
      removeView(old, false);
    }
    return true;
  }
  if (modalView_ || view->isAttached()) return false;
  if (!addView(view)) return false;
  modalView_ = view;
  return true;
}

void CFrame::setFocusView(CView* view) {
  if (view == focusView_) return;
  CView* old = focusView_;
  focusView_ = view;
  if (old) old->looseFocus();
  if (view && focusView_ == view) view->takeFocus();
  holdKeyboardForFocusView();
}

void CFrame::holdKeyboardForFocusView() {
  const bool wanted = focusView_ != nullptr && focusView_->takesKeyboard();
  if (wanted == keyboardHeld_) return;
  keyboardHeld_ = wanted;
  if (isWindowOpen()) window_->holdKeyboardFocus(wanted);
}

void CFrame::keyboardLost() {
  // The focus is elsewhere already: nothing to hand back.
  if (!keyboardHeld_) return;
  keyboardHeld_ = false;
  if (focusView_ && focusView_->takesKeyboard()) setFocusView(nullptr);
}

bool CFrame::advanceNextFocusView(CView* oldFocus, bool reverse) {
  const int count = getNbViews();
  if (count == 0) return false;
  int start = -1;
  for (int i = 0; i < count; ++i)
    if (getView(i) == oldFocus) start = i;
  for (int step = 1; step <= count; ++step) {
    int i = start < 0 ? (reverse ? count - step : step - 1) : (start + (reverse ? count - step : step)) % count;
    CView* candidate = getView(i);
    if (candidate && candidate != oldFocus && candidate->isVisible() && candidate->wantsFocus()) {
      setFocusView(candidate);
      return true;
    }
  }
  return false;
}

void CFrame::onViewRemoved(CView* view) {
  if (view == nullptr) return;
  if (mouseDownView_ && viewContains(view, mouseDownView_)) endMouseGesture();
  if (modalView_ == view) modalView_ = nullptr;
  if (focusView_ && viewContains(view, focusView_)) setFocusView(nullptr);
  if (mouseOverView_ && viewContains(view, mouseOverView_)) mouseOverView_ = nullptr;
  if (dragView_ && viewContains(view, dragView_)) dragView_ = nullptr;
  if (wheelView_ && viewContains(view, wheelView_)) {
    wheelView_ = nullptr;
    wheelRemainder_ = 0;
  }
}

void CFrame::endMouseGesture() { endMouseGestureAt(lastPoint_, lastButtons_); }

void CFrame::endMouseGestureAt(const CPoint& point, const CButtonState& buttons) {
  CView* view = mouseDownView_;
  if (!view) return;
  // Cleared first: the mouse-up may remove views, which asks us again.
  mouseDownView_ = nullptr;
  CPoint where = point;
  view->frameToLocal(where);
  view->remember();
  view->onMouseUp(where, buttons);
  view->forget();
}

CMouseEventResult CFrame::onMouseDown(CPoint& where, const CButtonState& buttons) {
  // A gesture still running (another button is held, or its button-up went
  // astray) ends with its mouse-up before this press does anything, so the
  // host hears its end of edit first.
  endMouseGestureAt(where, buttons & ~kDoubleClick);
  // The system makes a press the second of a double-click when the press
  // before it was the same button's; a press we took for no click cannot
  // have been the first of a pair (so a Control-click after it still resets).
  CButtonState word = buttons;
  if (lastPressIgnored_) word &= ~kDoubleClick;
  // A press while another button is held belongs to the gesture that button
  // made: it is no click on whatever lies under the pointer now (a menu that
  // would open under a held button, a knob beneath a closed about screen).
  lastPressIgnored_ = heldButtonCount(word) > 1;
  if (lastPressIgnored_) return kMouseEventNotHandled;
  if (focusView_ && !(focusView_->takesKeyboard() && getViewAt(where, true) == focusView_)) setFocusView(nullptr);
  if (mouseOverView_) {
    CView* over = mouseOverView_;
    mouseOverView_ = nullptr;
    CPoint local = where;
    over->frameToLocal(local);
    over->onMouseExited(local, word);
  }
  if (modalView_) {
    CView* modal = modalView_;
    if (!modal->hitTest(where, word)) return kMouseEventNotHandled;
    modal->remember();
    CPoint point = where;
    const CMouseEventResult result = modal->onMouseDown(point, word);
    const bool keep = result == kMouseEventHandled && modalView_ == modal;
    if (keep) mouseDownView_ = modal;
    modal->forget();
    return keep ? kMouseEventHandled : kMouseEventNotHandled;
  }
  return CViewContainer::onMouseDown(where, word);
}

CMouseEventResult CFrame::onMouseUp(CPoint& where, const CButtonState& buttons) {
  return CViewContainer::onMouseUp(where, buttons);
}

CMouseEventResult CFrame::onMouseMoved(CPoint& where, const CButtonState& buttons) {
  if (!mouseLeaveArmed_ && isWindowOpen()) {
    window_->trackMouseLeave();
    mouseLeaveArmed_ = true;
  }
  if (modalView_) {
    CView* modal = modalView_;
    modal->remember();
    CPoint point = where;
    const CMouseEventResult result = modal->onMouseMoved(point, buttons);
    modal->forget();
    return result;
  }
  if (mouseDownView_) {
    const CMouseEventResult result = CViewContainer::onMouseMoved(where, buttons);
    if (result == kMouseEventHandled) return result;
    mouseDownView_ = nullptr;
  }
  CView* over = getViewAt(where, true);
  if (over != mouseOverView_) {
    if (CView* old = mouseOverView_) {
      mouseOverView_ = nullptr;
      CPoint local = where;
      old->frameToLocal(local);
      old->onMouseExited(local, buttons);
    }
    // The exit handler may have changed the tree.
    over = getViewAt(where, true);
    mouseOverView_ = over;
    if (over) {
      CPoint local = where;
      over->frameToLocal(local);
      over->onMouseEntered(local, buttons);
    }
    return kMouseEventHandled;
  }
  if (mouseOverView_) {
    CView* view = mouseOverView_;
    view->remember();
    CPoint local = where;
    view->frameToLocal(local);
    const CMouseEventResult result = view->onMouseMoved(local, buttons);
    view->forget();
    return result;
  }
  return kMouseEventNotHandled;
}

CMouseEventResult CFrame::onMouseExited(CPoint& where, const CButtonState& buttons) {
  // The system reports a leave once per request: the next move asks again.
  mouseLeaveArmed_ = false;
  if (CView* over = mouseOverView_) {
    mouseOverView_ = nullptr;
    CPoint local = where;
    over->frameToLocal(local);
    over->onMouseExited(local, buttons);
  }
  return kMouseEventHandled;
}

CView* CFrame::wheelTargetAt(const CPoint& where) const {
  if (mouseDownView_) return nullptr;
  if (modalView_) return modalView_;
  for (auto it = children_.rbegin(); it != children_.rend(); ++it)
    if ((*it)->isVisible() && (*it)->hitTest(where)) return *it;
  return nullptr;
}

bool CFrame::onWheel(const CPoint& where, const CMouseWheelAxis& axis, const float& distance,
                     const CButtonState& buttons) {
  CView* target = wheelTargetAt(where);
  if (!target) return false;
  target->remember();
  const bool used = target->onWheel(where, axis, distance, buttons);
  target->forget();
  return used;
}

std::int32_t CFrame::onKeyDown(CKeyCode& key) {
  std::int32_t result = -1;
  if (focusView_) result = focusView_->onKeyDown(key);
  if (result == -1 && modalView_) result = modalView_->onKeyDown(key);
  if (result == -1 && key.virt == kVirtualKeyTab)
    result = advanceNextFocusView(focusView_, (key.modifier & platform::kKeyShift) != 0) ? 1 : -1;
  return result;
}

std::int32_t CFrame::onKeyUp(CKeyCode& key) {
  std::int32_t result = -1;
  if (focusView_) result = focusView_->onKeyUp(key);
  if (result == -1 && modalView_) result = modalView_->onKeyUp(key);
  return result;
}

bool CFrame::onDrop(CDragContainer* drag, const CPoint& where) {
  CView* view = getViewAt(where, true);
  dragView_ = nullptr;
  if (!view) return false;
  CPoint local = where;
  view->frameToLocal(local);
  return view->onDrop(drag, local);
}

void CFrame::onDragEnter(CDragContainer* drag, const CPoint& where) {
  dragView_ = getViewAt(where, true);
  if (dragView_) {
    CPoint local = where;
    dragView_->frameToLocal(local);
    dragView_->onDragEnter(drag, local);
  }
}

void CFrame::onDragLeave(CDragContainer* drag, const CPoint& where) {
  if (CView* view = dragView_) {
    dragView_ = nullptr;
    CPoint local = where;
    view->frameToLocal(local);
    view->onDragLeave(drag, local);
  }
}

void CFrame::onDragMove(CDragContainer* drag, const CPoint& where) {
  CView* view = getViewAt(where, true);
  if (view != dragView_) {
    onDragLeave(drag, where);
    onDragEnter(drag, where);
    return;
  }
  if (view) {
    CPoint local = where;
    view->frameToLocal(local);
    view->onDragMove(drag, local);
  }
}

bool CFrame::isTypeOf(const char* className) const {
  if (className && std::strcmp(className, "CFrame") == 0) return true;
  return CViewContainer::isTypeOf(className);
}

void CFrame::windowDestroyed() {
  endMouseGesture();
  keyboardHeld_ = false;
  setDropActive(false);
  windowGone_ = true;
}

}  // namespace sorvane
