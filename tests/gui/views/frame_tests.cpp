// The view tree and the frame on a headless window: ownership, drawing and
// hit order, redraw through idle, and how native events become view calls.
#include <gtest/gtest.h>

#include "gui/controls/cbuttons.h"
#include "gui/controls/cknob.h"
#include "gui/controls/coptionmenu.h"
#include "gui/views/cdragcontainer.h"
#include "gui/views/cframe.h"
#include "tests/gui/toolkit_fixture.h"

namespace sorvane {
namespace {

using test::ToolkitTest;

// A view that logs what reaches it and answers as it is told.
struct ProbeView : CView {
  explicit ProbeView(const CRect& r, std::vector<std::string>* log, const char* name)
      : CView(r), log(log), name(name) {}
  CMouseEventResult onMouseDown(CPoint& p, const CButtonState& b) override {
    add("down", p, b);
    return downResult;
  }
  CMouseEventResult onMouseUp(CPoint& p, const CButtonState& b) override {
    add("up", p, b);
    return kMouseEventHandled;
  }
  CMouseEventResult onMouseMoved(CPoint& p, const CButtonState& b) override {
    add("moved", p, b);
    return kMouseEventHandled;
  }
  CMouseEventResult onMouseEntered(CPoint& p, const CButtonState& b) override {
    add("entered", p, b);
    return kMouseEventHandled;
  }
  CMouseEventResult onMouseExited(CPoint& p, const CButtonState& b) override {
    add("exited", p, b);
    return kMouseEventHandled;
  }
  bool onWheel(const CPoint&, const CMouseWheelAxis&, const float& d, const CButtonState&) override {
    log->push_back(name + " wheel " + std::to_string(static_cast<int>(d)));
    return usesWheel;
  }
  void add(const char* what, const CPoint& p, CButtonState b) {
    log->push_back(name + " " + what + " " + std::to_string(p.x) + "," + std::to_string(p.y) + " " + std::to_string(b));
  }
  std::vector<std::string>* log;
  std::string name;
  CMouseEventResult downResult = kMouseEventHandled;
  bool usesWheel = true;
};

class Frame : public ToolkitTest {
 protected:
  std::vector<std::string> log;
};

TEST_F(Frame, ContainersOwnTheirViewsAndGiveBackOnlyTheirOwnReferenceWithoutForget) {
  openFrame();
  auto* view = new CView(CRect(0, 0, 10, 10));
  EXPECT_FALSE(frame->addView(nullptr));
  EXPECT_TRUE(frame->addView(view));
  EXPECT_FALSE(frame->addView(view)) << "an attached view is refused";
  EXPECT_EQ(view->getNbReference(), 2);
  EXPECT_TRUE(frame->removeView(view, false));
  EXPECT_EQ(view->getNbReference(), 1) << "the creator's reference survives";
  EXPECT_FALSE(view->isAttached());
  EXPECT_FALSE(frame->removeView(view)) << "no longer a child";
  EXPECT_TRUE(frame->addView(view)) << "a removed view can be added again";
  EXPECT_TRUE(frame->removeView(view, true));  // releases both references
}

TEST_F(Frame, TheLastAddedChildIsDrawnOnTopAndHitFirst) {
  openFrame(40, 20);
  auto* under = new COnOffButton(CRect(0, 0, 20, 20), &listener, 1, test::makeStrip(20, 20, 2));
  auto* over = new COnOffButton(CRect(10, 0, 30, 20), &listener, 2, test::makeStrip(20, 20, 2));
  under->getBackground()->forget();
  over->getBackground()->forget();
  frame->addView(under);
  frame->addView(over);
  window->paintAll();
  EXPECT_EQ(pixel(5, 5), bgr(test::frameColour(0)));
  EXPECT_EQ(pixel(15, 5), bgr(test::frameColour(0)));
  EXPECT_EQ(pixel(35, 5), (std::array<int, 3>{0, 0, 0})) << "the frame's background colour is black";

  window->mouseDown(15, 5, kLButton);
  ASSERT_EQ(listener.reports.size(), 1u);
  EXPECT_EQ(listener.reports[0].tag, 2) << "the overlapping child added later takes the click";
}

TEST_F(Frame, IdleInvalidatesOnlyDirtyViewsAndPaintsThem) {
  openFrame(100, 50);
  auto* a = new COnOffButton(CRect(0, 0, 20, 20), &listener, 1, test::makeStrip(20, 20, 2));
  auto* b = new COnOffButton(CRect(50, 0, 70, 20), &listener, 2, test::makeStrip(20, 20, 2));
  a->getBackground()->forget();
  b->getBackground()->forget();
  frame->addView(a);
  frame->addView(b);
  frame->idle();
  window->paintAll();
  const int paints = window->paintCount();
  frame->idle();
  EXPECT_EQ(window->paintCount(), paints) << "nothing dirty, nothing painted";

  b->setValue(1.0f);
  frame->idle();
  EXPECT_EQ(window->paintCount(), paints + 1);
  EXPECT_EQ(pixel(60, 5), bgr(test::frameColour(1))) << "the switch shows its lower half when on";
  EXPECT_EQ(pixel(5, 5), bgr(test::frameColour(0)));
  EXPECT_FALSE(frame->isDirty());
}

TEST_F(Frame, AModalViewTakesEveryClickAndIsRefusedWhileAnotherIsSet) {
  openFrame();
  auto* button = new COnOffButton(CRect(0, 0, 50, 50), &listener, 1, nullptr);
  frame->addView(button);
  auto* modal = new ProbeView(CRect(20, 20, 40, 40), &log, "modal");
  auto* other = new ProbeView(CRect(0, 0, 5, 5), &log, "other");
  EXPECT_TRUE(frame->setModalView(modal));
  EXPECT_FALSE(frame->setModalView(other));
  EXPECT_FALSE(frame->setModalView(button)) << "an attached view cannot become modal";

  window->mouseDown(5, 5, kLButton);
  EXPECT_TRUE(listener.reports.empty()) << "a click outside the modal view reaches nothing beneath";
  window->mouseDown(25, 25, kLButton);
  EXPECT_TRUE(listener.reports.empty());
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0], "modal down 25,25 2");

