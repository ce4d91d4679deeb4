// The stepped frequency knob: an animated knob whose scale labels, printed on
// the background around it, are clickable. A click on label i jumps straight
// to step i, with the value the units model gives printed position i
// (steppedPositionValue: i / (n - 1) + 0.01, so the step's frame shows; the
// last step is 1.0), so a typed position and a clicked one are the same; a
// click on the knob itself drags, fine-tunes and resets as any knob; a click
// elsewhere in the enlarged mouseable area does nothing.
// Zones are inclusive on all edges, and where two overlap the later wins.
#pragma once

#include <vector>

#include "gui/controls/cknob.h"

namespace sorvane::editor {

class CMyAnimKnob : public CAnimKnob {
 public:
  // The zones are copied; the caller's array is only read here.
  CMyAnimKnob(const CRect& size, CControlListener* listener, std::int32_t tag, CBitmap* background,
              const CPoint& offset, const CRect* zones, int zoneCount);

  CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
  bool isTypeOf(const char* className) const override;

  const CRect& getKnobRect() const { return knobRect; }
  int getZoneCount() const { return static_cast<int>(hotZones.size()); }
  // The value a click on zone i sets.
  float zoneValue(int zone) const;

 private:
  CRect knobRect;
  std::vector<CRect> hotZones;
};

}  // namespace sorvane::editor
