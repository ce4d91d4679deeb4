// Both products' editors in a real X11 window, driven as a person and a
// host would: XTEST input into a host window, effEditIdle from the host's
// loop, pictures read back from the server. The editor is made with the
// system's own services, exactly as the plug-in library makes it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <thread>

#include "gui/controls/coptionmenu.h"
#include "gui/controls/ctextedit.h"
#include "gui/draw/scaling.h"
#include "hostkit/host_window.h"
#include "hostkit/x11/robot.h"
#include "platform/menu/menu_model.h"
#include "platform/settings.h"
#include "platform/ui_services.h"
#include "plugin/units.h"
#include "tests/editor/editor_fixture.h"
#include "tests/editor/golden.h"

namespace sorvane::test {
namespace {

using hostkit::x11::Robot;
using platform::DrawRect;

template <class Product>
AEffEditor* nativeEditor(AudioEffect* effect) {
  return editor::makeProductEditor<Product>(effect, layoutOf<Product>(), platform::nativeUiServices());
}

int openDescriptors() {
  int count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++count;
  return count;
}

// Works an open pop-up menu from a thread of its own (the test's thread is
// inside the menu's modal loop meanwhile). If the menu does not show, or is
// still open after the actions, a watchdog ends it (and any that shows
// later) so the test ends with a failure instead of hanging.
class MenuDriver {
 public:
  using Actions = std::function<bool(Robot&, const DrawRect&)>;
  // Long enough for the robot's own waits; well inside the 30 s any modal
  // step of a test may take.
  static constexpr int kWatchdogMilliseconds = 20000;

  explicit MenuDriver(Actions actions) : watchdog_(kWatchdogMilliseconds) {
    thread_ = std::thread([this, actions = std::move(actions)] {
      auto robot = Robot::open();
      if (!robot) {
        std::fprintf(stderr, "menu driver: no display\n");
        watchdog_.expire();
        return;
      }
      DrawRect place;
      if (!robot->waitForPopup(10000, place)) {
        std::fprintf(stderr, "menu driver: no pop-up showed within 10 s\n");
        watchdog_.expire();
        return;
      }
      shown = true;
      acted = actions(*robot, place);
      if (!robot->waitForNoPopup(5000)) watchdog_.expire();
    });
  }
  ~MenuDriver() { finish(); }
  void finish() {
    if (thread_.joinable()) thread_.join();
    if (watchdog_.finish()) watchdogFired = true;
  }

  std::atomic<bool> shown{false}, acted{false}, watchdogFired{false};

 private:
  hostkit::x11::PopupWatchdog watchdog_;
  std::thread thread_;
};

// The screen centre of entry k of a menu without separators.
void entryCentre(const DrawRect& place, int k, int& x, int& y) {
  const platform::menu::MenuStyle style;
  x = (place.left + place.right) / 2;
  y = place.top + style.border + style.paddingY + k * style.itemHeight + style.itemHeight / 2;
}

template <class Product>
class EditorWindow : public ::testing::Test {
 protected:
  using Effect = Sorvane<Product>;

  void SetUp() override {
    ASSERT_STREQ(platform::nativeWindowSystem().name(), "x11") << "no X display: window tests run under xvfb-run";
    useProductPictures(layout().product);
    EditorHost::calls.clear();
    liveAtStart = liveToolkitObjects();
    effect = std::make_unique<Effect>(&EditorHost::callback, &nativeEditor<Product>);
    editor = static_cast<editor::sorvaneGUI*>(effect->getEditor());
    host = hostkit::createHostWindow("editor window test", layout().width, layout().height);
    ASSERT_NE(host, nullptr);
    EditorHost::calls.clear();
  }
  void TearDown() override {
    effect.reset();
    host.reset();
    EXPECT_EQ(liveToolkitObjects(), liveAtStart) << "toolkit objects leaked";
  }