  EXPECT_TRUE(frame->setModalView(nullptr));
  EXPECT_EQ(modal->getNbReference(), 1) << "clearing gives the view back unreleased";
  window->mouseDown(5, 5, kLButton);
  EXPECT_EQ(listener.reports.size(), 1u);
  modal->forget();
  other->forget();
}

TEST_F(Frame, TheMouseDownViewGetsMovesAndTheUpInItsOwnCoordinates) {
  openFrame();
  auto* container = new CViewContainer(CRect(50, 20, 150, 80), frame);
  auto* probe = new ProbeView(CRect(10, 10, 30, 30), &log, "p");
  container->addView(probe);
  frame->addView(container);

  const auto down = window->mouseDown(65, 35, kLButton | kShift);
  EXPECT_TRUE(down.captureMouse) << "a handled click keeps the mouse";
  EXPECT_TRUE(window->hasCapture());
  window->mouseMove(190, 95, kLButton);
  window->wheel(65, 35, 120);
  window->mouseUp(190, 95, 0);
  EXPECT_FALSE(window->hasCapture());
  const std::vector<std::string> expected{"p down 15,15 18", "p moved 140,75 2", "p up 140,75 0"};
  EXPECT_EQ(log, expected) << "moves follow the view outside it; a wheel during the drag is ignored";
}

TEST_F(Frame, EnterAndExitFollowThePointerAndLeaveTrackingIsArmedAgainAfterEveryLeave) {
  openFrame();
  auto* probe = new ProbeView(CRect(10, 10, 30, 30), &log, "p");
  frame->addView(probe);
  window->mouseMove(15, 15, 0);
  EXPECT_TRUE(window->isLeaveArmed());
  window->mouseMove(16, 15, 0);
  window->send({platform::WindowEventType::MouseLeave});
  EXPECT_FALSE(window->isLeaveArmed());
  window->mouseMove(20, 20, 0);
  EXPECT_TRUE(window->isLeaveArmed()) << "the next move asks for a leave again";
  window->mouseMove(50, 50, 0);
  const std::vector<std::string> expected{"p entered 15,15 0", "p moved 16,15 0", "p exited 0,0 0", "p entered 20,20 0",
                                          "p exited 50,50 0"};
  EXPECT_EQ(log, expected);
}

