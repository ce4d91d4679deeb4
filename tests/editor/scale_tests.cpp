// The editor's size as a host meets it: the rectangle at every size, the
// three sources of the size, the host's factor and bad ones, the scale
// positions at other sizes, and an open panel that changes size (the host
// agreeing, refusing, or closing the editor meanwhile; never inside an event
// or a modal call).
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

#include "editor/cmyanimknob.h"
#include "gui/controls/coptionmenu.h"
#include "gui/draw/scaling.h"
#include "tests/editor/editor_fixture.h"

namespace sorvane::test {
namespace {

using Source = editor::AEffGUIEditor::ScaleSource;

template <class Product>
class EditorScale : public EditorTest<Product> {
 protected:
  VstIntPtr hostFactor(float factor, VstInt32 index = 0x50726553, VstIntPtr value = 0x41654373) {
    return this->dispatch(effVendorSpecific, index, value, nullptr, factor);
  }
  // The window sizes the editor asked the host for.
  static std::vector<CPoint> sizeRequests() {
    std::vector<CPoint> sizes;
    for (const HostCall& call : EditorHost::calls)
      if (call.opcode == audioMasterSizeWindow) sizes.emplace_back(call.index, static_cast<int>(call.value));
    return sizes;
  }
  // A click at the window pixel in the middle of a panel rectangle's window pixels.
  void clickAtScale(const CRect& panel, int percent) {
    const CRect w = scaleToWindow(panel, percent);
    this->click(CPoint((w.left + w.right) / 2, (w.top + w.bottom) / 2));
  }
};
TYPED_TEST_SUITE(EditorScale, Products);

TYPED_TEST(EditorScale, TheHostSeesTheWindowSizeOfEverySizeAndTheWindowOpensAtIt) {
  EXPECT_EQ(this->rectSize(), CPoint(this->layout().width, 267)) << "100 % until anyone says otherwise";
  for (int percent : kEditorScales) {
    this->editor->setScale(Source::User, percent);
    EXPECT_EQ(this->rectSize(), this->panelAt(percent)) << percent;
    ASSERT_TRUE(this->open());
    EXPECT_EQ(this->windowSize(), this->panelAt(percent)) << percent;
    EXPECT_EQ(this->editor->getFrame()->getViewSize(), CRect(0, 0, this->layout().width, 267));
    EXPECT_EQ(this->rectSize(), this->panelAt(percent));
    this->close();
  }
  EXPECT_EQ(this->panelAt(300), CPoint(3 * this->layout().width, 801));
  EXPECT_EQ(this->panelAt(175).y, 467);
  EXPECT_TRUE(this->sizeRequests().empty()) << "a closed editor asks the host for nothing";
}

TYPED_TEST(EditorScale, TheUsersChoiceComesBeforeTheHostsAndTheHostsBeforeTheSystems) {
  auto* e = this->editor;
  EXPECT_EQ(e->getScale(), 100);
  e->setScale(Source::System, 150);
  EXPECT_EQ(e->getScale(), 150);
  e->setScale(Source::Host, 200);
  EXPECT_EQ(e->getScale(), 200);
  e->setScale(Source::User, 125);
  EXPECT_EQ(e->getScale(), 125);
  e->setScale(Source::User, 130);
  EXPECT_EQ(e->getScale(Source::User), 125) << "a size between two snaps to the nearer";
  for (int bad : {-100, -1, 100000, std::numeric_limits<int>::min()}) {
    e->setScale(Source::User, bad);
    EXPECT_EQ(e->getScale(Source::User), 125) << bad << " is ignored";
  }
  e->setScale(Source::User, 0);
  EXPECT_EQ(e->getScale(), 200) << "cleared: the host's";
  e->setScale(Source::Host, 0);
  EXPECT_EQ(e->getScale(), 150) << "the system's";
  e->setScale(Source::System, 0);
  EXPECT_EQ(e->getScale(), 100);
  e->setScale(static_cast<Source>(7), 200);
  EXPECT_EQ(e->getScale(), 100) << "no such source";
}

TYPED_TEST(EditorScale, TheHostsFactorComesThroughVendorSpecificAndABadFactorChangesNothing) {
  char canDo[] = "supportsViewDpiScaling";
  EXPECT_EQ(this->dispatch(effCanDo, 0, 0, canDo), 1);
  char other[] = "supportsViewDpiScalingNot";
  EXPECT_EQ(this->dispatch(effCanDo, 0, 0, other), 0);

  EXPECT_EQ(this->hostFactor(2.0f), 1);
  EXPECT_EQ(this->editor->getScale(Source::Host), 200);
  EXPECT_EQ(this->rectSize(), this->panelAt(200));
  EXPECT_EQ(this->hostFactor(1.3f), 1);
  EXPECT_EQ(this->editor->getScale(), 125) << "snapped to the nearest size";
  for (float bad : {0.0f, -1.0f, 9.0f, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                    -std::numeric_limits<float>::infinity(), std::numeric_limits<float>::max()}) {
    EXPECT_EQ(this->hostFactor(bad), 0) << bad;
    EXPECT_EQ(this->editor->getScale(), 125) << bad << " leaves the size as it was";
  }
  EXPECT_EQ(this->hostFactor(2.0f, 0x50726554), 0) << "another vendor's call";
  EXPECT_EQ(this->hostFactor(2.0f, 0x50726553, 0x41654374), 0);
  EXPECT_EQ(this->editor->getScale(), 125);
  this->editor->setScale(Source::User, 300);
  EXPECT_EQ(this->hostFactor(2.0f), 1);
  EXPECT_EQ(this->editor->getScale(), 300) << "the user's choice still comes first";

  this->editor->setScale(Source::User, 0);
  ASSERT_TRUE(this->open());
  EXPECT_EQ(this->windowSize(), this->panelAt(200)) << "the host's factor sent before opening";
}

TYPED_TEST(EditorScale, AClickOnEachScalePositionsCentreGivesTheSameStepAtEverySize) {
  for (int percent : {100, 150, 200}) {
    this->editor->setScale(Source::User, percent);
    ASSERT_TRUE(this->open());
    for (const editor::ParameterControl& c : this->layout().controls) {
      if (c.kind != editor::ControlKind::SteppedKnob) continue;
      auto* knob = static_cast<editor::CMyAnimKnob*>(this->editor->parameterControl(c.tag));
      const int n = static_cast<int>(c.zones.size());
      for (int i = 0; i < n; ++i) {
        this->clickAtScale(c.zones[i], percent);
        EXPECT_EQ(knob->getValue(), knob->zoneValue(i)) << c.bitmap << " zone " << i << " at " << percent << " %";
        EXPECT_EQ(knob->frameIndex(), i) << c.bitmap << " zone " << i << " at " << percent << " %";
      }
    }
    this->close();
  }
}

TYPED_TEST(EditorScale, AnOpenPanelTakesANewSizeAtTheNextIdleWhenTheHostAgrees) {
  ASSERT_TRUE(this->open());
  this->editor->setScale(Source::User, 200);
  EXPECT_EQ(this->windowSize(), this->panelAt(100)) << "nothing happens before the idle";
  EXPECT_TRUE(this->sizeRequests().empty());
  this->idle();
  EXPECT_EQ(this->sizeRequests(), (std::vector<CPoint>{this->panelAt(200)}));
  EXPECT_EQ(this->windowSize(), this->panelAt(200));
  EXPECT_EQ(this->editor->getShownScale(), 200);
  EXPECT_EQ(this->rectSize(), this->panelAt(200));
  EXPECT_TRUE(this->ui.messages.shown.empty());
  // The panel works at its new size: a switch is where its window pixels are.
  const editor::ParameterControl& onOff = this->controlOf(0);
  const float before = this->effect->getParameter(0);
  this->clickAtScale(onOff.rect, 200);
  EXPECT_NE(this->effect->getParameter(0), before);
  this->idle();
  this->idle();
  EXPECT_EQ(this->sizeRequests().size(), 1u) << "asked once";
}

TYPED_TEST(EditorScale, AHostThatRefusesGetsTheNewSizeAtTheNextOpeningAndTheUserOneMessage) {
  EditorHost::sizeWindowAnswer = 0;
  ASSERT_TRUE(this->open());
  this->editor->setScale(Source::User, 150);
  this->idle();
  this->idle();
  this->idle();
  EXPECT_EQ(this->sizeRequests(), (std::vector<CPoint>{this->panelAt(150)})) << "asked once, not at every idle";
  EXPECT_EQ(this->windowSize(), this->panelAt(100));
  EXPECT_EQ(this->editor->getShownScale(), 100);
  EXPECT_EQ(this->rectSize(), this->panelAt(100)) << "the window the host has";
  ASSERT_EQ(this->ui.messages.shown.size(), 1u);
  EXPECT_NE(this->ui.messages.shown[0].text.find("150 %"), std::string::npos) << this->ui.messages.shown[0].text;
  EXPECT_EQ(this->ui.messages.shown[0].buttons, platform::MessageButtons::Ok);

  this->close();
  EXPECT_EQ(this->rectSize(), this->panelAt(150));
  EditorHost::calls.clear();
  ASSERT_TRUE(this->open());
  EXPECT_EQ(this->windowSize(), this->panelAt(150)) << "the next opening is at the new size";
  this->idle();
  EXPECT_TRUE(this->sizeRequests().empty());
  EXPECT_EQ(this->ui.messages.shown.size(), 1u);
}

TYPED_TEST(EditorScale, ANewSizeWaitsWhileAModalCallOrAnEventOfThePanelRuns) {
  ASSERT_TRUE(this->open());
  // Inside a pop-up of the panel, the host idles us: the menu's opener
  // still holds the tree.
  this->ui.menus.whileOpen = [this] {
    this->editor->setScale(Source::User, 200);
    this->idle();
    EXPECT_TRUE(this->sizeRequests().empty()) << "during the menu";
  };
  this->click(TestFixture::centre(this->layout().fileMenu));
  ASSERT_EQ(this->ui.menus.shown.size(), 1u);
  this->ui.menus.whileOpen = nullptr;
  this->idle();
  EXPECT_EQ(this->sizeRequests().size(), 1u) << "at the idle after it";
  EXPECT_EQ(this->windowSize(), this->panelAt(200));

  // A switch runs the idle pump from its press: not a place to resize.
  this->editor->setScale(Source::User, 100);
  this->ui.clock.advance(200);
  this->clickAtScale(this->controlOf(0).rect, 200);
  EXPECT_EQ(this->sizeRequests().size(), 1u) << "not inside the click";
  EXPECT_EQ(this->editor->getShownScale(), 200);
  this->idle();
  EXPECT_EQ(this->sizeRequests().size(), 2u);
  EXPECT_EQ(this->windowSize(), this->panelAt(100));
}

TYPED_TEST(EditorScale, AWindowThatCannotFollowOrAHostThatClosesTheEditorMeanwhileLeavesThePanelWhole) {
  ASSERT_TRUE(this->open());
  this->window->failNextResize = true;
  this->editor->setScale(Source::User, 250);
  this->idle();
  EXPECT_EQ(this->sizeRequests(), (std::vector<CPoint>{this->panelAt(250), this->panelAt(100)}))
      << "the host's window goes back to ours";
  EXPECT_EQ(this->windowSize(), this->panelAt(100));
  EXPECT_EQ(this->ui.messages.shown.size(), 1u);

  this->editor->setScale(Source::User, 175);
  EditorHost::whileSizing = [this] { this->dispatch(effEditClose); };
  this->idle();
  EXPECT_EQ(this->editor->getFrame(), nullptr);
  EXPECT_EQ(this->ui.windows.liveWindows(), 0);
  EditorHost::whileSizing = nullptr;
  EXPECT_EQ(this->rectSize(), this->panelAt(175));
  ASSERT_TRUE(this->open());
  EXPECT_EQ(this->windowSize(), this->panelAt(175));
}

TYPED_TEST(EditorScale, AKnobDragGoesOnAcrossAChangeOfSize) {
  ASSERT_TRUE(this->open());
  const CRect r = this->controlOf(TypeParam::kOutputIndex).rect;
  const CPoint mid = TestFixture::centre(r);
  this->window->mouseDown(mid.x, mid.y, kLButton);
  for (int y = mid.y - 1; y >= mid.y - 10; --y) this->window->mouseMove(mid.x, y, kLButton);
  EXPECT_FLOAT_EQ(this->effect->getParameter(TypeParam::kOutputIndex), 0.55f);
  this->editor->setScale(Source::User, 200);
  this->idle();
  ASSERT_EQ(this->windowSize(), this->panelAt(200));
  // The pointer is where it was; the window's pixels under it are twice as many.
  const CPoint at = scaleToWindow(CPoint(mid.x, mid.y - 10), 200);
  for (int y = at.y - 1; y >= at.y - 20; --y) this->window->mouseMove(at.x, y, kLButton);
  this->window->mouseUp(at.x, at.y - 20, 0);
  EXPECT_FLOAT_EQ(this->effect->getParameter(TypeParam::kOutputIndex), 0.6f) << "20 window pixels are 10 panel pixels";
  const auto log = EditorHost::log();
  EXPECT_EQ(std::count(log.begin(), log.end(), "begin " + std::to_string(TypeParam::kOutputIndex)), 1);
  EXPECT_EQ(std::count(log.begin(), log.end(), "end " + std::to_string(TypeParam::kOutputIndex)), 1);
}

}  // namespace
}  // namespace sorvane::test
