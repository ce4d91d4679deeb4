// The editor as a host drives it: size, open and close, the panel it builds,
// the custom knobs and the about screen, host changes reaching the controls,
// gestures reaching the host, the idle pump.
#include <gtest/gtest.h>

#include <algorithm>
#include <new>

#include "editor/caboutcontainer.h"
#include "editor/cmyanimknob.h"
#include "gui/controls/cbuttons.h"
#include "gui/controls/coptionmenu.h"
#include "gui/controls/csplashscreen.h"
#include "tests/editor/editor_fixture.h"

namespace sorvane::test {
namespace {

template <class Product>
class Editor : public EditorTest<Product> {};
TYPED_TEST_SUITE(Editor, Products);

TYPED_TEST(Editor, TheHostSeesTheEditorAndItsSizeBeforeTheFirstOpen) {
  EXPECT_EQ(this->effect->getAeffect()->flags, 0x1031);
  ERect* rect = nullptr;
  EXPECT_EQ(this->dispatch(effEditGetRect, 0, 0, &rect), 1);
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->right - rect->left, this->layout().width);
  EXPECT_EQ(rect->bottom - rect->top, 267);
  EXPECT_EQ(this->dispatch(effEditGetRect, 0, 0, nullptr), 0);

  EXPECT_EQ(this->dispatch(effEditOpen, 0, 0, nullptr), 0) << "no parent window, no editor";
  EXPECT_EQ(this->ui.windows.liveWindows(), 0);
  ASSERT_TRUE(this->open());
  EXPECT_EQ(this->window->pixels().width(), this->layout().width);
  EXPECT_EQ(this->window->pixels().height(), 267);
}

TYPED_TEST(Editor, OpeningBuildsEveryControlWithTheEffectsValues) {
  this->effect->setParameter(3, 0.25f);
  ASSERT_TRUE(this->open());
  auto* editor = this->editor;
  for (int tag = 0; tag < this->kParameters; ++tag) {
    CControl* control = editor->parameterControl(tag);
    ASSERT_NE(control, nullptr) << "tag " << tag;
    EXPECT_EQ(control->getTag(), tag);
    EXPECT_EQ(control->getValue(), this->effect->getParameter(tag)) << "tag " << tag;
    EXPECT_TRUE(control->isAttached());
  }
  for (const editor::ParameterControl& c : this->layout().controls) {
    CControl* control = editor->parameterControl(c.tag);
    CRect mouseable;
    control->getMouseableArea(mouseable);
    switch (c.kind) {
      case editor::ControlKind::SteppedKnob: {
        auto* knob = dynamic_cast<editor::CMyAnimKnob*>(control);
        ASSERT_NE(knob, nullptr) << c.bitmap;
        EXPECT_EQ(knob->getZoneCount(), knob->getFrameCount()) << "one scale position per frame of " << c.bitmap;
        EXPECT_EQ(knob->getDefaultValue(), c.defaultValue);
        EXPECT_EQ(mouseable, c.mouseableArea);
        break;
      }
      case editor::ControlKind::Knob: {
        auto* knob = dynamic_cast<CAnimKnob*>(control);
        ASSERT_NE(knob, nullptr);
        EXPECT_EQ(knob->getFrameCount(), 101);
        EXPECT_EQ(knob->getZoomFactor(), 2.0f);
        EXPECT_EQ(knob->getDefaultValue(), 0.5f);
        break;
      }
      case editor::ControlKind::Switch:
        EXPECT_NE(dynamic_cast<COnOffButton*>(control), nullptr);
        break;
    }
  }
  // Without a preset folder: program mode.
  EXPECT_FALSE(editor->isFolderMode());
  EXPECT_EQ(editor->fileMenu()->getNbEntries(), 11);
  int separators = 0;
  for (int i = 0; i < 9; ++i) separators += editor->fileMenu()->getEntry(i)->isSeparator() ? 1 : 0;
  EXPECT_EQ(separators, 3);
  EXPECT_TRUE(editor->fileMenu()->getEntry(9)->isSeparator()) << "the sizes come last, after a separator";
  EXPECT_EQ(editor->fileMenu()->getEntry(10)->getSubmenu(), editor->sizeMenu());
  ASSERT_EQ(editor->presetMenu()->getNbEntries(), 12);
  char name[kProgramNameMax + 1];
  editor->access().programName(5, name);
  EXPECT_EQ(editor->presetMenu()->getEntry(5)->getTitle(), name);
  EXPECT_TRUE(editor->presetMenu()->isCheckEntry(0));
  EXPECT_FALSE(editor->presetMenu()->isCheckEntry(1));
}

TYPED_TEST(Editor, ReopeningRebuildsFromTheEffectAndOpeningTwiceClosesFirst) {
  ASSERT_TRUE(this->open());
  this->editor->parameterControl(4)->setValue(0.9f);  // a change the effect never heard of
  this->close();
  EXPECT_EQ(this->ui.windows.liveWindows(), 0);
  EXPECT_EQ(this->editor->parameterControl(4), nullptr) << "close clears every control pointer";
  this->dispatch(effEditClose);  // closing a closed editor does nothing
  ASSERT_TRUE(this->open());
  EXPECT_EQ(this->editor->parameterControl(4)->getValue(), this->effect->getParameter(4));
  ASSERT_TRUE(this->open());
  EXPECT_EQ(this->ui.windows.liveWindows(), 1);
}

TYPED_TEST(Editor, EachSideOpensWithItsSwitchStateAndItsCopyButton) {
  ASSERT_TRUE(this->open());
  EXPECT_EQ(this->editor->abSwitch()->getValue(), 0.0f);
  EXPECT_TRUE(this->editor->copyButton(0)->isAttached());
  EXPECT_FALSE(this->editor->copyButton(1)->isAttached());
  this->close();
  this->effect->toggleActiveSide();
  ASSERT_TRUE(this->open());
  EXPECT_EQ(this->editor->abSwitch()->getValue(), 1.0f);
  EXPECT_FALSE(this->editor->copyButton(0)->isAttached());
  EXPECT_TRUE(this->editor->copyButton(1)->isAttached());
}

TYPED_TEST(Editor, EveryScalePositionSetsItsStepAndShowsItsFrame) {
  ASSERT_TRUE(this->open());
  for (const editor::ParameterControl& c : this->layout().controls) {
    if (c.kind != editor::ControlKind::SteppedKnob) continue;
    auto* knob = static_cast<editor::CMyAnimKnob*>(this->editor->parameterControl(c.tag));
    const int n = static_cast<int>(c.zones.size());
    for (int i = 0; i < n; ++i) {
      auto automations = [] {
        int count = 0;
        for (const HostCall& call : EditorHost::calls) count += call.opcode == audioMasterAutomate ? 1 : 0;
        return count;
      };
      EditorHost::calls.clear();
      const float before = knob->getValue();
      // Any buttons: a scale position neither drags nor resets.
      this->click(TestFixture::centre(c.zones[i]), kLButton | kControl);
      const float expected = std::min(1.0f, static_cast<float>(i) / static_cast<float>(n - 1) + 0.01f);
      EXPECT_EQ(knob->getValue(), expected) << c.bitmap << " zone " << i;
      EXPECT_EQ(knob->frameIndex(), i) << c.bitmap << " zone " << i;
      EXPECT_EQ(this->effect->getParameter(c.tag), expected);
      EXPECT_EQ(automations(), before == expected ? 0 : 1) << c.bitmap << " zone " << i;
      EditorHost::calls.clear();
      this->click(TestFixture::centre(c.zones[i]));
      EXPECT_EQ(automations(), 0) << "the same step again reports nothing";
    }
  }
}

TEST(SteppedKnob, TessarosLowCutStepsAreTheDesignedValuesAndOneZoneNeverDividesByZero) {
  const editor::ParameterControl& c = editor::tessaroLayout().controls[0];
  ASSERT_EQ(c.tag, 9);
  editor::CMyAnimKnob knob(c.rect, nullptr, 9, nullptr, CPoint(), c.zones.data(), 5);
  const float expected[] = {0.01f, 0.26f, 0.51f, 0.76f, 1.0f};
  for (int i = 0; i < 5; ++i) EXPECT_FLOAT_EQ(knob.zoneValue(i), expected[i]);
  editor::CMyAnimKnob single(c.rect, nullptr, 9, nullptr, CPoint(), c.zones.data(), 1);
  EXPECT_EQ(single.zoneValue(0), 0.01f);

  // Edges are inclusive, and of two overlapping zones the later one wins.
  const CRect overlapping[] = {{0, 0, 10, 10}, {10, 10, 20, 20}, {5, 5, 15, 15}};
  editor::CMyAnimKnob stacked(CRect(30, 30, 40, 40), nullptr, 1, nullptr, CPoint(), overlapping, 3);
  CPoint corner(10, 10);
  EXPECT_EQ(stacked.onMouseDown(corner, kRButton), kMouseDownEventHandledButDontNeedMovedOrUpEvents);
  EXPECT_EQ(stacked.getValue(), 1.0f);
  CPoint edge(0, 0);
  stacked.onMouseDown(edge, kLButton);
  EXPECT_EQ(stacked.getValue(), 0.01f);
  CPoint nowhere(25, 25);
  EXPECT_EQ(stacked.onMouseDown(nowhere, kLButton), kMouseEventNotHandled);
}

TYPED_TEST(Editor, AClickInTheKnobsAreaButOutsideKnobAndScaleDoesNothing) {
  ASSERT_TRUE(this->open());
  const editor::ParameterControl& c = this->layout().controls[2];  // a shelf or mid frequency knob
  CControl* knob = this->editor->parameterControl(c.tag);
  const float before = knob->getValue();
  // Inside the mouseable area, right of the knob picture, between scale positions.
  CPoint spot(c.rect.right + 2, (c.rect.top + c.rect.bottom) / 2 + 6);
  bool inZone = false;
  for (const CRect& z : c.zones)
    inZone |= spot.x >= z.left && spot.x <= z.right && spot.y >= z.top && spot.y <= z.bottom;
  ASSERT_FALSE(inZone);
  ASSERT_TRUE(c.mouseableArea.pointInside(spot));
  this->click(spot);
  EXPECT_EQ(knob->getValue(), before);
  EXPECT_TRUE(EditorHost::calls.empty());
}

TYPED_TEST(Editor, AnyClickOnTheAboutScreenClosesItAndTouchesNothingBeneath) {
  ASSERT_TRUE(this->open());
  CFrame* frame = this->editor->getFrame();
  this->click(TestFixture::centre(this->layout().aboutClick));
  ASSERT_NE(frame->getModalView(), nullptr);
  EXPECT_TRUE(frame->getModalView()->isTypeOf("CAboutContainer"));
  // A knob lies under the about screen: the click closes the screen only.
  CControl* gain = nullptr;
  for (const auto& c : this->layout().controls)
    if (c.kind == editor::ControlKind::Knob && this->layout().aboutScreen.rectOverlap(c.rect))
      gain = this->editor->parameterControl(c.tag);
  ASSERT_NE(gain, nullptr);
  const float before = gain->getValue();
  CRect size = gain->getViewSize();
  this->window->mouseDown(size.left + 20, size.top + 20, kLButton);
  this->window->mouseMove(size.left + 20, size.top - 30, kLButton);
  this->window->mouseUp(size.left + 20, size.top - 30, 0);
  EXPECT_EQ(frame->getModalView(), nullptr);
  EXPECT_EQ(gain->getValue(), before);

  this->click(TestFixture::centre(this->layout().aboutClick));
  ASSERT_NE(frame->getModalView(), nullptr);
  CRect label = this->layout().versionLabel;
  label.offset(this->layout().aboutScreen.left, this->layout().aboutScreen.top);
  this->click(TestFixture::centre(label), kRButton);
  EXPECT_EQ(frame->getModalView(), nullptr) << "a right click on the version label closes it too";
}

TYPED_TEST(Editor, HostChangesReachTheControlsAtTheNextIdleOnOffIncluded) {
  ASSERT_TRUE(this->open());
  AEffect* record = this->effect->getAeffect();
  record->setParameter(record, 3, 0.75f);
  record->setParameter(record, 0, 1.0f);
  record->setParameter(record, this->kParameters, 1.0f);  // outside the table: ignored
  EXPECT_NE(this->editor->parameterControl(3)->getValue(), 0.75f) << "not touched from the host's thread";
  this->idle();
  EXPECT_EQ(this->editor->parameterControl(3)->getValue(), 0.75f);
  EXPECT_EQ(this->editor->parameterControl(0)->getValue(), 1.0f) << "the bypass switch follows the host too";
  EXPECT_FALSE(this->editor->getFrame()->isDirty()) << "the idle also redrew them";
}

TYPED_TEST(Editor, DraggingTheOutputKnobTellsTheHostOncePerChangeInsideOneGesture) {
  ASSERT_TRUE(this->open());
  const int output = TypeParam::kOutputIndex;
  const CRect r = this->controlOf(output).rect;
  const CPoint start = TestFixture::centre(r);
  this->window->mouseDown(start.x, start.y, kLButton);
  for (int i = 1; i <= 100; ++i) this->window->mouseMove(start.x, start.y - i, kLButton);
  this->window->mouseUp(start.x, start.y - 100, 0);
  EXPECT_EQ(this->effect->getParameter(output), 1.0f);
  const auto log = EditorHost::log();
  ASSERT_EQ(log.size(), 102u);
  EXPECT_EQ(log.front(), "begin " + std::to_string(output));
  EXPECT_EQ(log[1], "automate " + std::to_string(output) + " 0.505");
  EXPECT_EQ(log[100], "automate " + std::to_string(output) + " 1");
  EXPECT_EQ(log.back(), "end " + std::to_string(output));

  EditorHost::calls.clear();
  this->click(TestFixture::centre(this->layout().abSwitch));
  for (const HostCall& call : EditorHost::calls) {
    EXPECT_NE(call.opcode, audioMasterBeginEdit) << "command controls keep their gestures inside";
    EXPECT_NE(call.opcode, audioMasterEndEdit);
  }
}

// A second button during a knob drag, over the preset display or the knob:
// the host hears the drag end at that press and nothing after it while a
// button stays held; the preset menu under the pointer stays shut.
TYPED_TEST(Editor, ASecondButtonEndsAKnobDragAtOnceAndClicksNothingUnderThePointer) {
  ASSERT_TRUE(this->open());
  const int output = TypeParam::kOutputIndex;
  const std::string tag = std::to_string(output);
  const CPoint start = TestFixture::centre(this->controlOf(output).rect);
  for (const auto& [second, at] : {std::pair{kRButton, TestFixture::centre(this->layout().presetName)},
                                   std::pair{kMButton, CPoint(start.x, start.y - 10)}}) {
    EditorHost::calls.clear();
    this->window->mouseDown(start.x, start.y, kLButton);
    this->window->mouseMove(at.x, at.y, kLButton);
    this->window->mouseDown(at.x, at.y, kLButton | second);
    this->window->mouseUp(at.x, at.y, kLButton);
    for (int i = 0; i <= 20; ++i) this->window->mouseMove(start.x, start.y - i, kLButton);
    this->window->mouseUp(start.x, start.y - 20, 0);
    const auto log = EditorHost::log();
    ASSERT_GE(log.size(), 3u) << second;
    EXPECT_EQ(log.front(), "begin " + tag) << second;
    EXPECT_EQ(log.back(), "end " + tag) << second;
    for (size_t i = 1; i + 1 < log.size(); ++i) EXPECT_EQ(log[i].rfind("automate " + tag, 0), 0u) << log[i];
  }
  EXPECT_TRUE(this->ui.menus.shown.empty());
}

TYPED_TEST(Editor, TheIdlePumpRunsAtMostEvery100MillisecondsAndSurvivesTheTickWrap) {
  ASSERT_TRUE(this->open());
  auto idles = [] {
    int n = 0;
    for (const HostCall& c : EditorHost::calls) n += c.opcode == audioMasterIdle ? 1 : 0;
    return n;
  };
  this->ui.clock.advance(500);
  this->editor->doIdleStuff();
  EXPECT_EQ(idles(), 1);
  this->editor->doIdleStuff();  // the same millisecond
  EXPECT_EQ(idles(), 1);
  EXPECT_EQ(this->ui.clock.sleeps, (std::vector<int>{4}));
  this->ui.clock.advance(60);  // within 50 ms of due after the 4 ms sleep
  this->editor->doIdleStuff();
  EXPECT_EQ(idles(), 2);

  // Across the wrap of the tick counter.
  this->ui.clock.now = 0xFFFFFFF0u;
  this->effect.reset();
  EditorHost::calls.clear();
  this->makeEffect();
  ASSERT_TRUE(this->open());
  this->editor->doIdleStuff();
  EXPECT_EQ(idles(), 1);
  this->ui.clock.advance(120);  // now past zero
  this->editor->doIdleStuff();
  EXPECT_EQ(idles(), 2);
  this->editor->doIdleStuff();
  EXPECT_EQ(idles(), 2) << "after the wrap the next pump is still 100 ms away";
}

TYPED_TEST(Editor, TheKnobModeIsSharedByEveryEditorOfTheLibrary) {
  ASSERT_TRUE(this->open());
  EXPECT_EQ(this->editor->getKnobMode(), kLinearMode);
  auto other = std::make_unique<typename TestFixture::Effect>(&EditorHost::callback, &scriptedEditor<TypeParam>);
  EXPECT_EQ(other->dispatcher(effSetEditKnobMode, 0, kCircularMode, nullptr, 0.0f), 1);
  EXPECT_EQ(this->editor->getKnobMode(), kCircularMode);
  this->effect->setParameter(TypeParam::kOutputIndex, 0.9f);
  this->idle();
  // A circular drag on this editor's output knob: straight up is the middle.
  const CRect r = this->controlOf(TypeParam::kOutputIndex).rect;
  this->window->mouseDown(r.left + 26, r.top + 2, kLButton);
  this->window->mouseUp(r.left + 26, r.top + 2, 0);
  EXPECT_NEAR(this->effect->getParameter(TypeParam::kOutputIndex), 0.5f, 0.03f);
  other->dispatcher(effSetEditKnobMode, 0, kLinearMode, nullptr, 0.0f);
}

TYPED_TEST(Editor, AThousandOpenAndCloseCyclesLeaveNothingBehind) {
  const int before = liveToolkitObjects();
  for (int i = 0; i < 1000; ++i) {
    ASSERT_TRUE(this->open());
    if (i % 100 == 0) this->click(TestFixture::centre(this->layout().aboutClick));  // closed with the about screen up
    this->close();
  }
  EXPECT_EQ(liveToolkitObjects(), before);
  EXPECT_EQ(this->ui.windows.liveWindows(), 0);
}

struct ThrowingWindows : platform::WindowSystem {
  std::unique_ptr<platform::NativeWindow> createChildWindow(void*, int, int, platform::WindowClient&) override {
    throw std::bad_alloc();
  }
  const char* name() const override { return "throwing"; }
};

TYPED_TEST(Editor, AnOpenThatFailsAnswersZeroAndLeavesNothing) {
  this->ui.windows.failNextWindow = true;
  EXPECT_EQ(this->dispatch(effEditOpen, 0, 0, &this->parent), 0);
  EXPECT_EQ(this->editor->getFrame(), nullptr);
  EXPECT_FALSE(this->editor->isOpen());

  ThrowingWindows throwing;
  this->effect.reset();
  this->ui.windows.failNextWindow = false;
  gEditorServices = this->ui.bundle();
  gEditorServices.windows = &throwing;
  this->effect = std::make_unique<typename TestFixture::Effect>(&EditorHost::callback, &scriptedEditor<TypeParam>);
  this->editor = static_cast<editor::sorvaneGUI*>(this->effect->getEditor());
  EXPECT_EQ(this->dispatch(effEditOpen, 0, 0, &this->parent), 0) << "nothing thrown reaches the host";
  EXPECT_EQ(this->editor->getFrame(), nullptr);
  this->effect.reset();
}

TYPED_TEST(Editor, ClosingThePluginWithTheEditorOpenTakesTheWindowAlong) {
  ASSERT_TRUE(this->open());
  this->click(TestFixture::centre(this->layout().aboutClick));
  AEffect* record = this->effect->getAeffect();
  this->effect.release();
  EXPECT_EQ(record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f), 1);
  EXPECT_EQ(this->ui.windows.liveWindows(), 0);
}

TYPED_TEST(Editor, ClosingThePluginDuringAKnobDragEndsTheGestureWhileTheEffectIsWhole) {
  // A host that sends effClose without effEditClose while the button is held.
  ASSERT_TRUE(this->open());
  const int output = TypeParam::kOutputIndex;
  const CPoint start = TestFixture::centre(this->controlOf(output).rect);
  this->window->mouseDown(start.x, start.y, kLButton);
  this->window->mouseMove(start.x, start.y - 10, kLButton);
  AEffect* record = this->effect->getAeffect();
  this->effect.release();
  this->window = nullptr;
  EXPECT_EQ(record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f), 1);
  const auto log = EditorHost::log();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.front(), "begin " + std::to_string(output));
  EXPECT_EQ(log.back(), "end " + std::to_string(output)) << "the host stays in touch mode without it";
  EXPECT_EQ(std::count(log.begin(), log.end(), "end " + std::to_string(output)), 1);
  EXPECT_EQ(this->ui.windows.liveWindows(), 0);
}

}  // namespace
}  // namespace sorvane::test
