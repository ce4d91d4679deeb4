// Both products' editors in a real Windows window, driven with the system's
// own messages: the window the host gets, gestures reaching the host in
// order, the wheel kept from the host, what the system shows against the
// headless render, the pop-up menus, and opening and closing many times or
// after the host's window is gone.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "editor/cmyanimknob.h"
#include "gui/controls/ctextedit.h"
#include "plugin/units.h"
#include "tests/editor/golden.h"
#include "tests/window/win32_fixture.h"

namespace sorvane::test {
namespace {

namespace probe = hostkit::win32probe;
using platform::kButtonLeft;
using platform::kButtonRight;
using platform::kModifierControl;

template <class Product>
class Win32Editor : public Win32EditorTest<Product> {};
TYPED_TEST_SUITE(Win32Editor, Products);

TYPED_TEST(Win32Editor, IsAChildWindowOfTheModulesClassWithTheFrameInItsUserData) {
  ASSERT_TRUE(this->open());
  ASSERT_EQ(this->host->childWindowCount(), 1);
  probe::WindowFacts facts;
  ASSERT_TRUE(probe::describeWindow(this->editorWindow(), facts));
  void* module = probe::moduleOf(reinterpret_cast<const void*>(&probe::describeWindow));
  EXPECT_EQ(facts.className, probe::editorClassName(module));
  EXPECT_EQ(facts.title, "Window");
  EXPECT_EQ(facts.parent, this->host->handle());
  EXPECT_EQ(facts.x, 0);
  EXPECT_EQ(facts.y, 0);
  EXPECT_EQ(facts.width, this->layout().width);
  EXPECT_EQ(facts.height, this->layout().height);
  EXPECT_TRUE(facts.child && facts.visible && facts.clipChildren && facts.clipSiblings);
  EXPECT_EQ(facts.composited, probe::systemMajorVersion() >= 6);
  EXPECT_TRUE(facts.doubleClicks && facts.globalClass && facts.arrowCursor);
  EXPECT_FALSE(facts.backgroundBrush) << "the frame paints every pixel itself";
  EXPECT_EQ(facts.userData, static_cast<platform::WindowClient*>(this->editor->getFrame()));

  this->close();
  EXPECT_EQ(this->host->childWindowCount(), 0);
  EXPECT_FALSE(probe::classRegistered(module, facts.className)) << "the last window takes its class along";
}

TYPED_TEST(Win32Editor, AHundredPixelDragOnOutputReachesOneWithOneAutomationPerChangeInOrder) {
  ASSERT_TRUE(this->open());
  const int output = TypeParam::kOutputIndex;
  const CPoint start = TestFixture::centre(this->controlOf(output).rect);
  this->host->mouseDown(start.x, start.y, kButtonLeft);
  EXPECT_EQ(probe::mouseCaptureWindow(), this->editorWindow()) << "the drag holds the mouse";
  for (int i = 1; i <= 100; ++i) this->host->mouseMove(start.x, start.y - i, kButtonLeft);
  this->host->mouseUp(start.x, start.y - 100, kButtonLeft);
  EXPECT_EQ(probe::mouseCaptureWindow(), nullptr) << "released with the button";
  EXPECT_EQ(this->effect->getParameter(output), 1.0f);
  const auto log = EditorHost::log();
  ASSERT_EQ(log.size(), 102u);
  EXPECT_EQ(log.front(), "begin " + std::to_string(output));
  EXPECT_EQ(log[1], "automate " + std::to_string(output) + " 0.505");
  EXPECT_EQ(log[100], "automate " + std::to_string(output) + " 1");
  EXPECT_EQ(log.back(), "end " + std::to_string(output));
}

TYPED_TEST(Win32Editor, ALostCaptureEndsTheDragAsAMouseUpWould) {
  ASSERT_TRUE(this->open());
  const int output = TypeParam::kOutputIndex;
  const CPoint start = TestFixture::centre(this->controlOf(output).rect);
  this->host->mouseDown(start.x, start.y, kButtonLeft);
  for (int i = 1; i <= 10; ++i) this->host->mouseMove(start.x, start.y - i, kButtonLeft);
  // Another window takes the mouse in the middle of the press.
  probe::takeMouseCapture(this->host->handle());
  const float reached = this->effect->getParameter(output);
  EXPECT_EQ(EditorHost::log().back(), "end " + std::to_string(output)) << "the host sees the gesture end";
  // What the system still delivers to the editor is a plain move, no drag.
  this->host->mouseMove(start.x, start.y - 50, kButtonLeft);
  EXPECT_EQ(this->effect->getParameter(output), reached);
}

// A right press during a drag, and the two buttons released in either
// order: the host hears the drag end at the press and nothing after it, and
// the window keeps the mouse until the last button is up, so that button's
// moves and its release outside the window still come to the editor.
TYPED_TEST(Win32Editor, ASecondButtonEndsADragAtOnceAndTheMouseStaysUntilTheLastButtonIsUp) {
  ASSERT_TRUE(this->open());
  const int output = TypeParam::kOutputIndex;
  const std::string tag = std::to_string(output);
  const CPoint start = TestFixture::centre(this->controlOf(output).rect);
  for (const bool rightUpFirst : {true, false}) {
    const char* order = rightUpFirst ? "right released first" : "left released first";
    this->effect->setParameterAutomated(output, 0.5f);
    this->pump(150);  // the knob follows at the next idle
    EditorHost::calls.clear();
    this->host->mouseDown(start.x, start.y, kButtonLeft);
    for (int i = 1; i <= 20; ++i) this->host->mouseMove(start.x, start.y - i, kButtonLeft);
    this->host->mouseDown(start.x, start.y - 20, kButtonRight);
    EXPECT_EQ(EditorHost::log().back(), "end " + tag) << order << ": the end comes with the press";
    EXPECT_EQ(probe::mouseCaptureWindow(), this->editorWindow()) << order;

    const int stays = rightUpFirst ? kButtonLeft : kButtonRight;
    this->host->mouseUp(start.x, start.y - 20, rightUpFirst ? kButtonRight : kButtonLeft);
    EXPECT_EQ(probe::mouseCaptureWindow(), this->editorWindow()) << order << ": a button still held keeps the mouse";
    for (int i = 19; i >= 0; --i) this->host->mouseMove(start.x, start.y - i, stays);
    this->host->mouseMove(-30, -30, stays);
    this->host->mouseUp(-30, -30, stays);
    EXPECT_EQ(probe::mouseCaptureWindow(), nullptr) << order << ": released with the last button";

    EXPECT_FLOAT_EQ(this->effect->getParameter(output), 0.6f) << order;
    const auto log = EditorHost::log();
    ASSERT_EQ(log.size(), 22u) << order;
    EXPECT_EQ(log.front(), "begin " + tag) << order;
    EXPECT_EQ(log[20], "automate " + tag + " 0.6") << order;
    EXPECT_EQ(log.back(), "end " + tag) << order;
  }
}

TYPED_TEST(Win32Editor, AScalePositionSetsItsStepAndControlClickResetsAGain) {
  ASSERT_TRUE(this->open());
  const editor::ParameterControl& frequency = this->layout().controls[2];  // a shelf or mid frequency knob
  ASSERT_EQ(frequency.kind, editor::ControlKind::SteppedKnob);
  auto* knob = static_cast<editor::CMyAnimKnob*>(this->editor->parameterControl(frequency.tag));
  this->click(TestFixture::centre(frequency.zones[1]));
  EXPECT_EQ(this->effect->getParameter(frequency.tag), knob->zoneValue(1));

  const editor::ParameterControl* gain = nullptr;
  for (const auto& c : this->layout().controls)
    if (c.kind == editor::ControlKind::Knob && c.tag != TypeParam::kOutputIndex) gain = &c;
  ASSERT_NE(gain, nullptr);
  this->effect->setParameterAutomated(gain->tag, 0.8f);
  this->pump(150);  // the knob follows at the next idle
  EditorHost::calls.clear();
  this->click(TestFixture::centre(gain->rect), kButtonLeft | kModifierControl);
  EXPECT_EQ(this->effect->getParameter(gain->tag), gain->defaultValue);
  const std::string tag = std::to_string(gain->tag);
  EXPECT_EQ(EditorHost::log(), (std::vector<std::string>{"begin " + tag, "automate " + tag + " 0.5", "end " + tag}));
}

// A value typed on the keyboard: a double-click opens the field, the editor's
// window takes the keyboard focus from the window that had it, keys typed
// through the system's input enter the value as one gesture, and the focus
// goes back where it was.
TYPED_TEST(Win32Editor, AValueTypedOnTheKeyboardIsOneGestureAndTheFocusGoesBackWhereItWas) {
  // Windows' virtual keys.
  constexpr int kMinus = 0xBD, kPeriod = 0xBE, kReturn = 0x0D, kEscape = 0x1B, kBackspace = 0x08;
  ASSERT_TRUE(this->open());
  ASSERT_TRUE(probe::giveFocus(this->host->handle()));
  const int output = TypeParam::kOutputIndex;
  const CPoint knob = TestFixture::centre(this->controlOf(output).rect);
  auto openField = [&] {
    this->click(knob);
    this->click(knob, kButtonLeft | platform::kDoubleClick);
    this->pump(40);
    ASSERT_NE(this->editor->valueField(), nullptr);
    EXPECT_EQ(probe::focusWindow(), this->editorWindow()) << "the editor holds the keyboard while the field is open";
    EditorHost::calls.clear();
  };

  openField();
  ASSERT_TRUE(probe::typeKeys({kMinus, '6', kPeriod, '5', kReturn}));
  this->pump(150);
  EXPECT_EQ(this->editor->valueField(), nullptr);
  EXPECT_EQ(this->effect->getParameter(output), *unitsOf<TypeParam>().parse(output, "-6.5"));
  const auto log = EditorHost::log();
  ASSERT_EQ(log.size(), 3u) << ::testing::PrintToString(log);
  EXPECT_EQ(log[0], "begin " + std::to_string(output));
  EXPECT_EQ(log[2], "end " + std::to_string(output));
  EXPECT_EQ(probe::focusWindow(), this->host->handle()) << "the focus went back to the host's window";

  const float before = this->effect->getParameter(output);
  openField();
  ASSERT_TRUE(probe::typeKeys({'9', kBackspace, '1', kEscape}));
  this->pump(150);
  EXPECT_EQ(this->editor->valueField(), nullptr);
  EXPECT_TRUE(EditorHost::calls.empty()) << ::testing::PrintToString(EditorHost::log());
  EXPECT_EQ(this->effect->getParameter(output), before);
  EXPECT_EQ(probe::focusWindow(), this->host->handle()) << "Escape gives the focus back too";

  // Another window taking the focus cancels the field and keeps the focus it took.
  openField();
  ASSERT_TRUE(probe::giveFocus(this->host->handle()));
  this->pump(40);
  EXPECT_EQ(this->editor->valueField(), nullptr);
  EXPECT_EQ(probe::focusWindow(), this->host->handle());

  // Closing the editor with the field open gives it back as well.
  openField();
  this->close();
  EXPECT_EQ(probe::focusWindow(), this->host->handle());
  EXPECT_TRUE(EditorHost::calls.empty());
}

TYPED_TEST(Win32Editor, AWheelTurnOverAKnobMovesItAndStaysOutOfTheHostsWindow) {
  ASSERT_TRUE(this->open());
  const editor::ParameterControl& gain = this->controlOf(TypeParam::kOutputIndex);
  const CPoint over = TestFixture::centre(gain.rect);
  this->host->wheel(over.x, over.y, platform::kWheelDeltaPerNotch, 0);
  EXPECT_FLOAT_EQ(this->effect->getParameter(gain.tag), 0.6f);
  this->host->wheel(over.x, over.y, -platform::kWheelDeltaPerNotch, platform::kModifierShift);
  EXPECT_FLOAT_EQ(this->effect->getParameter(gain.tag), 0.59f);
  EXPECT_EQ(this->host->wheelEventsReceived(), 0) << "a turn the knob used is not the host's";

  // A turn no view wants goes on to the host, as it would without the editor.
  const CPoint nowhere = this->emptySpot();
  ASSERT_GE(nowhere.x, 0);
  this->host->wheel(nowhere.x, nowhere.y, platform::kWheelDeltaPerNotch, 0);
  EXPECT_EQ(this->host->wheelEventsReceived(), 1);
}

TYPED_TEST(Win32Editor, ASidewaysWheelOverAKnobLeavesItAndScrollsTheHost) {
  ASSERT_TRUE(this->open());
  const editor::ParameterControl& gain = this->controlOf(TypeParam::kOutputIndex);
  const CPoint over = TestFixture::centre(gain.rect);
  this->host->wheel(over.x, over.y, platform::kWheelDeltaPerNotch, 0, true);
  this->host->wheel(over.x, over.y, -platform::kWheelDeltaPerNotch, 0, true);
  EXPECT_EQ(this->effect->getParameter(gain.tag), gain.defaultValue);
  EXPECT_TRUE(EditorHost::log().empty()) << "no gesture";
  EXPECT_EQ(this->host->wheelEventsReceived(true), 2) << "both turns went on to the host";
  EXPECT_EQ(this->host->wheelEventsReceived(false), 0);
}

TYPED_TEST(Win32Editor, AMenuNobodyAnswersIsClosedByTheWatchdogWhichSaysSo) {
  ASSERT_TRUE(this->open());
  const auto start = std::chrono::steady_clock::now();
  probe::MenuDriver nobody({}, 1000);
  this->click(TestFixture::centre(this->layout().presetName));
  EXPECT_EQ(nobody.finish(), "the pop-up menu was still open after 1000 ms");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_EQ(this->effect->getProgram(), 0) << "nothing chosen";
}

TYPED_TEST(Win32Editor, FilesDroppedOnThePanelAreRefusedAndChangeNothing) {
  ASSERT_TRUE(this->open());
  std::vector<float> before;
  for (int i = 0; i < TypeParam::kParameterCount; ++i) before.push_back(this->effect->getParameter(i));
  const CPoint knob = TestFixture::centre(this->controlOf(TypeParam::kOutputIndex).rect);
  const auto outcome =
      probe::dragAndDropFiles(this->editorWindow(), {"C:\\presets\\Warm.tsqp", "C:\\links\\Bank.lnk"}, knob.x, knob.y);
  ASSERT_TRUE(outcome.registered) << "the window is a drop target while open";
  EXPECT_EQ(outcome.enterEffect, 0u);
  EXPECT_EQ(outcome.overEffect, 0u);
  EXPECT_EQ(outcome.dropEffect, 0u);
  for (int i = 0; i < TypeParam::kParameterCount; ++i) EXPECT_EQ(this->effect->getParameter(i), before[i]);
  EXPECT_TRUE(EditorHost::calls.empty());
}

template <class Product>
class Win32Picture : public Win32EditorTest<Product> {
 protected:
  static void setState(Sorvane<Product>& effect) { turnEveryKnob(effect); }
  std::unique_ptr<platform::PixelBuffer> headlessPicture() { return headlessPictureOfTurnedKnobs<Product>(); }
  // GDI objects our code holds while the editor is open and has painted
  // twice (pictures, fonts made on first use, a back buffer if any).
  int gdiObjectsWhileOpen() {
    const int before = platform::liveGdiObjects();
    EXPECT_TRUE(this->open());
    this->editor->draw(nullptr);
    const int held = platform::liveGdiObjects() - before;
    this->close();
    return held;
  }
  void expectSameAsHeadless(const char* path) {
    setState(*this->effect);
    ASSERT_TRUE(this->open());
    this->pump(150);
    auto window = this->screenshot();
    this->close();
    auto headless = headlessPicture();
    const PictureComparison c = comparePictures(*window, *headless, {this->layout().presetName});
    EXPECT_LE(c.outside, kBlendTolerance) << path << ": worst at " << c.where << " (x,y)";
    EXPECT_LE(c.brighterInText, kBlendTolerance) << path << ": text is black, so it can only darken";
    EXPECT_GT(c.darkenedInText, 20) << path << ": the preset name is shown";
    if (this->HasFailure()) {
      const std::string name = std::string(this->layout().product) + "-" + path;
      writePng(name + "-window.png", *window);
      writePng(name + "-headless.png", *headless);
    }
  }
};
TYPED_TEST_SUITE(Win32Picture, Products);

TYPED_TEST(Win32Picture, TheWindowShowsWhatTheHeadlessRenderShowsOutsideTheText) {
  this->expectSameAsHeadless("composited");
}

TYPED_TEST(Win32Picture, PaintingThroughTheBackBufferShowsTheSame) {
  this->gdiObjectsWhileOpen();  // the fonts exist from here on
  const int composited = this->gdiObjectsWhileOpen();
  probe::setEnvironment("SORVANE_BACK_BUFFER", "1");
  EXPECT_EQ(this->gdiObjectsWhileOpen(), composited + 3)
      << "one back buffer (memory context, bitmap, clip region) serves every paint";
  this->expectSameAsHeadless("back-buffer");
  probe::setEnvironment("SORVANE_BACK_BUFFER", nullptr);
}

TYPED_TEST(Win32Editor, ThePresetMenuChoosesAProgramWithKeys) {
  ASSERT_TRUE(this->open());
  {
    probe::MenuDriver keys({probe::Key::Down, probe::Key::Down, probe::Key::Down, probe::Key::Return}, 5000);
    this->click(TestFixture::centre(this->layout().presetName));
    EXPECT_EQ(keys.finish(), "");
  }
  EXPECT_EQ(this->effect->getProgram(), 2) << "the third program";
  {
    probe::MenuDriver keys({probe::Key::Down, probe::Key::Escape}, 5000);
    this->click(TestFixture::centre(this->layout().presetName));
    EXPECT_EQ(keys.finish(), "");
  }
  EXPECT_EQ(this->effect->getProgram(), 2) << "a dismissed menu chooses nothing";
}

TYPED_TEST(Win32Editor, TheFileMenuRunsTheChosenCommand) {
  ASSERT_TRUE(this->open());
  probe::MenuDriver keys({probe::Key::Down, probe::Key::Down, probe::Key::Return}, 5000);
  this->click(TestFixture::centre(this->layout().fileMenu));
  EXPECT_EQ(keys.finish(), "");
  ASSERT_EQ(this->dialogs.requests.size(), 1u) << "\"Load Preset\" asks for a file";
  EXPECT_EQ(this->dialogs.requests[0].kind, platform::FileDialogRequest::Open);
  EXPECT_EQ(this->dialogs.requests[0].owner, this->editorWindow());
}

TYPED_TEST(Win32Editor, ASaveDialogCancelledChangesNothing) {
  this->services.dialogs = &platform::systemFileDialogs();
  this->effect.reset();
  this->makeEffect();
  ASSERT_TRUE(this->open());
  ASSERT_FALSE(this->editor->isFolderMode()) << "the test prefix has no preset folder";
  auto chunk = [this] {
    void* data = nullptr;
    const auto size = this->dispatch(effGetChunk, 0, 0, &data);
    const auto* bytes = static_cast<const unsigned char*>(data);
    return std::vector<unsigned char>(bytes, bytes + size);
  };
  const auto before = chunk();
  {
    probe::DialogCanceller cancel(15000);
    probe::MenuDriver keys({probe::Key::Down, probe::Key::Return}, 5000);  // "Save Preset"
    this->click(TestFixture::centre(this->layout().fileMenu));
    EXPECT_EQ(keys.finish(), "");
    EXPECT_EQ(cancel.finish(), "") << "the system's save dialog opened and was cancelled";
  }
  EXPECT_EQ(chunk(), before);
  EXPECT_TRUE(this->messages.shown.empty()) << "a cancel is no failure to report";
  EXPECT_TRUE(EditorHost::calls.empty());
}

TYPED_TEST(Win32Editor, AHundredOpenAndCloseCyclesLeaveNoObjectNoGdiObjectAndNoWindow) {
  // The first opening makes the fonts, which live as long as the process.
  ASSERT_TRUE(this->open());
  this->pump(0);
  this->close();
  const int objects = liveToolkitObjects();
  const int gdiObjects = platform::liveGdiObjects();
  for (int i = 0; i < 100; ++i) {
    ASSERT_TRUE(this->open()) << "cycle " << i;
    if (i % 10 == 0) this->click(TestFixture::centre(this->layout().aboutClick));  // closed with the about screen up
    this->pump(0);
    this->close();
  }
  EXPECT_EQ(liveToolkitObjects(), objects);
  EXPECT_EQ(platform::liveGdiObjects(), gdiObjects);
  EXPECT_EQ(this->host->childWindowCount(), 0);
}

TYPED_TEST(Win32Editor, AHostThatDestroysItsWindowBeforeClosingTheEditorLeavesNothingBroken) {
  ASSERT_TRUE(this->open());
  this->close();
  const int objects = liveToolkitObjects();
  const int gdiObjects = platform::liveGdiObjects();
  ASSERT_TRUE(this->open());
  const int output = TypeParam::kOutputIndex;
  const CPoint start = TestFixture::centre(this->controlOf(output).rect);
  this->host->mouseDown(start.x, start.y, kButtonLeft);
  this->host->mouseMove(start.x, start.y - 5, kButtonLeft);
  this->host->destroyNow();  // in the middle of a drag
  EXPECT_EQ(EditorHost::log().back(), "end " + std::to_string(output));
  this->pump(120);  // idles reach the editor of a window that is gone
  this->close();
  EXPECT_EQ(liveToolkitObjects(), objects);
  EXPECT_EQ(platform::liveGdiObjects(), gdiObjects);

  this->host = makeHostWindow(this->layout().width, this->layout().height);
  ASSERT_NE(this->host, nullptr);
  ASSERT_TRUE(this->open()) << "the class is there again for the next window";
  EXPECT_EQ(this->host->childWindowCount(), 1);
}

// The about screen is a container shown as the frame's modal view: the
// system paints only what was marked invalid, so a wrongly placed mark
// leaves part of it unpainted when it opens, or standing when it closes.
// The knobs beside it follow the host while it is shown.
template <class Product>
class Win32About : public Win32Picture<Product> {
 protected:
  // The headless picture of the same state, with the about screen shown when aboutShown.
  std::unique_ptr<platform::PixelBuffer> headlessPicture(bool aboutShown) {
    ScriptedUi ui;
    gEditorServices = ui.bundle();
    Sorvane<Product> twin(&EditorHost::callback, &scriptedEditor<Product>);
    for (int i = 0; i < Product::kParameterCount; ++i) twin.setParameter(i, this->effect->getParameter(i));
    int parent = 0;
    auto* record = twin.getAeffect();
    EXPECT_EQ(record->dispatcher(record, effEditOpen, 0, 0, &parent, 0.0f), 1);
    platform::HeadlessWindow* window = ui.windows.window();
    if (aboutShown) {
      const CPoint splash = this->centre(this->layout().aboutClick);
      window->mouseDown(splash.x, splash.y, kButtonLeft);
      window->mouseUp(splash.x, splash.y, 0);
    }
    window->paintAll();
    const platform::PixelBuffer& shown = window->pixels();
    auto copy = platform::createMemoryPixelBuffer(shown.width(), shown.height());
    for (int y = 0; y < shown.height(); ++y) std::copy(shown.row(y), shown.row(y) + 4 * shown.width(), copy->row(y));
    record->dispatcher(record, effEditClose, 0, 0, nullptr, 0.0f);
    return copy;
  }
  CRect versionLabel() const {
    CRect label = this->layout().versionLabel;
    label.offset(this->layout().aboutScreen.left, this->layout().aboutScreen.top);
    return label;
  }
  // The window against the headless picture: equal outside the text; the
  // system's text (the Windows build's software back end draws none) only
  // darkens the preset name and only brightens the white version label.
  void expectLikeHeadless(const platform::PixelBuffer& window, bool aboutShown, const char* state) {
    auto headless = headlessPicture(aboutShown);
    std::vector<CRect> text{this->layout().presetName};
    if (aboutShown) text.push_back(versionLabel());
    const PictureComparison all = comparePictures(window, *headless, text);
    EXPECT_LE(all.outside, kBlendTolerance) << state << ": worst at " << all.where << " (x,y)";
    if (aboutShown) {
      const PictureComparison label = comparePictures(window, *headless, {versionLabel()});
      EXPECT_GT(label.brighterInText, 64) << state << ": the version is shown";
      EXPECT_EQ(label.darkenedInText, 0) << state << ": on the about screen's own picture";
    }
    if (this->HasFailure()) {
      const std::string name = std::string(this->layout().product) + "-about-" + state;
      writePng(SORVANE_OUTPUT_DIR + name + "-window.png", window);
      writePng(SORVANE_OUTPUT_DIR + name + "-headless.png", *headless);
    }
  }
  // The read-back a test looked at, kept in the folder SORVANE_WINDOW_PICTURES
  // names (nothing is written without it).
  void keep(const char* state, const platform::PixelBuffer& window) {
    if (const char* folder = std::getenv("SORVANE_WINDOW_PICTURES")) {
      const std::string path = std::string(folder) + "/" + this->layout().product + "-about-win32-" + state + ".png";
      EXPECT_TRUE(writePng(path, window)) << "cannot write " << path;
    }
  }
};
TYPED_TEST_SUITE(Win32About, Products);

TYPED_TEST(Win32About, OpensAndClosesWholeAndTheKnobsBesideItFollowTheHost) {
  ASSERT_TRUE(this->open());
  CFrame* frame = this->editor->getFrame();
  this->click(TestFixture::centre(this->layout().aboutClick));
  this->pump(150);
  ASSERT_NE(frame->getModalView(), nullptr);
  this->expectLikeHeadless(*this->screenshot(), true, "opened");

  this->setState(*this->effect);
  this->pump(150);
  auto open = this->screenshot();
  this->keep("open", *open);
  this->expectLikeHeadless(*open, true, "host-changes");

  this->click(TestFixture::centre(this->layout().aboutScreen));
  this->pump(150);
  EXPECT_EQ(frame->getModalView(), nullptr);
  auto closed = this->screenshot();
  this->keep("closed", *closed);
  this->expectLikeHeadless(*closed, false, "closed");
}

}  // namespace
}  // namespace sorvane::test