  const editor::EditorLayout& layout() const { return layoutOf<Product>(); }
  VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr) {
    AEffect* record = effect->getAeffect();
    return record->dispatcher(record, opcode, index, value, ptr, 0.0f);
  }
  bool open() {
    const bool opened = dispatch(effEditOpen, 0, 0, host->handle()) == 1;
    if (opened) settle();
    return opened;
  }
  // The host's loop: its window's events and effEditIdle every 20 ms.
  void settle(int milliseconds = 80) { host->pump(milliseconds, &EditorWindow::hostIdle, this); }
  static void hostIdle(void* self) { static_cast<EditorWindow*>(self)->dispatch(effEditIdle); }
  void click(const CPoint& p, int buttons = kLButton) {
    ASSERT_TRUE(host->mouseDown(p.x, p.y, buttons));
    ASSERT_TRUE(host->mouseUp(p.x, p.y, 0));
    settle();
  }
  static CPoint centre(const CRect& r) { return CPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2); }
  const editor::ParameterControl& controlOf(editor::ControlKind kind) const {
    for (const auto& c : layout().controls)
      if (c.kind == kind) return c;
    throw std::logic_error("no such control");
  }
  std::unique_ptr<platform::PixelBuffer> shown(int percent = 100) {
    auto picture = platform::createMemoryPixelBuffer(scaleToWindow(layout().width, percent),
                                                     scaleToWindow(layout().height, percent));
    EXPECT_TRUE(host->capture(*picture));
    return picture;
  }
  // What the headless window paints for an effect in the same state (with
  // the about screen shown when aboutShown), at percent.
  std::unique_ptr<platform::PixelBuffer> headlessRender(bool aboutShown = false, int percent = 100) {
    const auto calls = EditorHost::calls;
    ScriptedUi ui;
    gEditorServices = ui.bundle();
    auto reference = std::make_unique<Effect>(&EditorHost::callback, &scriptedEditor<Product>);
    reference->setProgram(effect->getProgram());
    for (int i = 0; i < Product::kParameterCount; ++i) reference->setParameter(i, effect->getParameter(i));
    static_cast<editor::AEffGUIEditor*>(reference->getEditor())
        ->setScale(editor::AEffGUIEditor::ScaleSource::User, percent);
    int parent = 0;
    AEffect* record = reference->getAeffect();
    record->dispatcher(record, effEditOpen, 0, 0, &parent, 0.0f);
    auto picture = platform::createMemoryPixelBuffer(scaleToWindow(layout().width, percent),
                                                     scaleToWindow(layout().height, percent));
    platform::HeadlessWindow* window = ui.windows.window();
    EXPECT_NE(window, nullptr);
    if (window) {
      if (aboutShown) {
        const CPoint splash = centre(layout().aboutClick);
        window->mouseDown(splash.x, splash.y, kLButton);
        window->mouseUp(splash.x, splash.y, 0);
      }
      window->paintAll();
      for (int y = 0; y < picture->height(); ++y)
        std::copy_n(window->pixels().row(y), 4 * picture->width(), picture->row(y));
    }
    reference.reset();
    EditorHost::calls = calls;
    return picture;
  }
  // Pixels whose colour differs (alpha is not shown on the screen), with the first one.
  static std::string difference(const platform::PixelBuffer& a, const platform::PixelBuffer& b) {
    int count = 0, firstX = -1, firstY = -1;
    for (int y = 0; y < a.height(); ++y)
      for (int x = 0; x < a.width(); ++x) {
        const std::uint8_t *p = a.row(y) + 4 * x, *q = b.row(y) + 4 * x;
        if (p[0] == q[0] && p[1] == q[1] && p[2] == q[2]) continue;
        if (count++ == 0) firstX = x, firstY = y;
      }
    if (count == 0) return "";
    return std::to_string(count) + " pixels differ, the first at " + std::to_string(firstX) + "," +
           std::to_string(firstY);
  }
  int automations() const {
    int n = 0;
    for (const HostCall& c : EditorHost::calls) n += c.opcode == audioMasterAutomate ? 1 : 0;
    return n;
  }

  int liveAtStart = 0;
  std::unique_ptr<Effect> effect;
  editor::sorvaneGUI* editor = nullptr;
  std::unique_ptr<hostkit::HostWindow> host;
};

TYPED_TEST_SUITE(EditorWindow, Products);