TEST_F(Frame, WheelPartsAddUpToNotchesAndAUsedWheelIsNotPassedOn) {
  openFrame();
  auto* probe = new ProbeView(CRect(10, 10, 30, 30), &log, "p");
  frame->addView(probe);
  EXPECT_TRUE(window->wheel(15, 15, 40).consumed) << "held for the view under the pointer";
  EXPECT_TRUE(window->wheel(15, 15, 40).consumed);
  EXPECT_TRUE(log.empty());
  EXPECT_TRUE(window->wheel(15, 15, 40).consumed);
  EXPECT_TRUE(window->wheel(15, 15, -360).consumed);
  const std::vector<std::string> expected{"p wheel 1", "p wheel -3"};
  EXPECT_EQ(log, expected);

  EXPECT_FALSE(window->wheel(80, 80, 120).consumed) << "over the background the host scrolls";
  probe->usesWheel = false;
  EXPECT_FALSE(window->wheel(15, 15, 120).consumed) << "a view that does not use it lets it pass";
}

TEST_F(Frame, ALostCaptureOrAClosingFrameEndsTheGestureWithItsEndOfEdit) {
  openFrame();
  auto* knob = new CKnob(CRect(0, 0, 40, 40), &listener, 7, nullptr);
  frame->addView(knob);
  window->mouseDown(20, 20, kLButton);
  window->mouseMove(20, 10, kLButton);
  window->send({platform::WindowEventType::CaptureLost});
  EXPECT_EQ(editor.calls, (std::vector<std::string>{"begin 7", "end 7"}));
  window->mouseMove(20, 0, kLButton);
  EXPECT_FLOAT_EQ(knob->getValue(), 0.05f) << "moves after the lost capture change nothing";

  window->mouseDown(20, 20, kLButton);
  closeFrame();
  EXPECT_EQ(editor.calls.back(), "end 7");
  EXPECT_EQ(editor.calls.size(), 4u);
}

// A second button during a drag: whatever the order of presses and
// releases, the host sees one begin and one end, the end at the second
// press, and that press is no click of its own.
class SecondButton : public Frame {
 protected:
  // A knob (tag 7) at 0, 0 to 40, 40; its changes join the host's calls.
  CKnob* makeKnob() {
    openFrame(200, 100);
    auto* knob = new CKnob(CRect(0, 0, 40, 40), &listener, 7, nullptr);
    frame->addView(knob);
    listener.onChange = [this](CControl* c) { editor.calls.push_back("change " + std::to_string(c->getTag())); };
    return knob;
  }
  const std::vector<std::string> oneChange{"begin 7", "change 7", "end 7"};
};

TEST_F(SecondButton, EndsTheDragAtItsPressAndNeitherReleaseNorHeldMovesDoMore) {
  CKnob* knob = makeKnob();
  // The second button, and the one still held after the first release.
  const std::pair<CButtonState, CButtonState> cases[] = {
      {kRButton, kLButton}, {kMButton, kMButton}, {kButton4 | kControl | kDoubleClick, kLButton}};
  for (const auto& [second, held] : cases) {
    knob->setValue(0.5f);
    editor.calls.clear();
    window->mouseDown(20, 20, kLButton);
    window->mouseMove(20, 10, kLButton);
    EXPECT_FALSE(window->mouseDown(20, 10, kLButton | second).captureMouse);
    EXPECT_EQ(editor.calls, oneChange) << "second " << second;
    window->mouseUp(20, 10, held);
    window->mouseMove(21, 5, held);
    window->mouseMove(22, 4, held);
    window->mouseUp(22, 4, 0);
    EXPECT_EQ(editor.calls, oneChange) << "second " << second;
    EXPECT_FLOAT_EQ(knob->getValue(), 0.55f);
  }
}

