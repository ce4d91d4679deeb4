// The knobs' value readout in the real editor, on the scripted clock: when
// it shows and goes, what it says, where it sits, what it repaints, and that
// the host never hears of it.
#include <gtest/gtest.h>

#include "editor/cmyanimknob.h"
#include "editor/cvaluereadout.h"
#include "gui/draw/cfontdesc.h"
#include "gui/draw/scaling.h"
#include "platform/software/draw_text.h"
#include "tests/editor/editor_fixture.h"
#include "tests/editor/golden.h"

namespace sorvane::test {
namespace {

using editor::ControlKind;
using editor::CValueReadout;

template <class Product>
class Readout : public EditorTest<Product> {
 protected:
  void idleAfter(std::uint32_t ms) {
    this->ui.clock.advance(ms);
    this->dispatch(effEditIdle);
  }
  CControl* shown() { return this->editor->readout()->shownKnob(); }
  CControl* knob(int tag) { return this->editor->parameterControl(tag); }
  // The units model's text for the effect's value.
  std::string textOf(int tag) {
    char text[kValueTextCapacity] = {};
    unitsOf<Product>().format(tag, this->effect->getParameter(tag), text);
    return text;
  }
  int firstOf(ControlKind kind) const {
    for (const auto& c : this->layout().controls)
      if (c.kind == kind) return c.tag;
    return -1;
  }
  // A wheel notch towards the middle: one past the end is no gesture.
  void wheelOn(int tag, CPoint at) { this->window->wheel(at.x, at.y, knob(tag)->getValue() > 0.5f ? -120 : 120); }
};
TYPED_TEST_SUITE(Readout, Products);

TYPED_TEST(Readout, ADragAWheelOrAResetShowsItAtOnceUntilASecondAfter) {
  ASSERT_TRUE(this->open());
  for (int tag : {this->firstOf(ControlKind::Knob), this->firstOf(ControlKind::SteppedKnob)}) {
    const CPoint at = TestFixture::centre(this->controlOf(tag).rect);
    EXPECT_EQ(this->shown(), nullptr);
    this->window->mouseDown(at.x, at.y, kLButton);
    for (int y = at.y - 1; y >= at.y - 30; --y) this->window->mouseMove(at.x, y, kLButton);
    EXPECT_EQ(this->shown(), this->knob(tag));
    EXPECT_EQ(this->editor->readout()->text(), this->textOf(tag)) << "the text follows the drag";
    this->idleAfter(5000);
    EXPECT_EQ(this->shown(), this->knob(tag)) << "a long drag keeps it";
    this->window->mouseUp(at.x, at.y - 30, 0);
    this->idleAfter(900);
    EXPECT_EQ(this->shown(), this->knob(tag)) << "it lingers for a second";
    this->idleAfter(150);
    EXPECT_EQ(this->shown(), nullptr);

    this->wheelOn(tag, at);
    EXPECT_EQ(this->shown(), this->knob(tag)) << "wheel";
    EXPECT_EQ(this->editor->readout()->text(), this->textOf(tag));
    this->idleAfter(1050);
    EXPECT_EQ(this->shown(), nullptr);
    this->click(at, kLButton | kControl);
    EXPECT_EQ(this->shown(), this->knob(tag)) << "reset";
    EXPECT_EQ(this->editor->readout()->text(), this->textOf(tag));
    this->idleAfter(1050);
  }
}

TYPED_TEST(Readout, ThePointerRestingHalfASecondShowsItAndItFollowsTheHost) {
  ASSERT_TRUE(this->open());
  const int tag = this->firstOf(ControlKind::Knob);
  const CPoint at = TestFixture::centre(this->controlOf(tag).rect);
  const CPoint bare(2, this->layout().height - 2);
  this->window->mouseMove(at.x, at.y, 0);
  this->idleAfter(0);
  this->idleAfter(400);
  EXPECT_EQ(this->shown(), nullptr) << "not before half a second";
  this->window->mouseMove(at.x + 1, at.y, 0);  // still on the knob
  this->idleAfter(100);
  EXPECT_EQ(this->shown(), this->knob(tag));
  for (float value : {0.0f, 1.0f, 0.6f}) {
    this->effect->setParameter(tag, value);  // as the host does, from any thread
    this->idleAfter(20);
    EXPECT_EQ(this->editor->readout()->text(), this->textOf(tag)) << value;
  }
  const std::string before = this->editor->readout()->text();
  this->effect->setParameter(this->firstOf(ControlKind::SteppedKnob), 1.0f);
  this->idleAfter(3000);
  EXPECT_EQ(this->editor->readout()->text(), before) << "another parameter leaves it alone";
  EXPECT_EQ(this->shown(), this->knob(tag)) << "it stays while the pointer rests";

  this->window->mouseMove(bare.x, bare.y, 0);
  this->idleAfter(0);
  this->idleAfter(900);
  EXPECT_EQ(this->shown(), this->knob(tag));
  this->idleAfter(150);
  EXPECT_EQ(this->shown(), nullptr) << "a second after the pointer left";
  this->window->mouseMove(at.x, at.y, 0);  // a pass shorter than the delay
  this->idleAfter(0);
  this->idleAfter(300);
  this->window->mouseMove(bare.x, bare.y, 0);
  this->idleAfter(300);
  EXPECT_EQ(this->shown(), nullptr);
}

// Every knob at 100 %: the plate lies inside the panel, beside its knob and
// never over it, and takes the knob's longest text; clicks and wheels over
// it reach what lies beneath.
TYPED_TEST(Readout, EveryKnobsPlateLiesInsideThePanelBesideItsKnobAndLetsClicksThrough) {
  ASSERT_TRUE(this->open());
  const CRect panel(0, 0, this->layout().width, this->layout().height);
  EXPECT_TRUE(CValueReadout::placeBeside(panel, panel).isEmpty()) << "no room: nothing rather than over the knob";
  const ParameterUnits units = unitsOf<TypeParam>();
  auto font = platform::software::makeSoftwareFont({"Arial", CValueReadout::kFontSize, kBoldFace});
  int knobs = 0, zonesUnder = 0;
  for (const auto& c : this->layout().controls) {
    if (c.kind == ControlKind::Switch) continue;
    ++knobs;
    this->wheelOn(c.tag, TestFixture::centre(c.rect));
    ASSERT_EQ(this->shown(), this->knob(c.tag)) << "knob " << c.tag;
    const CRect plate = this->editor->readout()->getViewSize();
    CRect inside = plate;
    inside.bound(panel);
    EXPECT_FALSE(plate.isEmpty() || plate.rectOverlap(c.rect)) << "knob " << c.tag << " is covered";
    EXPECT_EQ(inside, plate) << "knob " << c.tag << ": the plate leaves the panel";
    for (size_t zone = 0; zone < c.zones.size(); ++zone) {
      const CPoint z = TestFixture::centre(c.zones[zone]);
      if (!plate.pointInside(z)) continue;
      ++zonesUnder;
      this->click(z);
      auto* stepped = static_cast<editor::CMyAnimKnob*>(this->knob(c.tag));
      EXPECT_FLOAT_EQ(this->effect->getParameter(c.tag), stepped->zoneValue(static_cast<int>(zone)));
      const float before = this->effect->getParameter(c.tag);
      this->wheelOn(c.tag, z);
      EXPECT_NE(this->effect->getParameter(c.tag), before) << "a wheel over the plate turns knob " << c.tag;
    }
    this->idleAfter(1100);
    const int positions = units.positionCount(c.tag);  // else the range in steps of 1/200
    for (int i = 0; font && i < (positions > 0 ? positions : 201); ++i) {
      char text[kValueTextCapacity];
      units.format(c.tag, positions > 0 ? *units.positionValue(c.tag, i) : static_cast<float>(i) / 200.0f, text);
      EXPECT_LE(font->measure(text), CValueReadout::kWidth - 6) << "\"" << text << "\" on knob " << c.tag;
    }
  }
  EXPECT_GE(knobs, 8);
  EXPECT_GT(zonesUnder, 0) << "some printed position lies under a plate";
}

// Moving, it marks the place it left and the one it takes; a new text its
// own place; nothing else.
TYPED_TEST(Readout, InvalidatesOnlyItsOldAndNewRectangles) {
  ASSERT_TRUE(this->open());
  CValueReadout& readout = *this->editor->readout();
  CControl* first = this->knob(this->firstOf(ControlKind::Knob));
  CControl* second = this->knob(this->firstOf(ControlKind::SteppedKnob));
  auto marked = [&] {
    std::vector<CRect> out;
    for (const platform::DrawRect& r : this->window->pendingAreas()) out.emplace_back(r.left, r.top, r.right, r.bottom);
    this->idleAfter(0);
    return out;
  };
  this->idleAfter(0);
  const std::uint32_t now = this->ui.clock.now;
  readout.gestureBegan(first, now);
  readout.gestureEnded(first, now);
  const CRect old = readout.getViewSize();
  EXPECT_EQ(marked(), std::vector<CRect>{old});
  readout.gestureBegan(second, now);
  const CRect fresh = readout.getViewSize();
  EXPECT_EQ(marked(), (std::vector<CRect>{old, fresh}));
  second->setValue(1.0f);
  readout.valueChanged(second);
  EXPECT_EQ(marked(), std::vector<CRect>{fresh});
  readout.valueChanged(second);
  EXPECT_TRUE(marked().empty()) << "the same text again";
  readout.gestureEnded(second, now);
  readout.idle(nullptr, now + 1000);
  EXPECT_EQ(marked(), std::vector<CRect>{fresh});
}

// The host hears the same calls, in the same order, from an editor with a
// readout (it has a clock) and from one without.
TYPED_TEST(Readout, AddsNoHostCalls) {
  auto script = [&](bool withClock) {
    this->effect.reset();
    gEditorServices = this->ui.bundle();
    if (!withClock) gEditorServices.clock = nullptr;
    this->effect = std::make_unique<typename TestFixture::Effect>(&EditorHost::callback, &scriptedEditor<TypeParam>);
    this->editor = static_cast<editor::sorvaneGUI*>(this->effect->getEditor());
    EditorHost::calls.clear();
    EXPECT_TRUE(this->open());
    bool shown = false;
    for (const auto& c : this->layout().controls) {
      if (c.kind == ControlKind::Switch) continue;
      const CPoint at = TestFixture::centre(c.rect);
      this->window->mouseMove(at.x, at.y, 0);
      this->idleAfter(0);
      this->idleAfter(600);
      shown = shown || (this->editor->readout() && this->shown());
      this->window->mouseDown(at.x, at.y, kLButton);
      this->window->mouseMove(at.x, at.y - 12, kLButton);
      this->effect->setParameter(c.tag, 0.25f);
      this->idleAfter(50);
      this->window->mouseUp(at.x, at.y - 12, 0);
      this->window->wheel(at.x, at.y, -120);
      this->idleAfter(1200);
    }
    this->close();
    EXPECT_EQ(shown, withClock);
    return EditorHost::log(true);
  };
  const auto with = script(true);
  EXPECT_FALSE(with.empty());
  EXPECT_EQ(with, script(false));
}

TYPED_TEST(Readout, LooksAsThePicturesAtOneHundredAndTwoHundredPercent) {
  const int tag = this->firstOf(ControlKind::Knob);
  for (int percent : {100, 200}) {
    this->editor->setScale(editor::AEffGUIEditor::ScaleSource::User, percent);
    this->effect->setParameter(tag, 0.5f);
    ASSERT_TRUE(this->open());
    const CRect w = scaleToWindow(this->controlOf(tag).rect, percent);
    const CPoint at((w.left + w.right) / 2, (w.top + w.bottom) / 2);
    const int travel = scaleToWindow(35, percent);
    this->window->mouseDown(at.x, at.y, kLButton);
    for (int y = at.y - 1; y >= at.y - travel; --y) this->window->mouseMove(at.x, y, kLButton);
    this->idleAfter(200);
    ASSERT_EQ(this->shown(), this->knob(tag));
    std::string name = this->layout().product;
    if (percent != 100) name += '-' + std::to_string(percent);
    CRect plateText = this->editor->readout()->getViewSize();
    plateText.inset(1, 1);  // the outline is compared exactly
    const std::vector<CRect> text{scaleToWindow(this->layout().presetName, percent), scaleToWindow(plateText, percent)};
    EXPECT_EQ(compareWithGolden(name + "-readout", this->window->pixels(), text), "") << percent << " %";
    this->window->mouseUp(at.x, at.y - travel, 0);
    this->close();
  }
}

}  // namespace
}  // namespace sorvane::test