TYPED_TEST(EditorWindow, TheWindowShowsExactlyTheHeadlessRenderOfTheSameState) {
  ASSERT_TRUE(this->open());
  EXPECT_EQ(this->host->childWindowCount(), 1);
  EXPECT_EQ(this->difference(*this->shown(), *this->headlessRender()), "");

  // A change from the host reaches the screen at the next idle, and only the knob is redrawn.
  AEffect* record = this->effect->getAeffect();
  record->setParameter(record, TypeParam::kOutputIndex, 0.83f);
  record->setParameter(record, 0, 1.0f);
  this->settle();
  EXPECT_EQ(this->difference(*this->shown(), *this->headlessRender()), "");
}

TYPED_TEST(EditorWindow, ADragOnAKnobChangesItsParameterInsideOneGesture) {
  ASSERT_TRUE(this->open());
  const CPoint start = TestFixture::centre(this->controlOf(editor::ControlKind::Knob).rect);
  const int tag = this->controlOf(editor::ControlKind::Knob).tag;
  ASSERT_TRUE(this->host->mouseDown(start.x, start.y, kLButton));
  for (int i = 1; i <= 10; ++i) ASSERT_TRUE(this->host->mouseMove(start.x, start.y - 5 * i, kLButton));
  this->settle();
  ASSERT_TRUE(this->host->mouseUp(start.x, start.y - 50, 0));
  this->settle();
  // 50 pixels of a 200-pixel sweep from the centre.
  EXPECT_FLOAT_EQ(this->effect->getParameter(tag), 0.75f);
  const auto log = EditorHost::log();
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(log.front(), "begin " + std::to_string(tag));
  EXPECT_EQ(log.back(), "end " + std::to_string(tag));
  EXPECT_EQ(log[log.size() - 2], "automate " + std::to_string(tag) + " 0.75");
  EXPECT_EQ(this->automations(), static_cast<int>(log.size()) - 2) << "only automation between begin and end";
}

// A right press during a drag, through the server, and the two buttons
// released in either order: the host hears the drag end at the press, and
// the button still held drags nothing as it passes back over the knob.
TYPED_TEST(EditorWindow, ASecondButtonEndsADragAtOnceWhicheverButtonGoesUpFirst) {
  ASSERT_TRUE(this->open());
  const editor::ParameterControl& knob = this->controlOf(editor::ControlKind::Knob);
  const std::string tag = std::to_string(knob.tag);
  const CPoint start = TestFixture::centre(knob.rect);
  AEffect* record = this->effect->getAeffect();
  for (const bool rightUpFirst : {true, false}) {
    const char* order = rightUpFirst ? "right released first" : "left released first";
    record->setParameter(record, knob.tag, 0.5f);
    this->settle();
    EditorHost::calls.clear();
    ASSERT_TRUE(this->host->mouseDown(start.x, start.y, kLButton));
    for (int i = 1; i <= 4; ++i) ASSERT_TRUE(this->host->mouseMove(start.x, start.y - 5 * i, kLButton));
    this->settle();
    ASSERT_TRUE(this->host->mouseDown(start.x, start.y - 20, kRButton));
    this->settle();
    ASSERT_FALSE(EditorHost::log().empty()) << order;
    EXPECT_EQ(EditorHost::log().back(), "end " + tag) << order << ": the end comes with the press";

    ASSERT_TRUE(this->host->mouseUp(start.x, start.y - 20, rightUpFirst ? kRButton : kLButton));
    for (int i = 3; i >= 0; --i) ASSERT_TRUE(this->host->mouseMove(start.x, start.y - 5 * i, 0));
    this->settle();
    ASSERT_TRUE(this->host->mouseUp(start.x, start.y, 0));
    this->settle();

    EXPECT_FLOAT_EQ(this->effect->getParameter(knob.tag), 0.6f) << order;
    const auto log = EditorHost::log();
    ASSERT_GE(log.size(), 3u) << order;
    EXPECT_EQ(log.front(), "begin " + tag) << order;
    for (size_t i = 1; i + 1 < log.size(); ++i)
      EXPECT_EQ(log[i].rfind("automate " + tag + " ", 0), 0u) << order << ": " << log[i];
    EXPECT_EQ(log[log.size() - 2], "automate " + tag + " 0.6") << order;
    EXPECT_EQ(log.back(), "end " + tag) << order;
  }
}

