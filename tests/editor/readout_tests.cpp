// The knobs' value readout in the real editor, on the scripted clock: when
// it shows and goes, what it says, where it sits, what it repaints, and that
// the host never hears of it.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "editor/cmyanimknob.h"
#include "editor/cvaluereadout.h"
#include "gui/draw/cfontdesc.h"
#include "gui/draw/scaling.h"
#include "platform/software/draw_text.h"
#include "tests/editor/editor_fixture.h"
#include "tests/editor/golden.h"

namespace sorvane::test {
namespace {

using editor::CValueReadout;

template <class Product>
class Readout : public EditorTest<Product> {
 protected:
  // An idle as the host sends it, after ms of the clock.
  void idleAfter(std::uint32_t ms) {
    this->ui.clock.advance(ms);
    this->dispatch(effEditIdle);
  }
  CValueReadout& readout() { return *this->editor->readout(); }
  CControl* knob(int tag) { return this->editor->parameterControl(tag); }
  // What the units model says for the parameter's value in the effect.
  std::string textOf(int tag) {
    std::array<char, kValueTextCapacity> text{};
    EXPECT_TRUE(unitsOf<Product>().format(tag, this->effect->getParameter(tag), text));
    return text.data();
  }
  // The first gain-type knob and the first stepped knob of the layout.
  int firstOfKind(editor::ControlKind kind) const {
    for (const auto& c : this->layout().controls)
      if (c.kind == kind) return c.tag;
    return -1;
  }
  CRect panel() const { return CRect(0, 0, this->layout().width, this->layout().height); }
};
TYPED_TEST_SUITE(Readout, Products);

TYPED_TEST(Readout, ADragShowsTheValueAtOnceAndItGoesASecondAfterTheRelease) {
  ASSERT_TRUE(this->open());
  const int tag = TypeParam::kOutputIndex;
  const CPoint at = TestFixture::centre(this->controlOf(tag).rect);
  EXPECT_EQ(this->readout().shownKnob(), nullptr) << "nothing shows before a knob is touched";

  this->window->mouseDown(at.x, at.y, kLButton);
  EXPECT_EQ(this->readout().shownKnob(), this->knob(tag));
  EXPECT_EQ(this->readout().text(), this->textOf(tag));
  for (int y = at.y - 1; y >= at.y - 30; --y) this->window->mouseMove(at.x, y, kLButton);
  EXPECT_EQ(this->readout().text(), this->textOf(tag)) << "the text follows the drag";
  EXPECT_NE(this->readout().text(), std::string("0.0 dB"));
  // A long drag keeps it up whatever the clock says.
  this->idleAfter(5000);
  EXPECT_EQ(this->readout().shownKnob(), this->knob(tag));

  this->window->mouseUp(at.x, at.y - 30, 0);
  this->idleAfter(900);
  EXPECT_EQ(this->readout().shownKnob(), this->knob(tag)) << "it lingers for a second";
  this->idleAfter(150);
  EXPECT_EQ(this->readout().shownKnob(), nullptr) << "and goes after it";
}

TYPED_TEST(Readout, AWheelStepOrAResetShowsItForASecond) {
  ASSERT_TRUE(this->open());
  for (editor::ControlKind kind : {editor::ControlKind::Knob, editor::ControlKind::SteppedKnob}) {
    const int tag = this->firstOfKind(kind);
    const CPoint at = TestFixture::centre(this->controlOf(tag).rect);
    this->window->wheel(at.x, at.y, 120);
    EXPECT_EQ(this->readout().shownKnob(), this->knob(tag)) << "wheel on " << tag;
    EXPECT_EQ(this->readout().text(), this->textOf(tag));
    this->idleAfter(1100);
    EXPECT_EQ(this->readout().shownKnob(), nullptr) << "wheel on " << tag;

    this->click(at, kLButton | kControl);
    EXPECT_EQ(this->readout().shownKnob(), this->knob(tag)) << "reset of " << tag;
    EXPECT_EQ(this->readout().text(), this->textOf(tag));
    this->idleAfter(1100);
    EXPECT_EQ(this->readout().shownKnob(), nullptr);
  }
}

TYPED_TEST(Readout, ThePointerRestingHalfASecondOnAKnobShowsItAndLeavingLetsItGo) {
  ASSERT_TRUE(this->open());
  const int tag = this->firstOfKind(editor::ControlKind::SteppedKnob);
  const CPoint at = TestFixture::centre(this->controlOf(tag).rect);
  this->window->mouseMove(at.x, at.y, 0);
  this->idleAfter(0);
  this->idleAfter(400);
  EXPECT_EQ(this->readout().shownKnob(), nullptr) << "not before half a second";
  this->window->mouseMove(at.x + 1, at.y, 0);  // moving on the same knob is resting on it
  this->idleAfter(100);
  EXPECT_EQ(this->readout().shownKnob(), this->knob(tag));
  EXPECT_EQ(this->readout().text(), this->textOf(tag));
  this->idleAfter(3000);
  EXPECT_EQ(this->readout().shownKnob(), this->knob(tag)) << "it stays while the pointer rests";

  // Off the knob, to a spot of bare panel.
  this->window->mouseMove(2, this->layout().height - 2, 0);
  this->idleAfter(0);
  this->idleAfter(900);
  EXPECT_EQ(this->readout().shownKnob(), this->knob(tag));
  this->idleAfter(150);
  EXPECT_EQ(this->readout().shownKnob(), nullptr);

  // A pass over a knob that is shorter than the delay shows nothing.
  this->window->mouseMove(at.x, at.y, 0);
  this->idleAfter(0);
  this->idleAfter(300);
  this->window->mouseMove(2, this->layout().height - 2, 0);
  this->idleAfter(300);
  this->idleAfter(300);
  EXPECT_EQ(this->readout().shownKnob(), nullptr);
}

TYPED_TEST(Readout, AHostChangeOfTheShownParameterChangesItsText) {
  ASSERT_TRUE(this->open());
  const int tag = this->firstOfKind(editor::ControlKind::Knob);
  const int other = this->firstOfKind(editor::ControlKind::SteppedKnob);
  const CPoint at = TestFixture::centre(this->controlOf(tag).rect);
  this->window->mouseMove(at.x, at.y, 0);
  this->idleAfter(0);
  this->idleAfter(600);
  ASSERT_EQ(this->readout().shownKnob(), this->knob(tag));

  for (float value : {0.0f, 1.0f, 0.6f}) {
    this->effect->setParameter(tag, value);  // as the host does, from any thread
    this->idleAfter(20);
    EXPECT_EQ(this->readout().text(), this->textOf(tag)) << value;
  }
  const std::string before = this->readout().text();
  this->effect->setParameter(other, 1.0f);
  this->idleAfter(20);
  EXPECT_EQ(this->readout().text(), before) << "another parameter leaves it alone";
  EXPECT_EQ(this->readout().shownKnob(), this->knob(tag));
}

// Every knob of the panel at 100 %: the plate lies inside the panel and
// beside its knob, and the longest text of the knob fits on it.
TYPED_TEST(Readout, EveryKnobsReadoutLiesInsideThePanelAndNeverOverItsKnob) {
  ASSERT_TRUE(this->open());
  const ParameterUnits units = unitsOf<TypeParam>();
  auto font = platform::software::makeSoftwareFont(
      platform::FontRequest{"Arial", CValueReadout::kFontSize, sorvane::kBoldFace});
  int knobs = 0;
  for (const auto& c : this->layout().controls) {
    if (c.kind == editor::ControlKind::Switch) continue;
    ++knobs;
    const CPoint at = TestFixture::centre(c.rect);
    // Towards the middle: a step past the end changes nothing and is no gesture.
    this->window->wheel(at.x, at.y, this->knob(c.tag)->getValue() > 0.5f ? -120 : 120);
    ASSERT_EQ(this->readout().shownKnob(), this->knob(c.tag)) << "knob " << c.tag;
    const CRect plate = this->readout().getViewSize();
    const CRect knobRect = this->knob(c.tag)->getViewSize();
    EXPECT_FALSE(plate.isEmpty()) << "knob " << c.tag;
    EXPECT_FALSE(plate.rectOverlap(knobRect)) << "knob " << c.tag << " is covered";
    EXPECT_FALSE(plate.rectOverlap(c.rect)) << "knob " << c.tag << " is covered";
    CRect inside = plate;
    inside.bound(this->panel());
    EXPECT_EQ(inside, plate) << "knob " << c.tag << ": the plate leaves the panel";
    this->idleAfter(1100);

    if (!font) continue;  // this build's software back end draws no text
    // The texts of every position, or of the whole range in small steps.
    const int positions = units.positionCount(c.tag);
    for (int i = 0; i < (positions > 0 ? positions : 201); ++i) {
      const float value = positions > 0 ? *units.positionValue(c.tag, i) : static_cast<float>(i) / 200.0f;
      std::array<char, kValueTextCapacity> text{};
      ASSERT_TRUE(units.format(c.tag, value, text));
      EXPECT_LE(font->measure(text.data()), CValueReadout::kWidth - 6) << "\"" << text.data() << "\" on knob " << c.tag;
    }
  }
  EXPECT_GE(knobs, 8);
}

TYPED_TEST(Readout, PlacesBesideTheKnobWhereThereIsRoom) {
  const CRect panel(0, 0, 200, 100);
  const CRect low(70, 60, 120, 95);  // no room below: above
  CRect plate = CValueReadout::placeBeside(low, panel);
  EXPECT_EQ(plate.bottom, low.top - CValueReadout::kGap);
  const CRect tall(0, 5, 40, 95);  // neither below nor above nor left: right
  plate = CValueReadout::placeBeside(tall, panel);
  EXPECT_EQ(plate.left, tall.right + CValueReadout::kGap);
  const CRect full(0, 0, 200, 100);  // no room at all: nothing rather than over the knob
  EXPECT_TRUE(CValueReadout::placeBeside(full, panel).isEmpty());
}

// A moving readout repaints the place it left and the one it takes; a text
// that changes repaints its own place; nothing else is marked.
TYPED_TEST(Readout, InvalidatesOnlyItsOldAndNewRectangles) {
  ASSERT_TRUE(this->open());
  const int first = this->firstOfKind(editor::ControlKind::Knob);
  const int second = this->firstOfKind(editor::ControlKind::SteppedKnob);
  auto areas = [&] {
    std::vector<CRect> out;
    for (const platform::DrawRect& r : this->window->pendingAreas()) out.emplace_back(r.left, r.top, r.right, r.bottom);
    return out;
  };
  this->idleAfter(0);
  std::uint32_t now = this->ui.clock.now;
  this->readout().gestureBegan(this->knob(first), now);
  this->readout().gestureEnded(this->knob(first), now);
  const CRect old = this->readout().getViewSize();
  EXPECT_EQ(areas(), std::vector<CRect>{old});
  this->idleAfter(0);

  this->readout().gestureBegan(this->knob(second), now);
  const CRect fresh = this->readout().getViewSize();
  EXPECT_EQ(areas(), (std::vector<CRect>{old, fresh}));
  this->idleAfter(0);

  this->knob(second)->setValue(1.0f);
  this->readout().valueChanged(this->knob(second));
  EXPECT_EQ(areas(), std::vector<CRect>{fresh});
  this->idleAfter(0);
  this->readout().valueChanged(this->knob(second));
  EXPECT_TRUE(areas().empty()) << "the same text again repaints nothing";

  this->readout().gestureEnded(this->knob(second), now);
  this->readout().idle(nullptr, now + 1000);
  EXPECT_EQ(areas(), std::vector<CRect>{fresh});
}

// A printed scale position under the plate still takes its click, and the
// wheel under it still turns what lies beneath.
TYPED_TEST(Readout, ClicksAndWheelsGoThroughThePlate) {
  ASSERT_TRUE(this->open());
  int tested = 0;
  for (const auto& c : this->layout().controls) {
    if (c.kind != editor::ControlKind::SteppedKnob) continue;
    const CPoint at = TestFixture::centre(c.rect);
    this->window->wheel(at.x, at.y, this->knob(c.tag)->getValue() > 0.5f ? -120 : 120);
    const CRect plate = this->readout().getViewSize();
    for (size_t zone = 0; zone < c.zones.size(); ++zone) {
      const CPoint z = TestFixture::centre(c.zones[zone]);
      if (!plate.pointInside(z)) continue;
      this->click(z);
      auto* stepped = static_cast<editor::CMyAnimKnob*>(this->knob(c.tag));
      EXPECT_FLOAT_EQ(this->effect->getParameter(c.tag), stepped->zoneValue(static_cast<int>(zone)))
          << "position " << zone << " of knob " << c.tag << " under the plate";
      const float before = this->effect->getParameter(c.tag);
      this->window->wheel(z.x, z.y, before > 0.5f ? -120 : 120);
      EXPECT_NE(this->effect->getParameter(c.tag), before) << "a wheel over the plate turns knob " << c.tag;
      ++tested;
    }
    this->idleAfter(1100);
  }
  if (tested == 0) GTEST_SKIP() << "no printed position lies under a plate";
}

// The host sees the same calls, in the same order, whether the editor has a
// readout (it has a clock) or not.
TYPED_TEST(Readout, AddsNoHostCalls) {
  auto script = [&](bool withClock) {
    this->effect.reset();
    platform::UiServices services = this->ui.bundle();
    if (!withClock) services.clock = nullptr;
    gEditorServices = services;
    this->effect = std::make_unique<typename TestFixture::Effect>(&EditorHost::callback, &scriptedEditor<TypeParam>);
    this->editor = static_cast<editor::sorvaneGUI*>(this->effect->getEditor());
    EditorHost::calls.clear();
    EXPECT_TRUE(this->open());
    EXPECT_EQ(this->editor->readout() != nullptr, withClock);
    bool shown = false;
    auto look = [&] { shown = shown || (this->editor->readout() && this->editor->readout()->shownKnob()); };
    for (const auto& c : this->layout().controls) {
      if (c.kind == editor::ControlKind::Switch) continue;
      const CPoint at = TestFixture::centre(c.rect);
      this->window->mouseMove(at.x, at.y, 0);
      this->idleAfter(0);
      this->idleAfter(600);
      look();
      this->window->mouseDown(at.x, at.y, kLButton);
      this->window->mouseMove(at.x, at.y - 12, kLButton);
      this->idleAfter(50);
      this->effect->setParameter(c.tag, 0.25f);
      this->idleAfter(50);
      this->window->mouseUp(at.x, at.y - 12, 0);
      this->window->wheel(at.x, at.y, -120);
      look();
      this->idleAfter(1200);
    }
    this->close();
    EXPECT_EQ(shown, withClock);
    return EditorHost::log(true);
  };
  const auto with = script(true);
  const auto without = script(false);
  EXPECT_EQ(with, without);
  EXPECT_FALSE(with.empty());
}

// The readout at 100 % and 200 % against checked-in pictures; its text is
// compared within the tolerance of every text area.
TYPED_TEST(Readout, LooksAsThePicturesAtOneHundredAndTwoHundredPercent) {
  for (int percent : {100, 200}) {
    this->editor->setScale(editor::AEffGUIEditor::ScaleSource::User, percent);
    this->effect->setParameter(this->firstOfKind(editor::ControlKind::Knob), 0.5f);
    ASSERT_TRUE(this->open());
    const int tag = this->firstOfKind(editor::ControlKind::Knob);
    const CRect w = scaleToWindow(this->controlOf(tag).rect, percent);
    const CPoint at((w.left + w.right) / 2, (w.top + w.bottom) / 2);
    const int travel = scaleToWindow(35, percent);
    this->window->mouseDown(at.x, at.y, kLButton);
    for (int y = at.y - 1; y >= at.y - travel; --y) this->window->mouseMove(at.x, y, kLButton);
    this->idleAfter(200);
    ASSERT_EQ(this->readout().shownKnob(), this->knob(tag));
    std::string name = this->layout().product;
    if (percent != 100) name += '-' + std::to_string(percent);
    name += "-readout";
    std::vector<CRect> text{scaleToWindow(this->layout().presetName, percent)};
    CRect plateText = this->readout().getViewSize();
    plateText.inset(1, 1);
    text.push_back(scaleToWindow(plateText, percent));
    EXPECT_EQ(compareWithGolden(name, this->window->pixels(), text), "") << percent << " %";
    this->window->mouseUp(at.x, at.y - travel, 0);
    this->close();
  }
}

}  // namespace
}  // namespace sorvane::test
