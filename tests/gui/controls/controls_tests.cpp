// Buttons, text displays, the option menu and the splash screen, driven
// through the frame as a user drives them; and every control kind fed
// values no host should send.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "gui/controls/cbuttons.h"
#include "gui/controls/cknob.h"
#include "gui/controls/coptionmenu.h"
#include "gui/controls/cparamdisplay.h"
#include "gui/controls/csplashscreen.h"
#include "gui/draw/cfontdesc.h"
#include "tests/gui/toolkit_fixture.h"

namespace sorvane {
namespace {

using Entry = platform::PopupMenuEntry;

class Controls : public test::ToolkitTest {};

TEST_F(Controls, ASwitchFlipsOnALeftClickOnlyAndReportsAtOnce) {
  openFrame();
  auto* strip = test::makeStrip(20, 10, 2);
  auto* button = new COnOffButton(CRect(10, 10, 30, 20), &listener, 5, strip);
  strip->forget();
  frame->addView(button);
  std::vector<int> idlesAtReport;
  listener.onChange = [&](CControl*) { idlesAtReport.push_back(editor.idles); };
  window->mouseDown(15, 15, kRButton);
  EXPECT_TRUE(listener.reports.empty());
  window->mouseDown(15, 15, kLButton);
  EXPECT_EQ(listener.values(), (std::vector<float>{1.0f}));
  EXPECT_EQ(idlesAtReport, (std::vector<int>{1})) << "the idle work runs before the report";
  EXPECT_EQ(editor.idles, 1);
  EXPECT_EQ(editor.calls, (std::vector<std::string>{"begin 5", "end 5"}));
  window->update();
  EXPECT_EQ(pixel(15, 15), bgr(test::frameColour(1)));
  window->mouseDown(15, 15, kLButton);
  EXPECT_EQ(listener.values(), (std::vector<float>{1.0f, 0.0f}));

  auto* early = new COnOffButton(CRect(40, 10, 60, 20), &listener, 9, nullptr, kPreListenerUpdate);
  frame->addView(early);
  idlesAtReport.clear();
  const int idlesBefore = editor.idles;
  window->mouseDown(45, 15, kLButton);
  EXPECT_EQ(idlesAtReport, (std::vector<int>{idlesBefore})) << "the other style reports before the idle work";
  EXPECT_EQ(editor.idles, idlesBefore + 1);
}

TEST_F(Controls, APushButtonReportsOnReleaseInsideTwiceAndOutsideOnce) {
  openFrame();
  auto* strip = test::makeStrip(20, 10, 2);
  auto* button = new CKickButton(CRect(10, 10, 30, 20), &listener, 6, 10, strip);
  strip->forget();
  frame->addView(button);
  window->mouseDown(15, 15, kLButton);
  EXPECT_TRUE(listener.reports.empty()) << "nothing while held";
  frame->idle();
  EXPECT_EQ(pixel(15, 15), bgr(test::frameColour(1))) << "pressed frame while held inside";
  window->mouseUp(15, 15, 0);
  EXPECT_EQ(listener.values(), (std::vector<float>{1.0f, 0.0f}));

  listener.reports.clear();
  window->mouseDown(29, 19, kLButton);
  window->mouseMove(80, 80, kLButton);
  frame->idle();
  EXPECT_EQ(pixel(15, 15), bgr(test::frameColour(0))) << "released look while outside";
  window->mouseUp(80, 80, 0);
  EXPECT_EQ(listener.values(), (std::vector<float>{0.0f}));
}

TEST_F(Controls, ALabelDrawsItsTextAndTheNoTextStyleDrawsNone) {
  openFrame(120, 40);
  frame->setBackgroundColor(kWhiteCColor);
  auto* label = new CTextLabel(CRect(0, 0, 120, 20), "Mixing & Co");
  label->setTransparency(true);
  label->setFontColor(kBlackCColor);
  auto* silent = new CTextLabel(CRect(0, 20, 120, 40), "Mixing & Co", nullptr, kNoTextStyle);
  silent->setTransparency(true);
  silent->setFontColor(kBlackCColor);
  frame->addView(label);
  frame->addView(silent);
  window->paintAll();
  auto inked = [this](int top) {
    int count = 0;
    for (int y = top; y < top + 20; ++y)
      for (int x = 0; x < 120; ++x) count += pixel(x, y)[0] < 128 ? 1 : 0;
    return count;
  };
  // The headless window draws through the software back end, which draws
  // no text in a build without FreeType (the Windows one).
  auto probe = platform::createMemoryPixelBuffer(40, 20);
  CDrawContext probeContext(platform::createSoftwareDevice(*probe));
  probeContext.drawString("Hg", CRect(0, 0, 40, 20));
  bool softwareText = false;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 40; ++x) softwareText |= probe->row(y)[x * 4 + 3] != 0 && probe->row(y)[x * 4] != 0;
  if (!softwareText) GTEST_SKIP() << "this build's software back end draws no text";
  EXPECT_GT(inked(0), 30);
  EXPECT_EQ(inked(20), 0);
}

class Menu : public test::ToolkitTest {
 protected:
  COptionMenu* makeMenu(std::int32_t style = kCheckStyle) {
    openFrame();
    auto* menu = new COptionMenu(CRect(10, 50, 60, 70), &listener, 20, nullptr, nullptr, style);
    frame->addView(menu);
    return menu;
  }
  const platform::PopupMenu& shownMenu() const { return menus.shown.back().menu; }
};

TEST_F(Menu, EntriesSeparatorsAndSubMenusShareOneRunningCommandNumber) {
  COptionMenu* menu = makeMenu();
  auto* sub = new COptionMenu(CRect(10, 50, 60, 70), &listener, 20, nullptr, nullptr, kCheckStyle);
  sub->addItem("Deep");
  sub->addItem("Deeper");
  menu->addEntry(sub, "Folder");
  menu->addEntry("First");
  menu->addEntry("-");
  menu->addItem("-");
  menu->addItem("Rock & Roll");
  EXPECT_EQ(menu->getNbEntries(), 5);
  EXPECT_TRUE(menu->getEntry(2)->isSeparator());
  EXPECT_FALSE(menu->getEntry(3)->isSeparator()) << "a title from data is never a separator";
  EXPECT_EQ(menu->getSubMenu(0), sub);
  EXPECT_EQ(menu->getSubMenu(1), nullptr);

  menus.choose({"Folder", "Deeper"});
  window->mouseDown(20, 60, kLButton);
  const platform::PopupMenu& shown = shownMenu();
  ASSERT_EQ(shown.entries.size(), 5u);
  EXPECT_EQ(shown.entries[0].kind, Entry::Submenu);
  EXPECT_EQ(shown.entries[0].submenu[0].command, 1);
  EXPECT_EQ(shown.entries[0].submenu[1].command, 2);
  EXPECT_EQ(shown.entries[1].command, 3);
  EXPECT_EQ(shown.entries[2].kind, Entry::Separator);
  EXPECT_EQ(shown.entries[3].title, "-");
  EXPECT_EQ(shown.entries[3].command, 4);
  EXPECT_EQ(shown.entries[4].title, "Rock & Roll") << "an ampersand is shown as itself";
  EXPECT_EQ(menus.shown.back().x, 100 + 10) << "opens at the left edge";
  EXPECT_EQ(menus.shown.back().y, 100 + 70) << "below the control";

  ASSERT_EQ(listener.reports.size(), 1u);
  EXPECT_EQ(listener.reports[0].control, sub) << "the choice is reported through the sub-menu";
  EXPECT_EQ(listener.reports[0].tag, 20);
  int index = -1;
  EXPECT_EQ(menu->getLastItemMenu(index), sub);
  EXPECT_EQ(index, 1);
  EXPECT_EQ(sub->getCurrentIndex(), 1);
  EXPECT_EQ(menu->getCurrentIndex(), -1) << "the top menu keeps its own selection";
  EXPECT_EQ(frame->getFocusView(), nullptr);
  EXPECT_EQ(editor.calls, (std::vector<std::string>{"begin 20", "end 20"}));
}

TEST_F(Menu, DismissingChangesNothingAndTheRightButtonOpensTooWhenAllowed) {
  COptionMenu* menu = makeMenu();
  menu->addEntry("A");
  menu->addEntry("B");
  menu->setValue(1);
  menus.dismiss();
  window->mouseDown(20, 60, kRButton);
  EXPECT_TRUE(listener.reports.empty());
  EXPECT_TRUE(menus.shown.back().acceptRightButton);
  EXPECT_EQ(menu->getCurrentIndex(), 1);
  window->mouseDown(20, 60, kMButton);
  EXPECT_EQ(menus.shown.size(), 1u) << "the middle button does not open it";
}

TEST_F(Menu, CheckMarksFollowTheStyleAndCheckEntryAloneLeavesOne) {
  COptionMenu* menu = makeMenu(kCheckStyle);
  for (const char* t : {"A", "B", "C"}) menu->addEntry(t);
  menu->checkEntry(0, true);
  menu->checkEntryAlone(2);
  EXPECT_FALSE(menu->isCheckEntry(0));
  EXPECT_TRUE(menu->isCheckEntry(2));
  menu->checkEntry(1, true);
  menu->setValue(2);
  EXPECT_TRUE(menu->popup() == false);
  const auto& e = shownMenu().entries;
  EXPECT_FALSE(e[1].checked) << "check style: only the current entry shows its mark";
  EXPECT_TRUE(e[2].checked);

  COptionMenu* multi = new COptionMenu(CRect(0, 0, 10, 10), &listener, 21, nullptr, nullptr, kMultipleCheckStyle);
  frame->addView(multi);
  multi->addEntry("X");
  multi->addEntry("Y");
  multi->setValue(0);
  multi->setValue(1);
  multi->setValue(1);
  EXPECT_TRUE(multi->isCheckEntry(0));
  EXPECT_FALSE(multi->isCheckEntry(1)) << "multiple check style toggles";
}

TEST_F(Menu, ValuesOutsideTheEntriesAreIgnored) {
  COptionMenu* menu = makeMenu();
  for (int i = 0; i < 12; ++i) menu->addEntry(std::to_string(i).c_str());
  menu->setValue(3);
  for (float bad :
       {12.0f, -0.5f, 1e30f, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
    menu->setValue(bad);
    EXPECT_EQ(menu->getCurrentIndex(), 3) << bad;
  }
  menu->setValue(11.9f);
  EXPECT_EQ(menu->getCurrentIndex(), 11);
}

TEST_F(Menu, PrefixNumbersAndColumnsShapeTheShownTitles) {
  COptionMenu* menu = makeMenu(0);
  for (const char* t : {"a", "b", "c", "d", "e"}) menu->addEntry(t);
  menu->setPrefixNumbers(3);
  menu->setNbItemsPerColumn(2);
  menu->popup();
  const auto& e = shownMenu().entries;
  EXPECT_EQ(e[0].title, "01 a");
  EXPECT_EQ(e[4].title, "05 e");
  EXPECT_FALSE(e[0].columnBreak);
  EXPECT_FALSE(e[1].columnBreak);
  EXPECT_TRUE(e[2].columnBreak);
  EXPECT_TRUE(e[4].columnBreak);
}

TEST_F(Menu, ClosingTheEditorWhileItsMenuIsOpenLeavesNothingBehind) {
  COptionMenu* menu = makeMenu();
  menu->addEntry("A");
  menus.choose({"A"});
  platform::HeadlessWindow* w = window;
  menus.whileOpen = [this] { closeFrame(); };
  w->mouseDown(20, 60, kLButton);
  EXPECT_EQ(listener.reports.size(), 1u) << "the choice still reaches the listener, which checks its frame";
  EXPECT_EQ(windows.liveWindows(), 0);
}

TEST_F(Menu, AChoiceCountsOnlyWhileTheMenusAreAsThePopUpShowedThem) {
  COptionMenu* menu = makeMenu();
  auto* sub = new COptionMenu(CRect(10, 50, 60, 70), &listener, 20, nullptr, nullptr, kCheckStyle);
  sub->addItem("Deep");
  sub->addItem("Deeper");
  menu->addEntry(sub, "Folder");
  menu->addEntry("First");
  menu->addEntry("Second");

  // The sub-menu refilled meanwhile: index 1 is another entry now.
  menus.whileOpen = [sub] {
    sub->removeAllEntry();
    sub->addItem("Other");
    sub->addItem("Another");
  };
  menus.choose({"Folder", "Deeper"});
  window->mouseDown(20, 60, kLButton);
  EXPECT_TRUE(listener.reports.empty());
  EXPECT_EQ(sub->getCurrentIndex(), -1);

  // The whole tree rebuilt meanwhile: the old sub-menu is gone and the
  // entry that was "First" is "Second" now.
  menus.whileOpen = [this, menu] {
    menu->removeAllEntry();
    auto* fresh = new COptionMenu(CRect(10, 50, 60, 70), &listener, 20, nullptr, nullptr, kCheckStyle);
    fresh->addItem("New");
    menu->addEntry(fresh, "Folder");
    menu->addEntry("Second");
    menu->addEntry("Third");
  };
  menus.choose({"First"});
  window->mouseDown(20, 60, kLButton);
  menus.choose({"Folder", "Another"});
  window->mouseDown(20, 60, kLButton);
  EXPECT_TRUE(listener.reports.empty());
  int index = -1;
  EXPECT_EQ(menu->getLastItemMenu(index), nullptr);

  // An entry disabled meanwhile, or the menu taken out of the frame.
  menus.whileOpen = [menu] { menu->getEntry(1)->setEnabled(false); };
  menus.choose({"Second"});
  window->mouseDown(20, 60, kLButton);
  menu->getEntry(1)->setEnabled(true);
  menus.whileOpen = [this, menu] { frame->removeView(menu, false); };
  menus.choose({"Second"});
  window->mouseDown(20, 60, kLButton);
  EXPECT_TRUE(listener.reports.empty());
  frame->addView(menu);

  // Nothing changed but the values: the choice counts.
  menus.whileOpen = [menu] { menu->setValue(2); };
  menus.choose({"Second"});
  window->mouseDown(20, 60, kLButton);
  ASSERT_EQ(listener.reports.size(), 1u);
  EXPECT_EQ(menu->getCurrentIndex(), 1);
}

TEST_F(Controls, TheSplashScreenShowsItsViewAsModalAndUnsplashHidesIt) {
  openFrame();
  auto* about = new CViewContainer(CRect(20, 20, 80, 80), frame);
  auto* splash = new CSplashScreen(CRect(0, 0, 10, 10), &listener, 24, about);
  frame->addView(splash);
  window->mouseDown(5, 5, kRButton);
  EXPECT_EQ(frame->getModalView(), nullptr);
  window->mouseDown(5, 5, kLButton);
  EXPECT_EQ(frame->getModalView(), about);
  EXPECT_EQ(listener.values(), (std::vector<float>{1.0f}));
  splash->unSplash();
  EXPECT_EQ(frame->getModalView(), nullptr);
  window->mouseDown(5, 5, kLButton);
  EXPECT_EQ(frame->getModalView(), about) << "shown again";
  // Closing with the splash shown: the frame gives the view back, the splash screen releases it.
}

TEST_F(Controls, EveryControlKindDrawsValuesNoHostShouldSend) {
  openFrame(200, 60);
  auto* strip = test::makeStrip(20, 20, 3);
  std::vector<CControl*> controls{
      new CKnob(CRect(0, 0, 20, 20), &listener, 1, strip),
      new CAnimKnob(CRect(20, 0, 40, 20), &listener, 2, strip),
      new COnOffButton(CRect(40, 0, 60, 20), &listener, 3, strip),
      new CKickButton(CRect(60, 0, 80, 20), &listener, 4, 20, strip),
      new CParamDisplay(CRect(80, 0, 120, 20)),
      new CTextLabel(CRect(120, 0, 160, 20), "x"),
      new COptionMenu(CRect(160, 0, 200, 20), &listener, 7, strip, strip, kCheckStyle),
      new CSplashScreen(CRect(0, 20, 20, 40), &listener, 8, new CView(CRect(0, 0, 5, 5))),
  };
  strip->forget();
  static_cast<COptionMenu*>(controls[6])->addEntry("only");
  for (CControl* c : controls) frame->addView(c);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (float v : {nan, -1.0f, 1e30f, -1e30f, std::numeric_limits<float>::infinity()}) {
    for (CControl* c : controls) c->setValue(v);
    frame->idle();
    window->paintAll();
    for (CControl* c : controls) EXPECT_FALSE(c->isDirty()) << c->getTag() << " at " << v;
  }
}

}  // namespace
}  // namespace sorvane
