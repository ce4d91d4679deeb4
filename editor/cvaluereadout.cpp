#include "editor/cvaluereadout.h"

#include <cstring>

#include "gui/draw/cdrawcontext.h"
#include "gui/draw/cfontdesc.h"
#include "platform/clock.h"

namespace sorvane::editor {

CValueReadout::CValueReadout(const CRect& panel, const ParameterUnits& units, const Style& style)
    : CView(CRect(0, 0, 0, 0)),
      panel_(panel),
      units_(units),
      style_(style),
      // The panel's legends are set in the bold sans face.
      font_(new CFontDesc("Arial", kFontSize, kBoldFace)) {
  visible = false;
  mouseEnabled = false;
  mouseableArea = CRect(0, 0, 0, 0);
}

CValueReadout::~CValueReadout() {
  setKnob(nullptr);
  font_->forget();
}

CRect CValueReadout::placeBeside(const CRect& knob, const CRect& panel) {
  const int centreX = (knob.left + knob.right) / 2;
  const int centreY = (knob.top + knob.bottom) / 2;
  const CRect candidates[] = {
      CRect(centreX - kWidth / 2, knob.bottom + kGap, centreX - kWidth / 2 + kWidth, knob.bottom + kGap + kHeight),
      CRect(centreX - kWidth / 2, knob.top - kGap - kHeight, centreX - kWidth / 2 + kWidth, knob.top - kGap),
      CRect(knob.right + kGap, centreY - kHeight / 2, knob.right + kGap + kWidth, centreY - kHeight / 2 + kHeight),
      CRect(knob.left - kGap - kWidth, centreY - kHeight / 2, knob.left - kGap, centreY - kHeight / 2 + kHeight),
  };
  for (const CRect& place : candidates) {
    const bool inside = place.left >= panel.left && place.top >= panel.top && place.right <= panel.right &&
                        place.bottom <= panel.bottom;
    if (inside && !place.rectOverlap(knob)) return place;
  }
  return CRect(0, 0, 0, 0);
}

void CValueReadout::setKnob(CControl* knob) {
  if (knob == knob_) return;
  if (knob) knob->remember();
  if (knob_) knob_->forget();
  knob_ = knob;
}

bool CValueReadout::updateText() {
  std::array<char, kValueTextCapacity> fresh{};
  if (!knob_ || !units_.format(knob_->getTag(), knob_->getValue(), fresh)) fresh[0] = 0;
  if (std::strcmp(fresh.data(), text_.data()) == 0) return false;
  text_ = fresh;
  return true;
}

void CValueReadout::show(CControl* knob) {
  const CRect place = placeBeside(knob->getViewSize(), panel_);
  if (place.isEmpty()) return;  // no room beside it: better nothing than the knob hidden
  const bool moved = knob != knob_ || !visible || !(place == size);
  setKnob(knob);
  const bool changed = updateText();
  if (moved) {
    // The place it leaves, then the one it takes; nothing else.
    if (visible) invalid();
    size = place;
    visible = true;
    invalid();
  } else if (changed) {
    invalid();
  }
}

void CValueReadout::hide() {
  if (!visible) return;
  setVisible(false);
}

void CValueReadout::gestureBegan(CControl* knob, std::uint32_t now) {
  if (!knob) return;
  gestureKnob_ = knob;
  lastEngaged_ = now;
  show(knob);
}

void CValueReadout::gestureEnded(CControl* knob, std::uint32_t now) {
  if (knob != gestureKnob_) return;
  gestureKnob_ = nullptr;
  lastEngaged_ = now;
}

void CValueReadout::valueChanged(CControl* knob) {
  if (!visible || knob != knob_) return;
  if (updateText()) invalid();
}

void CValueReadout::idle(CControl* hovered, std::uint32_t now) {
  if (hovered != hovered_) {
    // The pointer left the shown knob: the time to go counts from here.
    if (hovered_ == knob_ && visible) lastEngaged_ = now;
    hovered_ = hovered;
    hoveredSince_ = now;
  }
  if (gestureKnob_) {
    lastEngaged_ = now;
    return;
  }
  if (hovered_) {
    if (visible && hovered_ == knob_) {
      lastEngaged_ = now;
      return;
    }
    if (platform::tickDifference(now, hoveredSince_) >= kHoverDelay) {
      show(hovered_);
      lastEngaged_ = now;
      return;
    }
  }
  if (visible && platform::tickDifference(now, lastEngaged_) >= kLinger) hide();
}

void CValueReadout::draw(CDrawContext* context) {
  context->setFillColor(style_.plate);
  context->fillRect(size);
  context->setLineWidth(1);
  context->setFrameColor(style_.border);
  context->drawRect(size);
  context->setFont(font_);
  context->setFontColor(style_.text);
  CRect inner = size;
  inner.inset(2, 1);
  context->drawString(text_.data(), inner, kCenterText);
  setDirty(false);
}

bool CValueReadout::isTypeOf(const char* className) const {
  if (className && std::strcmp(className, "CValueReadout") == 0) return true;
  return CView::isTypeOf(className);
}

}  // namespace sorvane::editor
