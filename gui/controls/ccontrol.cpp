#include "gui/controls/ccontrol.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "gui/draw/cbitmap.h"
#include "gui/views/cframe.h"

namespace sorvane {

CControl::CControl(const CRect& size, CControlListener* listener, std::int32_t tag, CBitmap* background)
    : CView(size), listener(listener), tag(tag) {
  if (background) setBackground(background);
  setDirty(true);
}

CControl::~CControl() = default;

void CControl::setDirty(bool state) {
  CView::setDirty(state);
  if (state)
    oldValue = value == -1.0f ? 0.0f : -1.0f;
  else
    oldValue = value;
}

bool CControl::isDirty() const { return !(value == oldValue) || CView::isDirty(); }

void CControl::setValue(float v) {
  // A NaN would never equal the drawn value and keep the control dirty for good.
  value = std::isnan(v) ? vmin : v;
}

void CControl::bounceValue() { value = clampedValue(); }

float CControl::clampedValue() const {
  if (std::isnan(value)) return vmin;
  if (vmax < vmin) return vmin;
  return std::clamp(value, vmin, vmax);
}

float CControl::normalizedValue() const {
  const float range = vmax - vmin;
  if (!(range > 0.0f) || !std::isfinite(range)) return 0.0f;
  return std::clamp((clampedValue() - vmin) / range, 0.0f, 1.0f);
}

void CControl::beginEdit() {
  if (listener) listener->controlBeginEdit(this);
  if (parentFrame) {
    parentFrame->setFocusView(this);
    parentFrame->beginEdit(tag);
  }
}

void CControl::endEdit() {
  if (parentFrame) parentFrame->endEdit(tag);
  if (listener) listener->controlEndEdit(this);
}

void CControl::reportValue() {
  if (listener) listener->valueChanged(this);
}

bool CControl::consumeModifierClick(const CButtonState& buttons) {
  return listener && listener->controlModifierClicked(this, buttons) != 0;
}

bool CControl::isTypeOf(const char* className) const {
  if (className && std::strcmp(className, "CControl") == 0) return true;
  return CView::isTypeOf(className);
}

}  // namespace sorvane
