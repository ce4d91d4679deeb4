// A view that holds a normalised value, reports the user's changes to a
// listener and brackets each gesture with begin and end of edit (which the
// frame passes with the tag to the editor, and the editor to the host).
//
// Dirty rule: a control needs drawing when its value differs from the value
// it last drew (oldValue) or its view flag is set. setDirty(false) records
// the drawn value; setDirty(true) forces a difference.
//
// Values: whatever a caller stores, every place that turns a value into a
// picture frame, a switch state or an index first clamps it into vmin..vmax,
// and a NaN reads as vmin.
#pragma once

#include <cstdint>

#include "gui/views/cview.h"

namespace sorvane {

class CControl;

class CControlListener {
 public:
  virtual ~CControlListener() = default;
  virtual void valueChanged(CControl* control) = 0;
  // A right or modified click on a control; non-zero takes the click.
  virtual std::int32_t controlModifierClicked(CControl*, CButtonState) { return 0; }
  // The second press of a plain left double-click on a control that offers
  // it (the knobs); non-zero takes the press, which then is no gesture of
  // the control's.
  virtual std::int32_t controlDoubleClicked(CControl*) { return 0; }
  virtual void controlBeginEdit(CControl*) {}
  virtual void controlEndEdit(CControl*) {}
};

class CControl : public CView, public CModifierClickTarget {
 public:
  CControl(const CRect& size, CControlListener* listener = nullptr, std::int32_t tag = 0,
           CBitmap* background = nullptr);
  ~CControl() override;

  void setDirty(bool state = true) override;
  bool isDirty() const override;

  virtual void setValue(float value);
  float getValue() const { return value; }
  virtual void setMin(float v) { vmin = v; }
  float getMin() const { return vmin; }
  virtual void setMax(float v) { vmax = v; }
  float getMax() const { return vmax; }
  virtual void setOldValue(float v) { oldValue = v; }
  float getOldValue() const { return oldValue; }
  virtual void setDefaultValue(float v) { defaultValue = v; }
  float getDefaultValue() const { return defaultValue; }
  virtual void setWheelInc(float v) { wheelInc = v; }
  float getWheelInc() const { return wheelInc; }
  virtual void bounceValue();

  // The start and end of a user gesture: the listener and the frame hear of
  // it; the control becomes the frame's focus view.
  virtual void beginEdit();
  virtual void endEdit();

  void setTag(std::int32_t t) { tag = t; }
  std::int32_t getTag() const { return tag; }
  void setListener(CControlListener* l) { listener = l; }
  CControlListener* getListener() const { return listener; }
  int getDoubleClickInterval() const { return doubleClickInterval; }

  // The value held to vmin..vmax, NaN as vmin: the only form that may be
  // turned into an index or a frame.
  float clampedValue() const;
  // The clamped value as 0..1 of the range (0 for an empty range).
  float normalizedValue() const;

  bool consumeModifierClick(const CButtonState& buttons) override;
  bool isTypeOf(const char* className) const override;

 protected:
  // Calls the listener's valueChanged (when there is one).
  void reportValue();

  CControlListener* listener;
  std::int32_t tag;
  float value = 0.0f;
  float oldValue = 1.0f;
  float defaultValue = 0.5f;
  float vmin = 0.0f;
  float vmax = 1.0f;
  float wheelInc = 0.1f;
  int doubleClickInterval = 250;
};

}  // namespace sorvane
