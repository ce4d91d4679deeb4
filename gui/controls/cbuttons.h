// Buttons drawn from two-frame bitmaps.
//
// COnOffButton: a switch. A left click flips it and reports at once; it
// shows the lower half of its bitmap when on.
// CKickButton: momentary. It shows its second frame while pressed with the
// pointer inside, and reports on release: 1 then 0 when released inside,
// only 0 when released outside.
#pragma once

#include "gui/controls/ccontrol.h"

namespace sorvane {

enum CButtonUpdateStyle : std::int32_t {
  kPostListenerUpdate = 0,  // redraw and idle work first, then the report
  kPreListenerUpdate = 1,   // the report first
};

class COnOffButton : public CControl {
 public:
  COnOffButton(const CRect& size, CControlListener* listener, std::int32_t tag, CBitmap* background,
               std::int32_t style = kPostListenerUpdate);

  void draw(CDrawContext* context) override;
  CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
  bool isTypeOf(const char* className) const override;
  bool isOn() const { return clampedValue() != 0.0f; }

 protected:
  std::int32_t style;
};

class CKickButton : public CControl {
 public:
  CKickButton(const CRect& size, CControlListener* listener, std::int32_t tag, int frameHeight, CBitmap* background,
              const CPoint& offset = CPoint());

  void draw(CDrawContext* context) override;
  CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
  CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
  CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
  bool isTypeOf(const char* className) const override;

 protected:
  int frameHeight;
  CPoint offset;
  float entryValue = 0.0f;
  bool held = false;  // from its mouse-down to its mouse-up
};

}  // namespace sorvane
