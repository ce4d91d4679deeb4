// Where a view's request for a redraw lands in the window, at every depth
// of the tree, and that what the window shows after its update equals a
// whole paint of the same tree. The headless window paints each invalid
// rectangle alone, as a system clips to its update region, so a rectangle
// in the wrong place leaves stale pixels here too.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "gui/controls/cbuttons.h"
#include "gui/controls/csplashscreen.h"
#include "tests/gui/toolkit_fixture.h"

namespace sorvane {
namespace {

class Invalidation : public test::ToolkitTest {
 protected:
  // The rectangles marked since the last update, as "left,top,right,bottom"; painted afterwards.
  std::vector<std::string> marked() {
    std::vector<std::string> areas;
    for (const platform::DrawRect& r : window->pendingAreas())
      areas.push_back(std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
                      std::to_string(r.bottom));
    window->update();
    return areas;
  }
  // How the window's pixels differ from a whole paint of the tree as it is
  // now (the window is left wholly painted); empty when they do not.
  std::string differenceFromWholePaint() {
    const platform::PixelBuffer& pixels = window->pixels();
    std::vector<std::uint8_t> shown;
    for (int y = 0; y < pixels.height(); ++y)
      shown.insert(shown.end(), pixels.row(y), pixels.row(y) + 4 * pixels.width());
    window->paintAll();
    int count = 0, firstX = -1, firstY = -1;
    for (int y = 0; y < pixels.height(); ++y)
      for (int x = 0; x < pixels.width(); ++x)
        for (int c = 0; c < 3; ++c)
          if (shown[(static_cast<size_t>(y) * pixels.width() + x) * 4 + c] != pixels.row(y)[4 * x + c]) {
            if (count++ == 0) firstX = x, firstY = y;
            break;
          }
    if (count == 0) return "";
    return std::to_string(count) + " stale pixels, the first at " + std::to_string(firstX) + "," +
           std::to_string(firstY);
  }
  static std::array<int, 3> bgr(const CColor& c) { return {c.blue, c.green, c.red}; }
};

TEST_F(Invalidation, EveryViewMarksItsOwnAreaInTheWindowAtAnyDepthClippedByItsContainers) {
  openFrame(200, 100);
  auto* outer = new CViewContainer(CRect(30, 20, 130, 90), frame);
  auto* inner = new CViewContainer(CRect(10, 5, 60, 45), frame);
  auto* view = new CView(CRect(4, 3, 14, 9));
  auto* sticking = new CView(CRect(40, 30, 70, 60));  // reaches out of inner's 50 × 40
  inner->addView(view);
  inner->addView(sticking);
  outer->addView(inner);
  frame->addView(outer);
  marked();

  outer->invalid();
  EXPECT_EQ(marked(), (std::vector<std::string>{"30,20,130,90"}));
  inner->invalid();
  EXPECT_EQ(marked(), (std::vector<std::string>{"40,25,90,65"})) << "30 + 10, 20 + 5: each origin counted once";
  view->invalid();
  EXPECT_EQ(marked(), (std::vector<std::string>{"44,28,54,34"}));
  sticking->invalid();
  EXPECT_EQ(marked(), (std::vector<std::string>{"80,55,90,65"})) << "only the part inside its container";
  inner->invalidRect(CRect(0, 0, 500, 500));
  EXPECT_EQ(marked(), (std::vector<std::string>{"40,25,90,65"})) << "a container's rectangle is in its parent";
  frame->invalidRect(CRect(190, 90, 300, 300));
  EXPECT_EQ(marked(), (std::vector<std::string>{"190,90,200,100"})) << "the frame's is the window's";

  inner->setVisible(false);
  EXPECT_EQ(marked(), (std::vector<std::string>{"40,25,90,65"})) << "hiding redraws what it covered";
  view->invalid();
  EXPECT_TRUE(marked().empty()) << "nothing inside a hidden container asks";
}

// The about screen's case: a container away from the frame's corner shown
// and hidden as the modal view, with a switch beside it that follows its
// value meanwhile.
TEST_F(Invalidation, AModalContainerIsPaintedWholeWhenShownAndGoneWholeWhenHidden) {
  openFrame(160, 80);
  const CColor panel = MakeCColor(10, 20, 30), screen = MakeCColor(200, 40, 40), label = MakeCColor(40, 200, 40);
  frame->setBackgroundColor(panel);
  auto* about = new CViewContainer(CRect(30, 20, 110, 70), frame);
  about->setBackgroundColor(screen);
  auto* text = new CViewContainer(CRect(5, 5, 25, 15), frame);
  text->setBackgroundColor(label);
  about->addView(text);
  auto* splash = new CSplashScreen(CRect(0, 0, 10, 10), &listener, 24, about);
  frame->addView(splash);
  auto* strip = test::makeStrip(20, 20, 2);
  auto* beside = new COnOffButton(CRect(130, 10, 150, 30), &listener, 3, strip);
  strip->forget();
  frame->addView(beside);
  frame->idle();
  window->paintAll();

  window->mouseDown(5, 5, kLButton);
  ASSERT_EQ(frame->getModalView(), about);
  beside->setValue(1.0f);
  frame->idle();
  EXPECT_EQ(pixel(30, 20), bgr(screen)) << "the screen's top-left corner";
  EXPECT_EQ(pixel(36, 26), bgr(label));
  EXPECT_EQ(pixel(140, 20), test::ToolkitTest::bgr(test::frameColour(1))) << "the switch beside it follows";
  EXPECT_EQ(differenceFromWholePaint(), "") << "shown";

  splash->unSplash();
  beside->setValue(0.0f);
  frame->idle();
  EXPECT_EQ(pixel(30, 20), bgr(panel));
  EXPECT_EQ(pixel(36, 26), bgr(panel));
  EXPECT_EQ(pixel(140, 20), test::ToolkitTest::bgr(test::frameColour(0)));
  EXPECT_EQ(differenceFromWholePaint(), "") << "hidden";
}

TEST_F(Invalidation, TheHeadlessWindowKeepsEachRectangleAndPaintsEachAlone) {
  openFrame(100, 60);
  frame->idle();
  window->paintAll();
  const int paints = window->paintCount();
  window->invalidate({10, 10, 20, 20});
  window->invalidate({50, 30, 60, 40});
  window->invalidate({12, 12, 18, 18});   // inside the first
  window->invalidate({10, 10, 20, 20});   // the same again
  window->invalidate({90, 50, 140, 90});  // reaches out of the window
  window->invalidate({200, 0, 210, 10});  // wholly outside
  EXPECT_EQ(marked(), (std::vector<std::string>{"10,10,20,20", "50,30,60,40", "90,50,100,60"}));
  EXPECT_EQ(window->paintCount(), paints + 3);
  window->invalidate({12, 12, 18, 18});
  window->invalidate({0, 0, 30, 30});  // takes in the one before
  EXPECT_EQ(marked(), (std::vector<std::string>{"0,0,30,30"}));
}

}  // namespace
}  // namespace sorvane
