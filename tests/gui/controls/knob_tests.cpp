// Knob gestures through the frame's event translation, as a user makes
// them: linear and circular drags, fine-tuning, reset, wheel and keys, and
// which frame of a strip an animated knob shows.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "gui/controls/cknob.h"
#include "tests/gui/toolkit_fixture.h"

namespace sorvane {
namespace {

class Knob : public test::ToolkitTest {
 protected:
  // A 53 × 53 knob at 100, 20 on a 300 × 300 frame, value 0.5, zoom 2.
  CAnimKnob* makeKnob(int frames = 101) {
    openFrame(300, 300);
    auto* strip = test::makeStrip(53, 53, frames);
    auto* knob = new CAnimKnob(CRect(100, 20, 153, 73), &listener, 4, strip);
    strip->forget();
    knob->setValue(0.5f);
    knob->setDefaultValue(0.5f);
    knob->setZoomFactor(2.0f);
    frame->addView(knob);
    return knob;
  }
  // A vertical drag in one-pixel steps from (120, 40).
  void dragUp(int pixels, CButtonState buttons = kLButton, int from = 0) {
    for (int i = from + 1; i <= pixels; ++i) window->mouseMove(120, 40 - i, buttons);
  }
};

TEST_F(Knob, ALinearDragSweepsTheRangeIn200PixelsAndShiftZoomsWithoutAJump) {
  CAnimKnob* knob = makeKnob();
  window->mouseDown(120, 40, kLButton);
  dragUp(100);
  window->mouseUp(120, -60, 0);
  EXPECT_FLOAT_EQ(knob->getValue(), 1.0f) << "100 pixels up from 0.5";
  EXPECT_EQ(listener.reports.size(), 100u) << "one report per change, none at the stop";
  EXPECT_EQ(editor.calls, (std::vector<std::string>{"begin 4", "end 4"}));

  knob->setValue(0.5f);
  window->mouseDown(120, 40, kLButton | kShift);
  dragUp(100, kLButton | kShift);
  window->mouseUp(120, -60, kShift);
  EXPECT_NEAR(knob->getValue(), 0.75f, 1e-5f) << "Shift: 400 pixels for the range on a zoom of 2";

  knob->setValue(0.5f);
  window->mouseDown(120, 40, kLButton);
  dragUp(20);
  EXPECT_NEAR(knob->getValue(), 0.6f, 1e-5f);
  dragUp(40, kLButton | kShift, 20);
  // The move that brings Shift still counts at the old rate; the rest at the new one.
  EXPECT_NEAR(knob->getValue(), 0.5f + 21.0f / 200 + 19.0f / 400, 1e-5f)
      << "pressing Shift mid-drag continues from the current value";
  window->mouseUp(120, 0, kShift);

  knob->setValue(0.5f);
  window->mouseDown(120, 40, kLButton);
  window->mouseMove(130, 30, kLButton);
  EXPECT_NEAR(knob->getValue(), 0.6f, 1e-5f) << "10 right and 10 up count as 20";
  window->mouseUp(130, 30, 0);
}

TEST_F(Knob, ControlClickResetsOnlyWhenItIsExactlyLeftAndControl) {
  CAnimKnob* knob = makeKnob();
  knob->setValue(0.9f);
  window->mouseDown(120, 40, kLButton | kControl);
  EXPECT_FLOAT_EQ(knob->getValue(), 0.5f);
  EXPECT_EQ(listener.reports.size(), 1u);
  EXPECT_FALSE(window->hasCapture()) << "a reset needs no moves or up event";
  window->mouseDown(120, 40, kLButton | kControl);
  EXPECT_EQ(listener.reports.size(), 1u) << "already at the default: nothing to report";

  knob->setValue(0.9f);
  window->mouseDown(120, 40, kLButton | kControl | kShift);
  EXPECT_FLOAT_EQ(knob->getValue(), 0.9f) << "Control + Shift starts a fine drag instead";
  window->mouseUp(120, 40, 0);
  window->mouseDown(120, 40, kLButton | kControl | kDoubleClick);
  EXPECT_FLOAT_EQ(knob->getValue(), 0.9f) << "a double-click never resets";
  window->mouseUp(120, 40, 0);
}

TEST_F(Knob, WheelAndArrowKeysStepByATenthAndStopAtTheEnds) {
  CAnimKnob* knob = makeKnob();
  knob->setValue(0.0f);
  window->wheel(120, 40, 120);
  EXPECT_FLOAT_EQ(knob->getValue(), 0.1f);
  window->wheel(120, 40, 120, kShift);
  EXPECT_FLOAT_EQ(knob->getValue(), 0.11f);
  window->wheel(120, 40, -1200);
  EXPECT_FLOAT_EQ(knob->getValue(), 0.0f);
  EXPECT_EQ(editor.calls.size(), 6u) << "each wheel change is its own gesture";

  window->mouseDown(120, 40, kLButton);
  window->mouseUp(120, 40, 0);
  window->key(platform::WindowEventType::KeyDown, {0, kVirtualKeyUp, 0});
  EXPECT_FLOAT_EQ(knob->getValue(), 0.1f);
  window->key(platform::WindowEventType::KeyDown, {0, kVirtualKeyLeft, platform::kKeyShift});
  EXPECT_FLOAT_EQ(knob->getValue(), 0.09f);
  EXPECT_FALSE(window->key(platform::WindowEventType::KeyDown, {'a', 0, 0}).consumed);
}

TEST_F(Knob, ArrowKeysDuringADragLeaveItAloneAsTheWheelDoesSoTheHostSeesOneGesture) {
  CAnimKnob* knob = makeKnob();
  window->mouseDown(120, 40, kLButton);
  dragUp(10);
  EXPECT_FALSE(window->key(platform::WindowEventType::KeyDown, {0, kVirtualKeyUp, 0}).consumed)
      << "passed on to the host, as a wheel turn is";
  EXPECT_FLOAT_EQ(knob->getValue(), 0.55f);
  dragUp(12, kLButton, 10);
  window->mouseUp(120, 28, 0);
  EXPECT_FLOAT_EQ(knob->getValue(), 0.56f);
  EXPECT_EQ(editor.calls, (std::vector<std::string>{"begin 4", "end 4"}));
  EXPECT_TRUE(window->key(platform::WindowEventType::KeyDown, {0, kVirtualKeyUp, 0}).consumed);
  EXPECT_FLOAT_EQ(knob->getValue(), 0.66f) << "after the drag the keys step again";
}

TEST_F(Knob, ASidewaysWheelTurnLeavesTheKnobAndGoesOnToTheHost) {
  CAnimKnob* knob = makeKnob();
  platform::WindowEvent swipe;
  swipe.type = platform::WindowEventType::Wheel;
  swipe.x = 120, swipe.y = 40;
  swipe.horizontal = true;
  for (int delta : {120, -240}) {
    swipe.wheelDelta = delta;
    EXPECT_FALSE(window->send(swipe).consumed) << "a notch of " << delta << " is the host's";
  }
  EXPECT_FLOAT_EQ(knob->getValue(), 0.5f);
  EXPECT_TRUE(editor.calls.empty());
  EXPECT_TRUE(listener.reports.empty());
  EXPECT_TRUE(window->wheel(120, 40, 120).consumed) << "the vertical wheel still turns it";
  EXPECT_FLOAT_EQ(knob->getValue(), 0.6f);
}

TEST_F(Knob, CircularModeFollowsTheAngleAndSticksToTheEndItCameFrom) {
  CAnimKnob* knob = makeKnob();
  editor.knobMode = kCircularMode;
  const int cx = 100 + 26, cy = 20 + 26;
  window->mouseDown(cx, cy - 20, kLButton);  // straight up
  EXPECT_NEAR(knob->getValue(), 0.5f, 0.02f);
  window->mouseMove(cx + 20, cy - 10, kLButton);
  window->mouseMove(cx + 20, cy + 20, kLButton);  // lower right
  EXPECT_NEAR(knob->getValue(), 1.0f, 0.02f);
  window->mouseMove(cx - 2, cy + 25, kLButton);  // across the gap at the bottom
  EXPECT_FLOAT_EQ(knob->getValue(), 1.0f) << "the dead zone keeps the end it came from";
  window->mouseUp(cx, cy, 0);

  window->mouseDown(cx - 20, cy + 20, kLButton);  // lower left
  EXPECT_NEAR(knob->getValue(), 0.0f, 0.02f);
  window->mouseUp(cx, cy, 0);

  editor.knobMode = kLinearMode;
  knob->setValue(0.5f);
  window->mouseDown(cx, cy - 20, kLButton | kAlt);  // Alt swaps to circular
  EXPECT_NEAR(knob->getValue(), 0.5f, 0.02f);
  window->mouseMove(cx + 20, cy - 10, kLButton | kAlt);
  window->mouseMove(cx + 20, cy + 20, kLButton | kAlt);
  EXPECT_NEAR(knob->getValue(), 1.0f, 0.02f);
  window->mouseUp(cx, cy, 0);
}

TEST_F(Knob, AnAnimatedKnobShowsTheFrameOfItsValueAndNeverOneOutsideTheStrip) {
  struct Case {
    int frames;
    float value;
    int frame;
  };
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const Case cases[] = {{101, 0.5f, 50}, {6, 0.99f, 4}, {6, 1.0f, 5}, {6, 0.0f, 0},
                        {6, -1.0f, 0},   {6, 1e30f, 5}, {6, nan, 0},  {6, -std::numeric_limits<float>::infinity(), 0}};
  for (const Case& c : cases) {
    CAnimKnob* knob = makeKnob(c.frames);
    knob->setValue(c.value);
    EXPECT_EQ(knob->frameIndex(), c.frame) << c.frames << " frames at " << c.value;
    window->paintAll();
    EXPECT_EQ(pixel(126, 46), bgr(test::frameColour(c.frame))) << c.frames << " frames at " << c.value;
    closeFrame();
  }
}

TEST_F(Knob, EveryChangeOfFrameIsRedrawnEvenWhenTheHandleHardlyMoves) {
  CAnimKnob* knob = makeKnob();
  knob->setValue(0.50f);
  frame->idle();
  window->paintAll();
  for (int step = 1; step <= 100; ++step) {
    knob->setValue(0.5f + 0.005f * static_cast<float>(step) * 0.99f);
    frame->idle();
    ASSERT_EQ(pixel(126, 46), bgr(test::frameColour(knob->frameIndex()))) << "value " << knob->getValue();
  }
}

}  // namespace
}  // namespace sorvane
