// Knobs. A drag changes the value linearly (200 pixels for the whole range,
// right and up increase; Shift multiplies the distance by the zoom factor)
// or, in circular mode, follows the angle of the pointer around the centre
// over a 270-degree arc from lower left (vmin) clockwise to lower right
// (vmax). Control + left click resets to the default; the wheel and the
// arrow keys step by wheelInc (a tenth of that with Shift), the keys only
// outside a drag (the frame keeps the wheel from a drag too). Moves change
// the value only during the knob's own drag. Only the vertical wheel turns a
// knob: a sideways swipe is the host's, to scroll.
//
// The knob mode comes from the frame (the editor's shared setting); Alt
// swaps linear and circular for one drag.
//
// The second press of a plain left double-click goes to the listener first
// (controlDoubleClicked); when it takes it, the knob does nothing more.
#pragma once

#include "gui/controls/ccontrol.h"
#include "gui/draw/ccolor.h"

namespace sorvane {

class CKnob : public CControl {
 public:
  CKnob(const CRect& size, CControlListener* listener, std::int32_t tag, CBitmap* background,
        const CPoint& offset = CPoint());
  ~CKnob() override;

  void draw(CDrawContext* context) override;
  CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
  CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
  CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
  bool onWheel(const CPoint& where, const CMouseWheelAxis& axis, const float& distance,
               const CButtonState& buttons) override;
  using CControl::onWheel;
  std::int32_t onKeyDown(CKeyCode& key) override;
  bool wantsFocus() const override { return true; }
  bool isTypeOf(const char* className) const override;

  void setStartAngle(float angle);
  float getStartAngle() const { return startAngle; }
  void setRangeAngle(float angle);
  float getRangeAngle() const { return rangeAngle; }
  void setZoomFactor(float factor) { zoomFactor = factor; }
  float getZoomFactor() const { return zoomFactor; }
  void setInsetValue(int value) { inset = value; }
  void setColorHandle(const CColor& color) { colorHandle = color; }
  void setColorShadowHandle(const CColor& color) { colorShadowHandle = color; }

  // The handle's end point for value, relative to the knob's top-left.
  void valueToPoint(CPoint& point) const;
  // The value at a point relative to the knob's top-left (circular mode).
  float valueFromPoint(const CPoint& point) const;

 protected:
  void compute();
  // Sets the value from a step and tells the host when it changed.
  void stepValue(float step);
  // Reset to the default on Control + left click (exactly): true when done.
  bool resetGesture(const CButtonState& buttons);

  CPoint offset;
  float startAngle;
  float rangeAngle;
  float zoomFactor = 1.5f;
  int inset = 3;
  float radius;
  float aCoef = 0.0f, bCoef = 0.0f, halfAngle = 0.0f;
  CColor colorHandle = kWhiteCColor;
  CColor colorShadowHandle = kGreyCColor;

  // Drag state, from mouse-down to mouse-up.
  bool dragging = false;  // between a mouse-down that began a drag and its mouse-up
  CPoint firstPoint;
  CPoint lastPoint;
  float startValue = 0.0f;
  float entryValue = 0.0f;
  float range = 200.0f;
  float coef = 0.0f;
  CButtonState oldButton = 0;
  bool modeLinear = false;
};

// A knob drawn from a vertical strip of frames (one frame per position): the
// frame count is the bitmap height divided by the knob's height.
class CAnimKnob : public CKnob {
 public:
  CAnimKnob(const CRect& size, CControlListener* listener, std::int32_t tag, CBitmap* background,
            const CPoint& offset = CPoint());

  void draw(CDrawContext* context) override;
  bool isDirty() const override;
  bool isTypeOf(const char* className) const override;

  void setInverseBitmap(bool state) { inverseBitmap = state; }
  int getFrameCount() const { return frameCount; }
  int getFrameHeight() const { return frameHeight; }
  // The frame the current value shows (0 .. frameCount - 1).
  int frameIndex() const;

 protected:
  int frameHeight;
  int frameCount;
  bool inverseBitmap = false;
  CPoint lastDrawnPoint{-1, -1};
  int lastDrawnFrame = -1;
};

}  // namespace sorvane
