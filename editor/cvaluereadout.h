// The readout of a knob's value: a small plate beside the knob with the
// parameter's text from the units model ("+3.5 dB", "4.6 kHz", "OFF").
//
// When it shows: from the start of a gesture on a knob (a drag, a wheel
// step, a key, a reset, a click on a printed position) and after the
// pointer has rested on a knob for kHoverDelay; it goes kLinger after the
// last gesture has ended and the pointer has left the knob. A wheel notch
// past the end of the range moves nothing and is no gesture: the pointer
// over the knob shows it after the delay. A value that changes meanwhile
// (the user's or the host's) changes the text at once.
//
// Timing: the editor tells it of gestures and hands it, at every idle, the
// knob under the pointer and the clock's tick; it keeps no timer of its own.
// Ticks are compared as signed differences, across the counter's wrap.
//
// Place: below the knob, centred, else above, right or left of it: the
// first of those that lies inside the panel; the plate never covers its
// knob. It takes no mouse events (clicks and wheels reach what lies
// beneath), and a change invalidates only the rectangle it left and the one
// it takes.
//
// Thread contract: the host's user-interface thread only, as every view.
#pragma once

#include <array>
#include <cstdint>

#include "gui/controls/ccontrol.h"
#include "gui/draw/ccolor.h"
#include "gui/views/cview.h"
#include "plugin/units.h"

namespace sorvane {
class CFontDesc;
}

namespace sorvane::editor {

class CValueReadout : public CView {
 public:
  static constexpr std::int32_t kHoverDelay = 500;  // ms the pointer rests before it shows
  static constexpr std::int32_t kLinger = 1000;     // ms it stays after the knob was let go
  // The plate's size in panel pixels: room for the longest text at the font's size.
  static constexpr int kWidth = 56;
  static constexpr int kHeight = 15;
  static constexpr int kGap = 2;  // between the knob and the plate
  static constexpr int kFontSize = 11;

  struct Style {
    CColor plate;   // the fill
    CColor border;  // the outline: the product's accent
    CColor text;    // the panel's legend colour
  };

  // panel: the frame's own rectangle, which the plate stays inside.
  CValueReadout(const CRect& panel, const ParameterUnits& units, const Style& style);
  ~CValueReadout() override;

  // A gesture on knob starts or ends (knob: a control whose tag is its parameter).
  void gestureBegan(CControl* knob, std::uint32_t now);
  void gestureEnded(CControl* knob, std::uint32_t now);
  // knob's value changed: the text follows when it is the one shown.
  void valueChanged(CControl* knob);
  // Once per idle: the knob under the pointer (null for none), then the time.
  void idle(CControl* hovered, std::uint32_t now);

  // The knob shown, or null while hidden.
  CControl* shownKnob() const { return visible ? knob_ : nullptr; }
  const char* text() const { return text_.data(); }

  // Where the plate goes for a knob's rectangle: the first place beside it
  // inside panel; an empty rectangle when none has room.
  static CRect placeBeside(const CRect& knob, const CRect& panel);

  void draw(CDrawContext* context) override;
  bool hitTest(const CPoint&, const CButtonState& = -1) override { return false; }
  bool isTypeOf(const char* className) const override;

 private:
  void show(CControl* knob);
  void hide();
  // Formats the shown knob's value; true when the text changed.
  bool updateText();
  void setKnob(CControl* knob);

  CRect panel_;
  ParameterUnits units_;
  Style style_;
  CFontDesc* font_;
  CControl* knob_ = nullptr;         // the knob shown or last shown (one reference held)
  CControl* gestureKnob_ = nullptr;  // while a gesture runs
  CControl* hovered_ = nullptr;      // the knob under the pointer at the last idle
  std::uint32_t hoveredSince_ = 0;
  std::uint32_t lastEngaged_ = 0;  // the last tick a gesture ran or the pointer rested on the shown knob
  std::array<char, kValueTextCapacity> text_{};
};

}  // namespace sorvane::editor