TYPED_TEST(EditorWindow, AScalePositionClickSetsItsStepAndAControlClickResetsAKnob) {
  ASSERT_TRUE(this->open());
  const editor::ParameterControl& stepped = this->controlOf(editor::ControlKind::SteppedKnob);
  const int steps = static_cast<int>(stepped.zones.size());
  this->click(TestFixture::centre(stepped.zones[2]));
  EXPECT_EQ(this->effect->getParameter(stepped.tag), std::min(1.0f, 2.0f / static_cast<float>(steps - 1) + 0.01f));

  const editor::ParameterControl& gain = this->controlOf(editor::ControlKind::Knob);
  AEffect* record = this->effect->getAeffect();
  record->setParameter(record, gain.tag, 0.9f);
  this->settle();
  EditorHost::calls.clear();
  this->click(TestFixture::centre(gain.rect), kLButton | kControl);
  EXPECT_EQ(this->effect->getParameter(gain.tag), gain.defaultValue);
  const auto log = EditorHost::log();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0], "begin " + std::to_string(gain.tag));
  EXPECT_EQ(log[2], "end " + std::to_string(gain.tag));
}

// A value typed on the keyboard: a double-click opens the field, the editor
// takes the input focus from the window that had it, keys pressed through
// XTEST type and enter the value as one gesture, and the focus goes back.
TYPED_TEST(EditorWindow, AValueTypedOnTheKeyboardIsOneGestureAndTheFocusGoesBackWhereItWas) {
  ASSERT_TRUE(this->open());
  auto robot = Robot::open();
  ASSERT_NE(robot, nullptr);
  auto focusHolder = [&robot] { return robot->focusHolder(); };
  void* const hostWindow = this->host->handle();
  ASSERT_TRUE(robot->focus(this->host->handle()));
  this->settle();
  ASSERT_EQ(focusHolder(), hostWindow);

  const int output = TypeParam::kOutputIndex;
  CPoint knob;
  for (const auto& c : this->layout().controls)
    if (c.tag == output) knob = TestFixture::centre(c.rect);
  auto openField = [&] {
    // Two quick presses in one place: the window makes the second a double-click.
    ASSERT_TRUE(this->host->mouseDown(knob.x, knob.y, kLButton));
    ASSERT_TRUE(this->host->mouseUp(knob.x, knob.y, 0));
    ASSERT_TRUE(this->host->mouseDown(knob.x, knob.y, kLButton));
    ASSERT_TRUE(this->host->mouseUp(knob.x, knob.y, 0));
    this->settle();
    ASSERT_NE(this->editor->valueField(), nullptr);
    EXPECT_EQ(focusHolder(), this->editor->getFrame()->getSystemWindow())
        << "the editor holds the keyboard while the field is open";
    EditorHost::calls.clear();
  };

  openField();
  for (const char* key : {"minus", "6", "period", "5", "Return"}) ASSERT_TRUE(robot->key(key)) << key;
  this->settle();
  EXPECT_EQ(this->editor->valueField(), nullptr);
  EXPECT_EQ(this->effect->getParameter(output), *unitsOf<TypeParam>().parse(output, "-6.5"));
  const auto log = EditorHost::log();
  ASSERT_EQ(log.size(), 3u) << ::testing::PrintToString(log);
  EXPECT_EQ(log[0], "begin " + std::to_string(output));
  EXPECT_EQ(log[2], "end " + std::to_string(output));
  EXPECT_EQ(focusHolder(), hostWindow) << "the focus went back to the host's window";

  const float before = this->effect->getParameter(output);
  openField();
  for (const char* key : {"9", "BackSpace", "1", "Escape"}) ASSERT_TRUE(robot->key(key)) << key;
  this->settle();
  EXPECT_EQ(this->editor->valueField(), nullptr);
  EXPECT_TRUE(EditorHost::calls.empty());
  EXPECT_EQ(this->effect->getParameter(output), before);
  EXPECT_EQ(focusHolder(), hostWindow) << "Escape gives the focus back too";

  // Another window taking the focus cancels the field and keeps the focus it took.
  openField();
  ASSERT_TRUE(robot->focus(this->host->handle()));
  this->settle();
  EXPECT_EQ(this->editor->valueField(), nullptr);
  EXPECT_EQ(focusHolder(), hostWindow);
  EXPECT_TRUE(EditorHost::calls.empty());

  // Closing the editor with the field open gives it back as well.
  openField();
  this->dispatch(effEditClose);
  EXPECT_EQ(focusHolder(), hostWindow);
  EXPECT_TRUE(EditorHost::calls.empty());
}

