#include "gui/controls/cknob.h"

#include <cmath>
#include <cstring>
#include <numbers>

#include "gui/draw/cbitmap.h"
#include "gui/draw/cdrawcontext.h"
#include "gui/views/cframe.h"

namespace sorvane {
namespace {

constexpr float kPi = std::numbers::pi_v<float>;
constexpr float kTwoPi = 2.0f * kPi;
constexpr float kLinearRange = 200.0f;  // pixels for the whole range

}  // namespace

CKnob::CKnob(const CRect& size, CControlListener* listener, std::int32_t tag, CBitmap* background, const CPoint& offset)
    : CControl(size, listener, tag, background),
      offset(offset),
      startAngle(5.0f * kPi / 4.0f),
      rangeAngle(-3.0f * kPi / 2.0f),
      radius(static_cast<float>(size.width()) * 0.5f) {
  compute();
}

CKnob::~CKnob() = default;

void CKnob::setStartAngle(float angle) {
  startAngle = angle;
  compute();
}

void CKnob::setRangeAngle(float angle) {
  rangeAngle = angle;
  compute();
}

void CKnob::compute() {
  aCoef = rangeAngle != 0.0f ? (vmax - vmin) / rangeAngle : 0.0f;
  bCoef = vmin - aCoef * startAngle;
  halfAngle = (kTwoPi - std::fabs(rangeAngle)) * 0.5f;
  setDirty();
}

void CKnob::valueToPoint(CPoint& point) const {
  const float alpha = aCoef != 0.0f ? (clampedValue() - bCoef) / aCoef : startAngle;
  const float reach = radius - static_cast<float>(inset);
  point.x = static_cast<std::int32_t>(radius + std::cos(alpha) * reach + 0.5f);
  point.y = static_cast<std::int32_t>(radius - std::sin(alpha) * reach + 0.5f);
}

float CKnob::valueFromPoint(const CPoint& point) const {
  float alpha = std::atan2(radius - static_cast<float>(point.y), static_cast<float>(point.x) - radius);
  if (alpha < 0.0f) alpha += kTwoPi;
  float alpha2 = alpha - startAngle - rangeAngle;
  float alpha3 = std::fmod(alpha2, kTwoPi);
  if (alpha3 < 0.0f) alpha3 += kTwoPi;
  if (alpha3 > halfAngle - rangeAngle) return vmax;
  if (alpha3 > -rangeAngle) return vmin;
  if (alpha2 > halfAngle - rangeAngle)
    alpha2 -= kTwoPi;
  else if (alpha2 < -halfAngle)
    alpha2 += kTwoPi;
  return aCoef * alpha2 + vmax;
}

void CKnob::draw(CDrawContext* context) {
  if (background) {
    if (transparencyEnabled)
      background->drawTransparent(context, size, offset);
    else
      background->draw(context, size, offset);
  }
  CPoint handle;
  valueToPoint(handle);
  handle.offset(size.left, size.top);
  const CPoint centre(size.left + size.width() / 2, size.top + size.height() / 2);
  context->setFrameColor(colorShadowHandle);
  context->moveTo(CPoint(centre.x + 1, centre.y + 1));
  context->lineTo(CPoint(handle.x + 1, handle.y + 1));
  context->setFrameColor(colorHandle);
  context->moveTo(centre);
  context->lineTo(handle);
  setDirty(false);
}

bool CKnob::resetGesture(const CButtonState& buttons) {
  if (buttons != (kLButton | kControl)) return false;
  const float before = value;
  value = defaultValue;
  if (!(value == before)) reportValue();
  return true;
}

CMouseEventResult CKnob::onMouseDown(CPoint& where, const CButtonState& buttons) {
  // The listener may open something of its own over the knob (a field to
  // type the value in): the press begins no edit then, so no begin is left
  // without its end.
  if (buttons == (kLButton | kDoubleClick) && listener && listener->controlDoubleClicked(this) != 0)
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
  beginEdit();
  if (resetGesture(buttons)) {
    endEdit();
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
  }
  dragging = true;
  firstPoint = where;
  lastPoint = CPoint(-1, -1);
  startValue = oldValue;
  entryValue = value;
  range = kLinearRange;
  coef = (vmax - vmin) / range;
  oldButton = buttons;
  modeLinear = false;

  const bool alt = (buttons & kAlt) != 0;
  const bool linearMode = parentFrame && parentFrame->getKnobMode() == kLinearMode;
  if (((linearMode && !alt) || (!linearMode && alt)) && (buttons & kLButton)) {
    if (buttons & kShift) range *= zoomFactor;
    lastPoint = where;
    modeLinear = true;
    coef = (vmax - vmin) / range;
  } else {
    CPoint local = where;
    local.offset(-size.left, -size.top);
    startValue = valueFromPoint(local);
  }
  return onMouseMoved(where, buttons);
}

CMouseEventResult CKnob::onMouseMoved(CPoint& where, const CButtonState& buttons) {
  // Outside its own drag a knob only hears the pointer pass over it (a drag
  // that began elsewhere, or one a second button ended): no value, no report.
  if (!dragging || !(buttons & kLButton)) return kMouseEventHandled;
  if (where == lastPoint) return kMouseEventHandled;
  lastPoint = where;
  const float before = value;
  if (modeLinear) {
    const float diff = static_cast<float>((where.x - firstPoint.x) + (firstPoint.y - where.y));
    if (buttons != oldButton) {
      // A modifier changed mid-drag: continue from the current value, so
      // nothing jumps, at the new sensitivity.
      range = (buttons & kShift) ? kLinearRange * zoomFactor : kLinearRange;
      const float newCoef = (vmax - vmin) / range;
      entryValue += diff * (coef - newCoef);
      coef = newCoef;
      oldButton = buttons;
    }
    value = entryValue + diff * coef;
    bounceValue();
  } else {
    CPoint local = where;
    local.offset(-size.left, -size.top);
    value = valueFromPoint(local);
    const float half = (vmax - vmin) / 2.0f;
    if (startValue - value > half)
      value = vmax;
    else if (value - startValue > half)
      value = vmin;
    else
      startValue = value;
  }
  // Only a change is news to the host: a move that leaves the value where it
  // was (at the end of the range, say) reports nothing.
  if (!(value == before)) reportValue();
  if (isDirty()) invalid();
  return kMouseEventHandled;
}

CMouseEventResult CKnob::onMouseUp(CPoint&, const CButtonState&) {
  if (!dragging) return kMouseEventHandled;
  dragging = false;
  endEdit();
  return kMouseEventHandled;
}

void CKnob::stepValue(float step) {
  const float before = value;
  value += step;
  bounceValue();
  if (!(value == before) && listener) {
    beginEdit();
    reportValue();
    endEdit();
  }
}

bool CKnob::onWheel(const CPoint&, const CMouseWheelAxis& axis, const float& distance, const CButtonState& buttons) {
  if (!mouseEnabled || axis != kMouseWheelAxisY) return false;
  float step = distance * wheelInc;
  if (buttons & kShift) step *= 0.1f;
  stepValue(step);
  return true;
}

std::int32_t CKnob::onKeyDown(CKeyCode& key) {
  // During a drag the keys, like the wheel, leave the knob alone: a step
  // would be a gesture inside the drag's gesture, and the next move would
  // undo it anyway.
  if (dragging) return -1;
  float step;
  switch (key.virt) {
    case kVirtualKeyUp:
    case kVirtualKeyRight:
      step = 1.0f;
      break;
    case kVirtualKeyDown:
    case kVirtualKeyLeft:
      step = -1.0f;
      break;
    default:
      return -1;
  }
  if (key.modifier & platform::kKeyShift) step *= 0.1f;
  stepValue(step * wheelInc);
  return 1;
}

bool CKnob::isTypeOf(const char* className) const {
  if (className && std::strcmp(className, "CKnob") == 0) return true;
  return CControl::isTypeOf(className);
}

CAnimKnob::CAnimKnob(const CRect& size, CControlListener* listener, std::int32_t tag, CBitmap* background,
                     const CPoint& offset)
    : CKnob(size, listener, tag, background, offset),
      frameHeight(size.height()),
      frameCount(background && size.height() > 0 ? background->getHeight() / size.height() : 0) {
  inset = 0;
}

int CAnimKnob::frameIndex() const {
  if (frameCount < 1) return 0;
  const float position = inverseBitmap ? 1.0f - normalizedValue() : normalizedValue();
  const int span = (frameCount - 1) * frameHeight;
  const int y = static_cast<int>(position * static_cast<float>(span));
  return frameHeight > 0 ? std::min(y / frameHeight, frameCount - 1) : 0;
}

void CAnimKnob::draw(CDrawContext* context) {
  if (background && frameCount > 0) {
    const int frame = frameIndex();
    const CPoint source(0, frame * frameHeight);
    if (transparencyEnabled)
      background->drawTransparent(context, size, source);
    else
      background->draw(context, size, source);
  }
  lastDrawnFrame = frameIndex();
  valueToPoint(lastDrawnPoint);
  setDirty(false);
}

bool CAnimKnob::isDirty() const {
  // The handle point alone misses a change of frame that moves the point by
  // less than a pixel; the frame is compared too.
  CPoint point;
  valueToPoint(point);
  if (!dirty && point == lastDrawnPoint && frameIndex() == lastDrawnFrame) return false;
  return CKnob::isDirty();
}

bool CAnimKnob::isTypeOf(const char* className) const {
  if (className && std::strcmp(className, "CAnimKnob") == 0) return true;
  return CKnob::isTypeOf(className);
}

}  // namespace sorvane