TEST_F(SecondButton, IsNoClickOnAMenuASwitchOrAViewBeneathTheModalView) {
  makeKnob();
  auto* menu = new COptionMenu(CRect(100, 0, 160, 20), &listener, 20);
  menu->addEntry("Only");
  frame->addView(menu);
  auto* button = new COnOffButton(CRect(100, 40, 140, 60), &listener, 21, nullptr);
  frame->addView(button);
  window->mouseDown(20, 20, kLButton);
  window->mouseMove(110, 10, kLButton);  // the drag follows the pointer onto the menu
  window->mouseDown(110, 10, kLButton | kRButton);
  window->mouseUp(110, 10, kLButton);
  EXPECT_TRUE(menus.shown.empty());
  EXPECT_EQ(editor.calls.back(), "end 7") << "the menu's gesture never began";

  editor.calls.clear();
  window->mouseDown(120, 50, kLButton | kRButton);  // the right button held since the background
  EXPECT_FALSE(button->isOn());

  auto* modal = new ProbeView(CRect(0, 0, 60, 60), &log, "modal");
  ASSERT_TRUE(frame->setModalView(modal));
  window->mouseDown(20, 20, kLButton);
  window->mouseDown(20, 20, kLButton | kRButton);
  EXPECT_EQ(log, (std::vector<std::string>{"modal down 20,20 2", "modal up 20,20 10"}));
  frame->setModalView(nullptr);
  modal->forget();
  EXPECT_TRUE(editor.calls.empty()) << "nothing beneath the modal view";
}

TEST_F(SecondButton, ThatWasNoClickIsNoFirstHalfOfADoubleClickSoAControlClickAfterItResets) {
  CKnob* knob = makeKnob();
  knob->setValue(0.9f);
  window->mouseDown(80, 80, kRButton);
  window->mouseDown(20, 20, kRButton | kLButton);
  window->mouseUp(20, 20, kRButton);
  window->mouseUp(20, 20, 0);
  // The system pairs this press with the left one made under the right button.
  window->mouseDown(20, 20, kLButton | kControl | kDoubleClick);
  EXPECT_FLOAT_EQ(knob->getValue(), 0.5f);
  EXPECT_EQ(editor.calls, oneChange);
  knob->setValue(0.9f);
  window->mouseDown(20, 20, kLButton | kControl | kDoubleClick);
  EXPECT_FLOAT_EQ(knob->getValue(), 0.9f) << "a real double-click still is one: a drag, no reset";
  window->mouseUp(20, 20, 0);
}

TEST_F(SecondButton, LeavesAHeldButtonThatMovesNothingItPassesOver) {
  CKnob* knob = makeKnob();
  auto* kick = new CKickButton(CRect(60, 0, 80, 20), &listener, 8, 20, nullptr);
  frame->addView(kick);
  // A push a second button ended counts as released there, as a lost capture does.
  window->mouseDown(70, 10, kLButton);
  window->mouseDown(70, 10, kLButton | kRButton);
  EXPECT_EQ(editor.calls, (std::vector<std::string>{"begin 8", "change 8", "change 8", "end 8"}));
  window->mouseUp(70, 10, kLButton);
  for (int x = 71; x > 0; --x) window->mouseMove(x, 10, kLButton);  // over the push button, then the knob
  EXPECT_EQ(kick->getValue(), 0.0f) << "not shown pressed by a press it did not take";
  window->mouseUp(1, 10, 0);
  EXPECT_EQ(knob->getValue(), 0.0f);
  EXPECT_EQ(editor.calls.size(), 4u);
}

TEST_F(Frame, RemovingTheMouseDownOrMouseOverViewMidGestureLeavesNothingDangling) {
  openFrame();
  auto* knob = new CKnob(CRect(0, 0, 40, 40), &listener, 3, nullptr);
  auto* probe = new ProbeView(CRect(50, 0, 90, 40), &log, "p");
  frame->addView(knob);
  frame->addView(probe);
  window->mouseDown(20, 20, kLButton);
  frame->removeView(knob);
  EXPECT_EQ(editor.calls, (std::vector<std::string>{"begin 3", "end 3"}));
  window->mouseMove(20, 0, kLButton);
  window->mouseUp(20, 0, 0);

  // A pressed button whose release handler removes the button itself.
  auto* kick = new CKickButton(CRect(0, 50, 20, 70), &listener, 4, 20, nullptr);
  frame->addView(kick);
  listener.onChange = [this, kick](CControl*) {
    listener.onChange = nullptr;
    frame->removeView(kick);
  };
  window->mouseDown(10, 60, kLButton);
  frame->removeView(kick, true);
  EXPECT_EQ(frame->getNbViews(), 1) << "only the probe is left";

  window->mouseMove(60, 10, 0);
  EXPECT_EQ(frame->getMouseOverView(), probe);
  frame->removeView(probe);
  EXPECT_EQ(frame->getMouseOverView(), nullptr);
  window->mouseMove(61, 10, 0);
  window->send({platform::WindowEventType::MouseLeave});
  EXPECT_EQ(log.size(), 1u) << "only the first enter reached the probe";
}