TYPED_TEST(EditorWindow, TheWheelTurnsAKnobAndOverTheBackgroundScrollsTheHost) {
  ASSERT_TRUE(this->open());
  const editor::ParameterControl& gain = this->controlOf(editor::ControlKind::Knob);
  const CPoint over = TestFixture::centre(gain.rect);
  ASSERT_TRUE(this->host->wheel(over.x, over.y, platform::kWheelDeltaPerNotch, 0));
  this->settle();
  EXPECT_NEAR(this->effect->getParameter(gain.tag), gain.defaultValue + 0.1f, 1e-6);
  EXPECT_EQ(EditorHost::log(), (std::vector<std::string>{"begin " + std::to_string(gain.tag),
                                                         "automate " + std::to_string(gain.tag) + " 0.6",
                                                         "end " + std::to_string(gain.tag)}));
  EXPECT_EQ(this->host->wheelEventsReceived(), 0);

  // A corner of the panel where no view lies.
  const CPoint corner(3, this->layout().height - 3);
  CPoint probe = corner;
  ASSERT_EQ(this->editor->getFrame()->getViewAt(probe, true), nullptr);
  ASSERT_TRUE(this->host->wheel(corner.x, corner.y, -platform::kWheelDeltaPerNotch, 0));
  this->settle();
  EXPECT_EQ(this->host->wheelEventsReceived(), 1);
}

TYPED_TEST(EditorWindow, ASidewaysWheelOverAKnobLeavesItAndScrollsTheHost) {
  ASSERT_TRUE(this->open());
  const editor::ParameterControl& gain = this->controlOf(editor::ControlKind::Knob);
  const CPoint over = TestFixture::centre(gain.rect);
  ASSERT_TRUE(this->host->wheel(over.x, over.y, platform::kWheelDeltaPerNotch, 0, true));
  ASSERT_TRUE(this->host->wheel(over.x, over.y, -platform::kWheelDeltaPerNotch, 0, true));
  this->settle();
  EXPECT_EQ(this->effect->getParameter(gain.tag), gain.defaultValue);
  EXPECT_TRUE(EditorHost::log().empty()) << "no gesture";
  EXPECT_EQ(this->host->wheelEventsReceived(true), 2) << "both turns went on to the host";
  EXPECT_EQ(this->host->wheelEventsReceived(false), 0);
}

TYPED_TEST(EditorWindow, APresetMenuChoiceByKeysLoadsThatProgram) {
  ASSERT_TRUE(this->open());
  MenuDriver driver([](Robot& robot, const DrawRect&) {
    // Down lights the first entry; two more reach the third.
    return robot.key("Down") && robot.key("Down") && robot.key("Down") && robot.key("Return");
  });
  this->click(TestFixture::centre(this->layout().presetName));
  driver.finish();
  EXPECT_TRUE(driver.shown) << "the pop-up never showed";
  EXPECT_TRUE(driver.acted);
  EXPECT_FALSE(driver.watchdogFired) << "the pop-up stayed open";
  EXPECT_EQ(this->effect->getProgram(), 2);
  EXPECT_TRUE(this->editor->presetMenu()->isCheckEntry(2));
}

TYPED_TEST(EditorWindow, APresetMenuChoiceByPointerLoadsThatProgramAndAClickOutsideChoosesNothing) {
  ASSERT_TRUE(this->open());
  {
    MenuDriver driver([](Robot& robot, const DrawRect& place) {
      int x = 0, y = 0;
      entryCentre(place, 6, x, y);
      return robot.move(x, y - 2) && robot.click(x, y);
    });
    this->click(TestFixture::centre(this->layout().presetName));
    driver.finish();
    EXPECT_TRUE(driver.shown);
    EXPECT_FALSE(driver.watchdogFired);
    EXPECT_EQ(this->effect->getProgram(), 6);
  }
  {
    MenuDriver driver(
        [](Robot& robot, const DrawRect& place) { return robot.click(place.right + 40, place.bottom + 5); });
    this->click(TestFixture::centre(this->layout().presetName));
    driver.finish();
    EXPECT_TRUE(driver.shown);
    EXPECT_FALSE(driver.watchdogFired);
    EXPECT_EQ(this->effect->getProgram(), 6);
  }
  // The panel still answers after the menus.
  this->click(TestFixture::centre(this->layout().next));
  EXPECT_EQ(this->effect->getProgram(), 7);
}

