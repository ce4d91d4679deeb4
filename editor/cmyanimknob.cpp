#include "editor/cmyanimknob.h"

#include <cstring>

#include "plugin/units.h"

namespace sorvane::editor {
namespace {

bool insideInclusive(const CRect& r, const CPoint& p) {
  return p.x >= r.left && p.x <= r.right && p.y >= r.top && p.y <= r.bottom;
}

}  // namespace

CMyAnimKnob::CMyAnimKnob(const CRect& size, CControlListener* listener, std::int32_t tag, CBitmap* background,
                         const CPoint& offset, const CRect* zones, int zoneCount)
    : CAnimKnob(size, listener, tag, background, offset), knobRect(size) {
  if (zones && zoneCount > 0) hotZones.assign(zones, zones + zoneCount);
}

float CMyAnimKnob::zoneValue(int zone) const { return steppedPositionValue(zone, getZoneCount()); }

CMouseEventResult CMyAnimKnob::onMouseDown(CPoint& where, const CButtonState& buttons) {
  int hit = -1;
  for (int i = 0; i < getZoneCount(); ++i)
    if (insideInclusive(hotZones[static_cast<size_t>(i)], where)) hit = i;
  if (hit >= 0) {
    beginEdit();
    const float before = value;
    setValue(zoneValue(hit));
    if (!(value == before)) reportValue();
    endEdit();
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
  }
  if (insideInclusive(knobRect, where)) return CAnimKnob::onMouseDown(where, buttons);
  return kMouseEventNotHandled;
}

bool CMyAnimKnob::isTypeOf(const char* className) const {
  if (className && std::strcmp(className, "CMyAnimKnob") == 0) return true;
  return CAnimKnob::isTypeOf(className);
}

}  // namespace sorvane::editor
