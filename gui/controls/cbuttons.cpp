#include "gui/controls/cbuttons.h"

#include <cstring>

#include "gui/draw/cbitmap.h"
#include "gui/draw/cdrawcontext.h"

namespace sorvane {
namespace {

void drawFrameOf(CBitmap* bitmap, CDrawContext* context, const CRect& size, const CPoint& source, bool transparent) {
  if (!bitmap) return;
  if (transparent)
    bitmap->drawTransparent(context, size, source);
  else
    bitmap->draw(context, size, source);
}

// Edges inclusive, as a finger on a button expects.
bool insideInclusive(const CRect& r, const CPoint& p) {
  return p.x >= r.left && p.x <= r.right && p.y >= r.top && p.y <= r.bottom;
}

}  // namespace

COnOffButton::COnOffButton(const CRect& size, CControlListener* listener, std::int32_t tag, CBitmap* background,
                           std::int32_t style)
    : CControl(size, listener, tag, background), style(style) {}

void COnOffButton::draw(CDrawContext* context) {
  const int y = isOn() && background ? background->getHeight() / 2 : 0;
  drawFrameOf(background, context, size, CPoint(0, y), transparencyEnabled);
  setDirty(false);
}

CMouseEventResult COnOffButton::onMouseDown(CPoint&, const CButtonState& buttons) {
  if (!(buttons & kLButton)) return kMouseEventNotHandled;
  value = static_cast<int>(clampedValue()) != 0 ? 0.0f : 1.0f;
  if (style == kPreListenerUpdate) {
    beginEdit();
    reportValue();
    endEdit();
  }
  invalid();
  doIdleStuff();
  if (style != kPreListenerUpdate) {
    beginEdit();
    reportValue();
    endEdit();
  }
  return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

bool COnOffButton::isTypeOf(const char* className) const {
  if (className && std::strcmp(className, "COnOffButton") == 0) return true;
  return CControl::isTypeOf(className);
}

CKickButton::CKickButton(const CRect& size, CControlListener* listener, std::int32_t tag, int frameHeight,
                         CBitmap* background, const CPoint& offset)
    : CControl(size, listener, tag, background), frameHeight(frameHeight), offset(offset) {}

void CKickButton::draw(CDrawContext* context) {
  CPoint source = offset;
  if (clampedValue() != 0.0f) source.y += frameHeight;
  drawFrameOf(background, context, size, source, transparencyEnabled);
  setDirty(false);
}

CMouseEventResult CKickButton::onMouseDown(CPoint& where, const CButtonState& buttons) {
  if (!(buttons & kLButton)) return kMouseEventNotHandled;
  entryValue = value;
  held = true;
  beginEdit();
  return onMouseMoved(where, buttons);
}

CMouseEventResult CKickButton::onMouseMoved(CPoint& where, const CButtonState& buttons) {
  // Only its own press shows the button pressed: a held button that was
  // pressed elsewhere passes over it without a trace.
  if (held && (buttons & kLButton)) {
    const float pressed = entryValue != 0.0f ? 0.0f : 1.0f;
    value = insideInclusive(size, where) ? pressed : entryValue;
    if (isDirty()) invalid();
  }
  return kMouseEventHandled;
}

CMouseEventResult CKickButton::onMouseUp(CPoint&, const CButtonState&) {
  if (!held) return kMouseEventHandled;
  held = false;
  if (value != 0.0f) reportValue();
  value = 0.0f;
  reportValue();
  if (isDirty()) invalid();
  endEdit();
  return kMouseEventHandled;
}

bool CKickButton::isTypeOf(const char* className) const {
  if (className && std::strcmp(className, "CKickButton") == 0) return true;
  return CControl::isTypeOf(className);
}

}  // namespace sorvane