TYPED_TEST(EditorWindow, TheArrowsStepThroughTheProgramsAndWrapAround) {
  ASSERT_TRUE(this->open());
  this->click(TestFixture::centre(this->layout().next));
  EXPECT_EQ(this->effect->getProgram(), 1);
  this->click(TestFixture::centre(this->layout().previous));
  this->click(TestFixture::centre(this->layout().previous));
  EXPECT_EQ(this->effect->getProgram(), kProgramCount - 1);
  EXPECT_EQ(this->difference(*this->shown(), *this->headlessRender()), "") << "the new program's name is shown";
}

TYPED_TEST(EditorWindow, AHundredOpenAndCloseCyclesLeaveNoDescriptorWindowOrObjectBehind) {
  // The first opening loads what the process keeps (fonts).
  ASSERT_TRUE(this->open());
  this->dispatch(effEditClose);
  const int descriptors = openDescriptors();
  const int objects = liveToolkitObjects();
  for (int i = 0; i < 100; ++i) {
    ASSERT_EQ(this->dispatch(effEditOpen, 0, 0, this->host->handle()), 1) << "cycle " << i;
    this->host->pump(0, &TestFixture::hostIdle, this);
    this->dispatch(effEditClose);
  }
  EXPECT_EQ(openDescriptors(), descriptors);
  EXPECT_EQ(liveToolkitObjects(), objects);
  EXPECT_EQ(this->host->childWindowCount(), 0);
}

TYPED_TEST(EditorWindow, AHostThatDestroysItsWindowBeforeClosingTheEditorLivesOn) {
  const int descriptors = openDescriptors();
  // With an idle between (the editor learns of it) and without.
  for (bool idleBetween : {true, false}) {
    ASSERT_TRUE(this->open());
    this->host->destroyNow();
    if (idleBetween) this->settle();
    this->dispatch(effEditClose);
    this->host = hostkit::createHostWindow("editor window test", this->layout().width, this->layout().height);
    ASSERT_NE(this->host, nullptr);
  }
  ASSERT_TRUE(this->open());
  EXPECT_EQ(this->difference(*this->shown(), *this->headlessRender()), "");
  this->dispatch(effEditClose);
  EXPECT_EQ(openDescriptors(), descriptors);
}

TYPED_TEST(EditorWindow, AParentThatIsNoWindowMakesTheOpenAnswerZero) {
  void* bogus = reinterpret_cast<void*>(static_cast<std::uintptr_t>(0x3fffff1));
  EXPECT_EQ(this->dispatch(effEditOpen, 0, 0, bogus), 0);
  EXPECT_FALSE(this->editor->isOpen());
  ASSERT_TRUE(this->open()) << "a good parent afterwards works";
}

// The pictures a test looked at, kept in the folder SORVANE_WINDOW_PICTURES
// names (nothing is written without it).
void keepPicture(const std::string& name, const platform::PixelBuffer& picture) {
  if (const char* folder = std::getenv("SORVANE_WINDOW_PICTURES")) {
    EXPECT_TRUE(writePng(std::string(folder) + "/" + name, picture)) << "cannot write " << name;
  }
}