TEST_F(Frame, KeysGoToTheTouchedControlAndTabMovesTheFocus) {
  openFrame();
  auto* a = new CKnob(CRect(0, 0, 40, 40), &listener, 1, nullptr);
  auto* b = new CKnob(CRect(50, 0, 90, 40), &listener, 2, nullptr);
  frame->addView(a);
  frame->addView(b);
  platform::KeyCode up{0, kVirtualKeyUp, 0};
  EXPECT_FALSE(window->key(platform::WindowEventType::KeyDown, up).consumed) << "no focus yet";
  window->mouseDown(20, 20, kLButton);
  window->mouseUp(20, 20, 0);
  EXPECT_TRUE(window->key(platform::WindowEventType::KeyDown, up).consumed);
  EXPECT_FLOAT_EQ(a->getValue(), 0.1f);
  platform::KeyCode tab{0, kVirtualKeyTab, 0};
  EXPECT_TRUE(window->key(platform::WindowEventType::KeyDown, tab).consumed);
  EXPECT_EQ(frame->getFocusView(), b);
  window->key(platform::WindowEventType::KeyDown, platform::KeyCode{0, kVirtualKeyUp, platform::kKeyShift});
  EXPECT_FLOAT_EQ(b->getValue(), 0.01f);
}

// A view that takes drops when told to, and keeps what reached it.
struct DropView : CView {
  explicit DropView(const CRect& r) : CView(r) {}
  bool onDrop(CDragContainer* drag, const CPoint& where) override {
    files.clear();
    for (int i = 0; i < drag->getCount(); ++i) files.push_back(drag->getFile(i));
    at = where;
    ++drops;
    return accepts;
  }
  bool accepts = true;
  std::vector<std::string> files;
  CPoint at;
  int drops = 0;
};

TEST_F(Frame, ADropIsAcceptedOnlyWhereAViewTakesItAndTheTargetGoesWithTheWindow) {
  openFrame();
  EXPECT_TRUE(window->isDropTarget());
  auto* taker = new DropView(CRect(0, 0, 40, 40));
  auto* plain = new CView(CRect(50, 0, 90, 40));
  auto* box = new CViewContainer(CRect(100, 0, 160, 60), frame);
  auto* inner = new DropView(CRect(10, 10, 30, 30));
  box->addView(inner);
  frame->addView(taker);
  frame->addView(plain);
  frame->addView(box);
  auto drop = [this](int x, int y) {
    platform::WindowEvent event;
    event.type = platform::WindowEventType::Drop;
    event.x = x;
    event.y = y;
    event.files = {"/nonexistent/shortcut.lnk", "C:\\presets\\Warm.tsqp"};
    return window->send(event).acceptDrop;
  };

  EXPECT_TRUE(drop(10, 12)) << "a view that takes drops";
  EXPECT_EQ(taker->files, (std::vector<std::string>{"/nonexistent/shortcut.lnk", "C:\\presets\\Warm.tsqp"}))
      << "the names as the system gave them: nothing resolved or opened";
  EXPECT_EQ(taker->at, CPoint(10, 12));
  EXPECT_TRUE(drop(115, 25)) << "the deepest view under the pointer";
  EXPECT_EQ(inner->at, CPoint(15, 25)) << "in its own parent's coordinates";
  taker->accepts = false;
  EXPECT_FALSE(drop(10, 12)) << "the view's refusal is the answer";
  EXPECT_EQ(taker->drops, 2);
  EXPECT_FALSE(drop(60, 10)) << "a view without a drop handler declines";
  EXPECT_FALSE(drop(190, 90)) << "over the background nothing takes it";
  EXPECT_EQ(inner->drops, 1);

  window->send({platform::WindowEventType::Destroy});
  EXPECT_FALSE(frame->isWindowOpen());
  EXPECT_FALSE(window->isDropTarget());
  frame->idle();  // no window: nothing to do, nothing to crash
}

TEST_F(Frame, AWindowTheSystemRefusesLeavesTheFrameClosed) {
  windows.failNextWindow = true;
  openFrame();
  EXPECT_FALSE(frame->isWindowOpen());
  EXPECT_EQ(frame->getSystemWindow(), nullptr);
  frame->idle();
}

}  // namespace
}  // namespace sorvane
