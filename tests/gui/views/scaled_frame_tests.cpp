// The frame at the editor's other sizes: the window is made and resized at
// the mapped size, pointer positions reach the views in the panel's pixels,
// invalid rectangles and paint areas map both ways, and a knob, the wheel
// and a pop-up menu behave as they do at 100 %.
#include <gtest/gtest.h>

#include "gui/controls/cknob.h"
#include "gui/controls/coptionmenu.h"
#include "gui/draw/cdrawcontext.h"
#include "gui/draw/scaling.h"
#include "tests/gui/toolkit_fixture.h"

namespace sorvane {
namespace {

// A view filled with one colour that notes where presses reach it.
struct ColourView : CView {
  ColourView(const CRect& r, CColor colour) : CView(r), colour(colour) {}
  void draw(CDrawContext* context) override {
    context->setFillColor(colour);
    context->fillRect(size);
    setDirty(false);
  }
  CMouseEventResult onMouseDown(CPoint& where, const CButtonState&) override {
    presses.push_back(where);
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
  }
  CColor colour;
  std::vector<CPoint> presses;
};

class ScaledFrame : public test::ToolkitTest {
 protected:
  ColourView* addColourView(const CRect& r, CColor colour = kRedCColor) {
    auto* view = new ColourView(r, colour);
    frame->addView(view);
    return view;
  }
  // A 53 × 53 knob at 100, 20 on a 300 × 300 frame, value 0.5, zoom 2.
  CAnimKnob* makeKnob(int percent) {
    openFrame(300, 300, percent);
    auto* strip = test::makeStrip(53, 53, 11);
    auto* knob = new CAnimKnob(CRect(100, 20, 153, 73), &listener, 4, strip);
    strip->forget();
    knob->setValue(0.5f);
    knob->setZoomFactor(2.0f);
    frame->addView(knob);
    return knob;
  }
  // The values a knob reports for a drag of the given panel pixels up,
  // made at percent in window pixels (as fine as the window allows).
  std::vector<float> dragValues(int percent, int panelPixels, CButtonState buttons) {
    makeKnob(percent);
    const CPoint start = scaleToWindow(CPoint(120, 40), percent);
    window->mouseDown(start.x, start.y, buttons);
    const int end = scaleToWindow(40 - panelPixels, percent);
    for (int y = start.y - 1; y >= end; --y) window->mouseMove(start.x, y, buttons);
    window->mouseUp(start.x, end, buttons & ~kLButton);
    const std::vector<float> values = listener.values();
    closeFrame();
    listener.reports.clear();
    return values;
  }
};

TEST_F(ScaledFrame, TheWindowIsMadeAtTheMappedSizeAndPressesArriveInPanelPixels) {
  openFrame(200, 100, 150);
  EXPECT_EQ(frame->getViewSize(), CRect(0, 0, 200, 100)) << "the tree stays in the panel's pixels";
  EXPECT_EQ(window->pixels().width(), 300);
  EXPECT_EQ(window->pixels().height(), 150);
  EXPECT_EQ(window->contentScale(), 150) << "the window's own menus draw at the panel's size";
  ColourView* view = addColourView(CRect(20, 10, 60, 40));
  for (auto [x, y] : {std::pair{29, 14}, {30, 15}, {89, 59}, {90, 60}, {31, 16}}) window->mouseDown(x, y, kLButton);
  // Window 30..89 is panel 20..59; window 31 is the second pixel of panel 20.
  EXPECT_EQ(view->presses, (std::vector<CPoint>{{20, 10}, {59, 39}, {20, 10}}));

  CFrame* unsupported = new CFrame(CRect(0, 0, 10, 10), &parent, &editor, services, 120);
  EXPECT_EQ(unsupported->getScale(), 100) << "a size that is not supported opens at 100 %";
  EXPECT_EQ(windows.window()->pixels().width(), 10);
  unsupported->forget();
}

TEST_F(ScaledFrame, InvalidRectanglesAreMappedAndAPaintStaysInsideItsArea) {
  openFrame(200, 100, 150);
  const std::array<int, 3> red{0, 0, 255};
  ColourView* view = addColourView(CRect(10, 10, 20, 20));
  window->paintAll();
  frame->idle();
  EXPECT_EQ(pixel(15, 15), red);
  EXPECT_EQ(pixel(29, 29), red);
  EXPECT_EQ(pixel(14, 15), (std::array<int, 3>{0, 0, 0}));
  EXPECT_EQ(pixel(30, 29), (std::array<int, 3>{0, 0, 0}));

  frame->invalidRect(CRect(10, 10, 20, 20));
  ASSERT_EQ(window->pendingAreas().size(), 1u);
  const platform::DrawRect marked = window->pendingAreas()[0];
  EXPECT_EQ(marked.left, 15);
  EXPECT_EQ(marked.top, 15);
  EXPECT_EQ(marked.right, 30);
  EXPECT_EQ(marked.bottom, 30);
  window->update();

  // A system area of one window pixel: the panel pixel behind it is drawn,
  // only that window pixel changes.
  view->colour = kWhiteCColor;
  window->invalidate(platform::DrawRect{16, 16, 17, 17});
  window->update();
  EXPECT_EQ(pixel(16, 16), (std::array<int, 3>{255, 255, 255}));
  EXPECT_EQ(pixel(15, 15), red) << "the same panel pixel, outside the area";
}

TEST_F(ScaledFrame, ANewSizeResizesTheWindowAndRedrawsItWhole) {
  const std::array<int, 3> red{0, 0, 255};
  openFrame(200, 100);
  addColourView(CRect(10, 10, 20, 20));
  window->paintAll();
  EXPECT_TRUE(frame->setScale(200));
  EXPECT_EQ(frame->getScale(), 200);
  EXPECT_EQ(window->resizeCount(), 1);
  EXPECT_EQ(window->pixels().width(), 400);
  EXPECT_EQ(window->pixels().height(), 200);
  EXPECT_EQ(window->contentScale(), 200);
  window->update();
  EXPECT_EQ(pixel(20, 20), red);
  EXPECT_EQ(pixel(39, 39), red);
  EXPECT_EQ(pixel(40, 39), (std::array<int, 3>{0, 0, 0}));

  EXPECT_FALSE(frame->setScale(120)) << "not a supported size";
  EXPECT_TRUE(frame->setScale(200)) << "the size it has";
  window->failNextResize = true;
  EXPECT_FALSE(frame->setScale(300));
  EXPECT_EQ(frame->getScale(), 200) << "a window that cannot follow keeps the size";
  EXPECT_EQ(window->pixels().width(), 400);
  EXPECT_EQ(window->resizeCount(), 1);
}

TEST_F(ScaledFrame, AKnobDragIsTheSamePanelDistanceAtEverySizeFineOrNot) {
  const std::vector<float> plain = dragValues(100, 60, kLButton);
  const std::vector<float> fine = dragValues(100, 60, kLButton | kShift);
  ASSERT_EQ(plain.size(), 60u);
  EXPECT_FLOAT_EQ(plain.back(), 0.8f);
  EXPECT_FLOAT_EQ(fine.back(), 0.65f);
  for (int percent : {125, 150, 175, 200, 250, 300}) {
    EXPECT_EQ(dragValues(percent, 60, kLButton), plain) << percent << " %: 200 panel pixels for the range";
    EXPECT_EQ(dragValues(percent, 60, kLButton | kShift), fine) << percent << " %, Shift";
  }
  // 400 window pixels at 200 % sweep the whole range.
  CAnimKnob* knob = makeKnob(200);
  knob->setValue(0.0f);
  window->mouseDown(240, 80, kLButton);
  for (int y = 79; y >= -320; --y) window->mouseMove(240, y, kLButton);
  EXPECT_FLOAT_EQ(knob->getValue(), 1.0f);
  window->mouseMove(240, 79, kLButton);
  EXPECT_FLOAT_EQ(knob->getValue(), 0.005f) << "back to one panel pixel above the start";
  window->mouseUp(240, 79, 0);
  knob->setValue(1.0f);
  EXPECT_FLOAT_EQ(knob->getValue(), 1.0f);
}

TEST_F(ScaledFrame, TheWheelStepsAsAt100Percent) {
  CAnimKnob* knob = makeKnob(200);
  window->wheel(250, 90, 120);
  EXPECT_FLOAT_EQ(knob->getValue(), 0.6f);
  window->wheel(250, 90, -120, kShift);
  EXPECT_FLOAT_EQ(knob->getValue(), 0.59f);
  window->wheel(190, 90, 120);
  EXPECT_FLOAT_EQ(knob->getValue(), 0.59f) << "window 190 is panel 95, left of the knob";
}

TEST_F(ScaledFrame, APopUpMenuOpensAtTheControlsWindowPlace) {
  openFrame(200, 100, 200);
  auto* menu = new COptionMenu(CRect(10, 50, 60, 70), &listener, 20, nullptr, nullptr, kCheckStyle);
  menu->addEntry("One");
  frame->addView(menu);
  window->setScreenOrigin(300, 200);
  window->mouseDown(40, 110, kLButton);
  ASSERT_EQ(menus.shown.size(), 1u);
  EXPECT_EQ(menus.shown.back().x, 300 + 20) << "the left edge, panel 10";
  EXPECT_EQ(menus.shown.back().y, 200 + 140) << "below the control, panel 70";
}

}  // namespace
}  // namespace sorvane