// The same editor on a headless window, driven alike. It paints only what
// the toolkit marks invalid, each rectangle alone, as Win32 does; this X11
// window paints the box around all marks, which covers up a mark in the
// wrong place. Driven alike, the two agree only when the marks are right.
template <class Product>
class HeadlessTwin {
 public:
  HeadlessTwin() {
    gEditorServices = ui_.bundle();
    effect_ = std::make_unique<Sorvane<Product>>(&EditorHost::callback, &scriptedEditor<Product>);
    AEffect* record = effect_->getAeffect();
    record->dispatcher(record, effEditOpen, 0, 0, &parent_, 0.0f);
    window_ = ui_.windows.window();
    if (window_) window_->paintAll();
  }
  bool isOpen() const { return window_ != nullptr; }
  void click(const CPoint& p) {
    window_->mouseDown(p.x, p.y, kLButton);
    window_->mouseUp(p.x, p.y, 0);
    idle();
  }
  void setParameter(int index, float value) {
    AEffect* record = effect_->getAeffect();
    record->setParameter(record, index, value);
  }
  void idle() {
    ui_.clock.advance(200);
    AEffect* record = effect_->getAeffect();
    record->dispatcher(record, effEditIdle, 0, 0, nullptr, 0.0f);
  }
  const platform::PixelBuffer& pixels() const { return window_->pixels(); }

 private:
  ScriptedUi ui_;
  std::unique_ptr<Sorvane<Product>> effect_;
  int parent_ = 0;
  platform::HeadlessWindow* window_ = nullptr;
};

// The about screen is a container shown as the frame's modal view: it is
// painted whole when it opens and when it closes, and the knobs beside it
// follow the host while it is shown. Each state is compared with a whole
// headless paint of it, and with the headless window driven alike.
TYPED_TEST(EditorWindow, TheAboutScreenOpensAndClosesWholeAndTheKnobsBesideItFollowTheHost) {
  ASSERT_TRUE(this->open());
  HeadlessTwin<TypeParam> twin;
  ASSERT_TRUE(twin.isOpen());
  CFrame* frame = this->editor->getFrame();
  const CPoint splash = TestFixture::centre(this->layout().aboutClick);
  this->click(splash);
  twin.click(splash);
  ASSERT_NE(frame->getModalView(), nullptr);
  auto opened = this->shown();
  EXPECT_EQ(this->difference(*opened, *this->headlessRender(true)), "") << "opened";
  EXPECT_EQ(this->difference(*opened, twin.pixels()), "") << "opened, against the twin";

  AEffect* record = this->effect->getAeffect();
  for (int i = 0; i < TypeParam::kParameterCount; ++i) {
    const float value = static_cast<float>((i * 7) % 11) / 10.0f;
    record->setParameter(record, i, value);
    twin.setParameter(i, value);
  }
  this->settle();
  twin.idle();
  auto open = this->shown();
  keepPicture(std::string(this->layout().product) + "-about-x11-open.png", *open);
  EXPECT_EQ(this->difference(*open, *this->headlessRender(true)), "") << "host changes while it is shown";
  EXPECT_EQ(this->difference(*open, twin.pixels()), "") << "host changes, against the twin";

  const CPoint inside = TestFixture::centre(this->layout().aboutScreen);
  this->click(inside);
  twin.click(inside);
  EXPECT_EQ(frame->getModalView(), nullptr);
  auto closed = this->shown();
  keepPicture(std::string(this->layout().product) + "-about-x11-closed.png", *closed);
  EXPECT_EQ(this->difference(*closed, *this->headlessRender()), "") << "closed";
  EXPECT_EQ(this->difference(*closed, twin.pixels()), "") << "closed, against the twin";
}

// The desktop's size in the X resources, as xrdb sets it, for as long as
// this lives; what was there before comes back afterwards.
class DesktopResources {
 public:
  explicit DesktopResources(const std::string& resources) {
    old_ = run("xrdb -query 2>/dev/null", nullptr);
    applied_ =
        run("xrdb -merge 2>&1", &resources).empty() && run("xrdb -query", nullptr).find("Xft.dpi") != std::string::npos;
  }
  ~DesktopResources() {
    if (old_.empty())
      run("xrdb -remove 2>&1", nullptr);
    else
      run("xrdb -load 2>&1", &old_);
  }
  bool applied() const { return applied_; }

 private:
  // Runs command with input on its standard input (none: its output is read).
  static std::string run(const char* command, const std::string* input) {
    std::string output;
    std::FILE* pipe = popen(command, input ? "w" : "r");
    if (!pipe) return "cannot run " + std::string(command);
    if (input) {
      std::fwrite(input->data(), 1, input->size(), pipe);
    } else {
      char chunk[512];
      size_t got;
      while ((got = std::fread(chunk, 1, sizeof(chunk), pipe)) > 0) output.append(chunk, got);
    }
    const int status = pclose(pipe);
    if (input && status != 0) output = std::string(command) + " failed";
    return output;
  }
  std::string old_;
  bool applied_ = false;
};

// A desktop at 192 dots per inch (Xft.dpi, as a desktop's settings daemon
// or xrdb sets it): the host asks the rectangle, sizes its window, opens,
// and sees the panel at 200 %, exactly as the headless window draws it.
TYPED_TEST(EditorWindow, ADesktopAt192DotsPerInchOpensThePanelAt200PercentAsTheHeadlessWindowDrawsIt) {
  DesktopResources desktop("Xft.dpi:\t192\n");
  ASSERT_TRUE(desktop.applied()) << "xrdb (x11-xserver-utils) could not set the resources";
  ERect* r = nullptr;
  ASSERT_EQ(this->dispatch(effEditGetRect, 0, 0, &r), 1);
  const CPoint size(r->right - r->left, r->bottom - r->top);
  EXPECT_EQ(size, CPoint(2 * this->layout().width, 2 * this->layout().height));
  this->host->setClientSize(size.x, size.y);
  for (int i = 0; i < TypeParam::kParameterCount; ++i)
    this->effect->setParameter(i, static_cast<float>((i * 7) % 11) / 10.0f);
  ASSERT_TRUE(this->open());
  EXPECT_EQ(this->editor->getScale(editor::AEffGUIEditor::ScaleSource::System), 200);
  EXPECT_EQ(this->editor->getShownScale(), 200);
  auto shown = this->shown(200);
  keepPicture(std::string(this->layout().product) + "-x11-200.png", *shown);
  EXPECT_EQ(this->difference(*shown, *this->headlessRender(false, 200)), "");
  // A click lands on the panel pixel under it: the A/B switch at its window place.
  const int side = this->editor->access().getActiveSide();
  const CRect ab = scaleToWindow(this->layout().abSwitch, 200);
  this->click(TestFixture::centre(ab));
  EXPECT_NE(this->editor->access().getActiveSide(), side);
  this->dispatch(effEditClose);
}

// FILE, then Size, then "200 %", with the keys, through our own X11 pop-up
// and its sub-menu: the panel grows at the next idle (the host agrees) and
// the choice is kept in the settings folder.
TYPED_TEST(EditorWindow, TheSizeSubMenuOfThePopUpChoosesASizeThatIsKept) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("sorvane-size-" + std::to_string(::getpid()));
  const char* before = std::getenv("SORVANE_SETTINGS_DIR");
  const std::string old = before ? before : "";
  setenv("SORVANE_SETTINGS_DIR", folder.c_str(), 1);
  ASSERT_TRUE(this->open());
  MenuDriver driver([](Robot& robot, const DrawRect&) {
    // Seven commands lead to Size; Right opens it on "100 %", four more reach "200 %".
    for (int i = 0; i < 7; ++i)
      if (!robot.key("Down")) return false;
    return robot.key("Right") && robot.key("Down") && robot.key("Down") && robot.key("Down") && robot.key("Down") &&
           robot.key("Return");
  });
  this->click(TestFixture::centre(this->layout().fileMenu));
  driver.finish();
  EXPECT_TRUE(driver.shown) << "the pop-up never showed";
  EXPECT_FALSE(driver.watchdogFired) << "the pop-up stayed open";
  EXPECT_EQ(this->editor->getScale(editor::AEffGUIEditor::ScaleSource::User), 200);
  this->host->setClientSize(2 * this->layout().width, 2 * this->layout().height);
  this->settle();
  EXPECT_EQ(this->editor->getShownScale(), 200);
  EXPECT_EQ(platform::FolderSettings(folder.string()).value("size"), "200");
  this->dispatch(effEditClose);
  old.empty() ? unsetenv("SORVANE_SETTINGS_DIR") : setenv("SORVANE_SETTINGS_DIR", old.c_str(), 1);
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
}

}  // namespace
}  // namespace sorvane::test
