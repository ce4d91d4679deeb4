// The X11 window under the toolkit, seen from its client: what the server's
// input becomes (buttons, modifiers, double-clicks, wheel, leave, a lost
// capture), what a paint puts on the screen, and a parent that goes first.
// The input is real: XTEST through the server, into a host window.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "hostkit/host_window.h"
#include "hostkit/x11/robot.h"
#include "platform/menu/menu_model.h"
#include "platform/popup_menu.h"
#include "platform/ui_services.h"
#include "platform/window.h"

// Last: the X headers' macros (None, Bool) would break the test framework's.
#include <X11/Xlib.h>

#include "platform/x11/x11_support.h"

namespace sorvane::platform {
namespace {

namespace x11 = hostkit::x11;
using hostkit::createHostWindow;
using hostkit::HostWindow;

// Before any other X call of the program: the robot works from a thread of its own.
const bool kThreadsPrepared = x11::Robot::prepareThreads();
// An X server resets itself when its last client goes and refuses
// connections meanwhile: one connection stays open for the whole program.
const std::unique_ptr<x11::Robot> kServerKeptUp = x11::Robot::open();

// Records every event; paints fill the area with one colour.
struct Recorder final : WindowClient {
  WindowEventResult handleWindowEvent(const WindowEvent& event) override {
    if (event.type == WindowEventType::Paint) {
      event.device->fillRect(event.area, fill);
      paints.push_back(event.area);
      return {};
    }
    events.push_back(event);
    if (onEvent) onEvent(event);
    WindowEventResult result;
    result.consumed = consumeWheel;
    result.captureMouse = event.type == WindowEventType::MouseDown;
    return result;
  }
  std::vector<WindowEvent> of(WindowEventType type) const {
    std::vector<WindowEvent> out;
    for (const WindowEvent& e : events)
      if (e.type == type) out.push_back(e);
    return out;
  }

  std::vector<WindowEvent> events;
  std::vector<DrawRect> paints;
  DrawColor fill{10, 120, 200, 255};
  bool consumeWheel = true;
  std::function<void(const WindowEvent&)> onEvent;
};

int openDescriptors() {
  int count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++count;
  return count;
}

bool operator==(const DrawRect& a, const DrawRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

class X11WindowTest : public ::testing::Test {
 protected:
  static constexpr int kWidth = 200, kHeight = 100;
  // A point over the host's window but outside ours.
  static constexpr int kOutsideX = 250, kOutsideY = 150;

  void SetUp() override {
    ASSERT_TRUE(kThreadsPrepared);
    ASSERT_STREQ(nativeWindowSystem().name(), "x11") << "no X display: window tests run under xvfb-run";
    host = createHostWindow("x11 window test", 300, 200);
    ASSERT_NE(host, nullptr);
    window = nativeWindowSystem().createChildWindow(host->handle(), kWidth, kHeight, recorder);
    ASSERT_NE(window, nullptr);
    settle();
  }

  // The host's loop for a while, the window's events and paints at every idle.
  void settle(int milliseconds = 60) {
    host->pump(
        milliseconds,
        [](void* self) {
          auto* test = static_cast<X11WindowTest*>(self);
          if (!test->window) return;
          test->window->pumpEvents();
          if (test->window) test->window->update();
        },
        this);
  }
  void click(int x, int y, int buttons) {
    ASSERT_TRUE(host->mouseDown(x, y, buttons));
    ASSERT_TRUE(host->mouseUp(x, y, 0));
    settle();
  }
  DrawColor shown(const PixelBuffer& picture, int x, int y) {
    const std::uint8_t* p = picture.row(y) + 4 * x;
    return DrawColor{p[2], p[1], p[0], 255};
  }
  static bool same(DrawColor a, DrawColor b) { return a.red == b.red && a.green == b.green && a.blue == b.blue; }

  Recorder recorder;
  std::unique_ptr<HostWindow> host;
  std::unique_ptr<NativeWindow> window;
};

TEST_F(X11WindowTest, PressesCarryTheirButtonAndModifiersAndAQuickSecondPressIsADoubleClick) {
  ASSERT_TRUE(host->mouseDown(10, 10, kButtonLeft | kModifierShift));
  ASSERT_TRUE(host->mouseMove(30, 20, kButtonLeft | kModifierShift));
  ASSERT_TRUE(host->mouseUp(30, 20, 0));
  settle();
  auto downs = recorder.of(WindowEventType::MouseDown);
  ASSERT_EQ(downs.size(), 1u);
  EXPECT_EQ(downs[0].buttons, kButtonLeft | kModifierShift);
  EXPECT_EQ(downs[0].x, 10);
  EXPECT_EQ(downs[0].y, 10);
  bool dragged = false;
  for (const WindowEvent& move : recorder.of(WindowEventType::MouseMove))
    dragged |= move.x == 30 && move.y == 20 && move.buttons == (kButtonLeft | kModifierShift);
  EXPECT_TRUE(dragged) << "a move carries the held button and key";
  const auto ups = recorder.of(WindowEventType::MouseUp);
  ASSERT_EQ(ups.size(), 1u);
  EXPECT_EQ(ups[0].buttons & kButtonLeft, 0) << "the released button is no longer held";

  recorder.events.clear();
  click(40, 40, kButtonLeft);
  click(42, 41, kButtonLeft);
  click(42, 41, kButtonLeft);
  downs = recorder.of(WindowEventType::MouseDown);
  ASSERT_EQ(downs.size(), 3u);
  EXPECT_EQ(downs[0].buttons, kButtonLeft);
  EXPECT_EQ(downs[1].buttons, kButtonLeft | kDoubleClick) << "within 400 ms and a few pixels";
  EXPECT_EQ(downs[2].buttons, kButtonLeft) << "a third press starts a new pair";

  recorder.events.clear();
  click(60, 60, kButtonRight | kModifierControl | kModifierAlt);
  click(70, 60, kButtonMiddle);
  click(80, 60, kButton4);
  click(90, 60, kButton5);
  click(150, 60, kButtonLeft);
  click(100, 60, kButtonLeft);  // the same button far away: no double-click
  downs = recorder.of(WindowEventType::MouseDown);
  ASSERT_EQ(downs.size(), 6u);
  EXPECT_EQ(downs[0].buttons, kButtonRight | kModifierControl | kModifierAlt);
  EXPECT_EQ(downs[1].buttons, kButtonMiddle);
  EXPECT_EQ(downs[2].buttons, kButton4);
  EXPECT_EQ(downs[3].buttons, kButton5);
  EXPECT_EQ(downs[5].buttons, kButtonLeft);
}

TEST_F(X11WindowTest, WheelNotchesReachTheClientAndTheOnesItLeavesReachTheHost) {
  recorder.consumeWheel = false;
  ASSERT_TRUE(host->wheel(20, 20, 2 * kWheelDeltaPerNotch, kModifierShift));
  settle();
  auto wheels = recorder.of(WindowEventType::Wheel);
  ASSERT_EQ(wheels.size(), 2u);
  EXPECT_EQ(wheels[0].wheelDelta, kWheelDeltaPerNotch);
  EXPECT_FALSE(wheels[0].horizontal);
  EXPECT_EQ(wheels[0].buttons, kModifierShift);
  EXPECT_EQ(wheels[0].x, 20);
  EXPECT_EQ(host->wheelEventsReceived(), 2) << "unused notches scroll the host";

  recorder.consumeWheel = true;
  recorder.events.clear();
  ASSERT_TRUE(host->wheel(20, 20, -kWheelDeltaPerNotch, 0));
  settle();
  wheels = recorder.of(WindowEventType::Wheel);
  ASSERT_EQ(wheels.size(), 1u);
  EXPECT_EQ(wheels[0].wheelDelta, -kWheelDeltaPerNotch);
  EXPECT_EQ(host->wheelEventsReceived(), 2) << "a used notch stays with us";
  EXPECT_TRUE(recorder.of(WindowEventType::MouseDown).empty()) << "wheel buttons are no clicks";

  ASSERT_TRUE(host->wheel(kOutsideX, kOutsideY, kWheelDeltaPerNotch, 0));
  settle();
  EXPECT_EQ(host->wheelEventsReceived(), 3);
  EXPECT_EQ(recorder.of(WindowEventType::Wheel).size(), 1u);
}

TEST_F(X11WindowTest, ALeaveIsReportedOnlyWhenAskedForAndOncePerRequest) {
  ASSERT_TRUE(host->mouseMove(20, 20, 0));
  ASSERT_TRUE(host->mouseMove(kOutsideX, kOutsideY, 0));
  settle();
  EXPECT_TRUE(recorder.of(WindowEventType::MouseLeave).empty());
  EXPECT_FALSE(recorder.of(WindowEventType::MouseMove).empty()) << "entering is a move";

  window->trackMouseLeave();
  for (int round = 0; round < 2; ++round) {
    ASSERT_TRUE(host->mouseMove(20, 20, 0));
    settle();
    ASSERT_TRUE(host->mouseMove(kOutsideX, kOutsideY, 0));
    settle();
  }
  EXPECT_EQ(recorder.of(WindowEventType::MouseLeave).size(), 1u);

  // Leaving during a press waits for the release.
  window->trackMouseLeave();
  recorder.events.clear();
  ASSERT_TRUE(host->mouseDown(20, 20, kButtonLeft));
  ASSERT_TRUE(host->mouseMove(kOutsideX, kOutsideY, kButtonLeft));
  settle();
  EXPECT_TRUE(recorder.of(WindowEventType::MouseLeave).empty());
  const auto moves = recorder.of(WindowEventType::MouseMove);
  ASSERT_FALSE(moves.empty());
  EXPECT_EQ(moves.back().x, kOutsideX) << "the implicit grab keeps the pointer with us";
  ASSERT_TRUE(host->mouseUp(kOutsideX, kOutsideY, 0));
  settle();
  EXPECT_EQ(recorder.of(WindowEventType::MouseLeave).size(), 1u);
}

TEST_F(X11WindowTest, AGrabThatTakesThePointerDuringAPressEndsTheCaptureOnce) {
  auto robot = x11::Robot::open();
  ASSERT_NE(robot, nullptr);
  ASSERT_TRUE(robot->sendGrabLeave(window->systemHandle()));
  settle();
  EXPECT_TRUE(recorder.of(WindowEventType::CaptureLost).empty()) << "nothing was held";

  ASSERT_TRUE(host->mouseDown(20, 20, kButtonLeft));
  settle();
  ASSERT_TRUE(robot->sendGrabLeave(window->systemHandle()));
  settle();
  EXPECT_EQ(recorder.of(WindowEventType::CaptureLost).size(), 1u);
  ASSERT_TRUE(host->mouseUp(20, 20, 0));
  settle();
  ASSERT_TRUE(robot->sendGrabLeave(window->systemHandle()));
  settle();
  EXPECT_EQ(recorder.of(WindowEventType::CaptureLost).size(), 1u);
}

TEST_F(X11WindowTest, PaintsCoverWhatWasInvalidAndTheScreenShowsExactlyThat) {
  ASSERT_EQ(recorder.paints.size(), 1u);
  EXPECT_TRUE(recorder.paints[0] == (DrawRect{0, 0, kWidth, kHeight})) << "the whole window at the first idle";
  auto picture = createMemoryPixelBuffer(300, 200);
  ASSERT_TRUE(host->capture(*picture));
  EXPECT_TRUE(same(shown(*picture, 0, 0), recorder.fill));
  EXPECT_TRUE(same(shown(*picture, kWidth - 1, kHeight - 1), recorder.fill));
  EXPECT_TRUE(same(shown(*picture, kWidth, 0), DrawColor{0, 0, 0, 255})) << "the host's own background";

  const DrawColor first = recorder.fill;
  recorder.fill = DrawColor{250, 40, 30, 255};
  window->invalidate(DrawRect{10, 20, 30, 25});
  window->invalidate(DrawRect{150, 90, 400, 400});  // clipped to the window
  settle();
  ASSERT_EQ(recorder.paints.size(), 2u);
  EXPECT_TRUE(recorder.paints[1] == (DrawRect{10, 20, kWidth, kHeight})) << "one paint of the united areas";
  ASSERT_TRUE(host->capture(*picture));
  EXPECT_TRUE(same(shown(*picture, 10, 20), recorder.fill));
  EXPECT_TRUE(same(shown(*picture, 9, 20), first));
  settle();
  EXPECT_EQ(recorder.paints.size(), 2u) << "nothing invalid, nothing painted";
}

TEST_F(X11WindowTest, AParentDestroyedFirstGivesOneDestroyAndTheTeardownSurvives) {
  EXPECT_EQ(host->childWindowCount(), 1);
  host->destroyNow();
  settle();
  EXPECT_EQ(recorder.of(WindowEventType::Destroy).size(), 1u);
  window->invalidate(DrawRect{0, 0, 10, 10});
  settle();
  EXPECT_EQ(recorder.paints.size(), 1u) << "no paint into a window that is gone";
  window.reset();

  // Without an idle in between, the close meets a window the server already dropped.
  host = createHostWindow("x11 window test", 300, 200);
  ASSERT_NE(host, nullptr);
  // What fails there is counted on the window's own connection: nothing
  // reaches the error handler the host set, and that connection closes.
  const int descriptors = openDescriptors();
  window = nativeWindowSystem().createChildWindow(host->handle(), kWidth, kHeight, recorder);
  ASSERT_NE(window, nullptr);
  static int hostErrors;
  hostErrors = 0;
  const XErrorHandler hostHandler = XSetErrorHandler([](Display*, XErrorEvent*) {
    ++hostErrors;
    return 0;
  });
  host->destroyNow();
  window->update();
  window.reset();
  XSetErrorHandler(hostHandler);
  EXPECT_EQ(hostErrors, 0);
  EXPECT_EQ(openDescriptors(), descriptors) << "the window's connection is closed";
}

TEST_F(X11WindowTest, AParentThatIsNoWindowGivesNoWindowAndNoCrash) {
  Recorder other;
  // An id no client has made a window with.
  void* bogus = reinterpret_cast<void*>(static_cast<std::uintptr_t>(0x3fffff1));
  EXPECT_EQ(nativeWindowSystem().createChildWindow(bogus, kWidth, kHeight, other), nullptr);
  EXPECT_EQ(nativeWindowSystem().createChildWindow(nullptr, kWidth, kHeight, other), nullptr);
}

TEST_F(X11WindowTest, AClientMayDestroyTheWindowFromInsideAnEvent) {
  recorder.onEvent = [this](const WindowEvent& event) {
    if (event.type == WindowEventType::MouseDown) window.reset();
  };
  ASSERT_TRUE(host->mouseDown(20, 20, kButtonLeft));
  ASSERT_TRUE(host->mouseMove(25, 25, kButtonLeft));
  ASSERT_TRUE(host->mouseUp(25, 25, 0));
  settle();
  EXPECT_EQ(window, nullptr);
  EXPECT_EQ(recorder.of(WindowEventType::MouseDown).size(), 1u);
  EXPECT_TRUE(recorder.of(WindowEventType::MouseUp).empty()) << "nothing after the window went";
  EXPECT_EQ(host->childWindowCount(), 0);
}

TEST_F(X11WindowTest, ASidewaysWheelReachesTheClientAsHorizontalAndAnUnusedOneScrollsTheHostSideways) {
  recorder.consumeWheel = false;
  ASSERT_TRUE(host->wheel(20, 20, kWheelDeltaPerNotch, 0, true));
  ASSERT_TRUE(host->wheel(20, 20, -kWheelDeltaPerNotch, kModifierShift, true));
  settle();
  const auto wheels = recorder.of(WindowEventType::Wheel);
  ASSERT_EQ(wheels.size(), 2u);
  EXPECT_TRUE(wheels[0].horizontal);
  EXPECT_EQ(wheels[0].wheelDelta, kWheelDeltaPerNotch) << "button 7: right";
  EXPECT_TRUE(wheels[1].horizontal);
  EXPECT_EQ(wheels[1].wheelDelta, -kWheelDeltaPerNotch) << "button 6: left";
  EXPECT_EQ(wheels[1].buttons, kModifierShift);
  EXPECT_EQ(host->wheelEventsReceived(true), 2) << "the host scrolls sideways";
  EXPECT_EQ(host->wheelEventsReceived(false), 0);

  recorder.consumeWheel = true;
  ASSERT_TRUE(host->wheel(20, 20, kWheelDeltaPerNotch, 0, true));
  settle();
  EXPECT_EQ(recorder.of(WindowEventType::Wheel).size(), 3u);
  EXPECT_EQ(host->wheelEventsReceived(true), 2) << "a used turn stays with us";
}

// Pop-up menus on the window, opened straight through the system's menus
// while the test's thread waits in their loop; a second thread works them.
class X11PopupTest : public X11WindowTest {
 protected:
  static constexpr int kEntries = 5;
  static constexpr int kMenuX = 40, kMenuY = 30;  // on the screen, over the window
  // The longest a pop-up may stay open in a test before the watchdog ends it.
  static constexpr int kWatchdogMilliseconds = 20000;

  void SetUp() override {
    X11WindowTest::SetUp();
    for (int i = 0; i < kEntries; ++i) {
      PopupMenuEntry entry;
      entry.title = "Entry " + std::to_string(i + 1);
      entry.command = i + 1;
      popup.entries.push_back(entry);
    }
    holder = x11::Robot::open();
    ASSERT_NE(holder, nullptr);
  }
  void TearDown() override {
    if (holder) holder->releaseInput();
    platform::x11::Surface::refuseCreationAfter(-1);
  }
  int track() { return nativePopupMenus().track(window->systemHandle(), popup, kMenuX, kMenuY, false); }
  // The screen point of x, y in the window.
  void onScreen(int& x, int& y) {
    int left = 0, top = 0;
    window->screenOrigin(left, top);
    x += left, y += top;
  }

  PopupMenu popup;
  // Another client, to hold the grabs a menu would take.
  std::unique_ptr<x11::Robot> holder;
};

// Runs a robot's actions from a thread of its own; a watchdog ends the
// pop-up when they fail, so the test's thread comes back.
class Hand {
 public:
  using Actions = std::function<bool(x11::Robot&)>;
  Hand(x11::PopupWatchdog& watchdog, Actions actions)
      : thread_([&watchdog, actions = std::move(actions), this] {
          auto robot = x11::Robot::open();
          done = robot && actions(*robot) && robot->waitForNoPopup(5000);
          if (!done) watchdog.expire();
        }) {}
  ~Hand() { finish(); }
  void finish() {
    if (thread_.joinable()) thread_.join();
  }
  std::atomic<bool> done{false};

 private:
  std::thread thread_;
};

using Clock = std::chrono::steady_clock;

long long secondsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - start).count();
}

TEST_F(X11PopupTest, APopUpThatCannotGrabTakesTheFocusAndClosesOnEscape) {
  ASSERT_TRUE(holder->grabInput());
  x11::PopupWatchdog watchdog(kWatchdogMilliseconds);
  std::atomic<bool> focused{false};
  Hand hand(watchdog, [&](x11::Robot& robot) {
    DrawRect place;
    focused = robot.waitForFocusedPopup(10000, place);
    return holder->releaseInput() && focused && robot.key("Escape");
  });
  const auto start = Clock::now();
  EXPECT_EQ(track(), 0);
  hand.finish();
  EXPECT_TRUE(focused) << "the pop-up has the input focus";
  EXPECT_TRUE(hand.done) << "Escape closed it";
  EXPECT_FALSE(watchdog.finish());
  EXPECT_LT(secondsSince(start), 10);
}

TEST_F(X11PopupTest, APopUpThatCannotGrabIsWorkedByPointerAndAPressOnItsOwnerClosesIt) {
  int entryX = kMenuX + 30, entryY = 0, ownerX = 5, ownerY = 5;
  onScreen(ownerX, ownerY);
  for (bool choose : {true, false}) {
    ASSERT_TRUE(holder->grabInput());
    recorder.events.clear();
    x11::PopupWatchdog watchdog(kWatchdogMilliseconds);
    Hand hand(watchdog, [&](x11::Robot& robot) {
      DrawRect place;
      if (!robot.waitForFocusedPopup(10000, place) || !holder->releaseInput()) return false;
      // The third entry's row (no separators: rows of the style's height).
      const platform::menu::MenuStyle style;
      entryY = place.top + style.border + style.paddingY + 2 * style.itemHeight + style.itemHeight / 2;
      return choose ? robot.move(entryX, entryY - 2) && robot.click(entryX, entryY) : robot.click(ownerX, ownerY);
    });
    EXPECT_EQ(track(), choose ? 3 : 0);
    hand.finish();
    EXPECT_TRUE(hand.done);
    EXPECT_FALSE(watchdog.finish());
    settle();
    EXPECT_TRUE(recorder.of(WindowEventType::MouseDown).empty()) << "the press ended the menu and nothing else";
    EXPECT_TRUE(recorder.of(WindowEventType::MouseUp).empty());
  }
}

TEST_F(X11PopupTest, APressOnTheOwnerWhileThePopUpHoldsThePointerEndsItAndGoesNowhereElse) {
  int ownerX = 5, ownerY = 5;
  onScreen(ownerX, ownerY);
  x11::PopupWatchdog watchdog(kWatchdogMilliseconds);
  Hand hand(watchdog, [&](x11::Robot& robot) {
    DrawRect place;
    return robot.waitForPopup(10000, place) && robot.click(ownerX, ownerY);
  });
  EXPECT_EQ(track(), 0);
  hand.finish();
  EXPECT_TRUE(hand.done);
  EXPECT_FALSE(watchdog.finish());
  settle();
  EXPECT_TRUE(recorder.of(WindowEventType::MouseDown).empty()) << "the press is not delivered after the menu";
}

TEST_F(X11PopupTest, APopUpThatCannotGrabClosesWhenTheFocusGoesOrItsOwnerIsHidden) {
  for (bool hide : {false, true}) {
    ASSERT_TRUE(holder->grabInput());
    x11::PopupWatchdog watchdog(kWatchdogMilliseconds);
    Hand hand(watchdog, [&](x11::Robot& robot) {
      DrawRect place;
      if (!robot.waitForFocusedPopup(10000, place)) return false;
      return hide ? robot.unmap(host->handle()) : robot.focus(host->handle());
    });
    EXPECT_EQ(track(), 0);
    hand.finish();
    EXPECT_TRUE(hand.done) << (hide ? "the host hid its window" : "the focus went to the host");
    EXPECT_FALSE(watchdog.finish());
    ASSERT_TRUE(holder->releaseInput());
  }
}

TEST_F(X11PopupTest, ThePopUpWatchdogEndsAMenuNobodyCanWorkAndNothingIsChosen) {
  ASSERT_TRUE(holder->grabInput());
  const auto start = Clock::now();
  x11::PopupWatchdog watchdog(1000);
  EXPECT_EQ(track(), 0);
  EXPECT_TRUE(watchdog.finish());
  EXPECT_LT(secondsSince(start), 5);
  auto robot = x11::Robot::open();
  EXPECT_TRUE(robot->waitForNoPopup(1000));
}

TEST_F(X11PopupTest, AKeyboardGrabHeldForAMomentAsThePopUpOpensDoesNotCostItTheKeyboard) {
  // Only the keyboard, as a robot's look at the pop-up held it for a moment.
  ASSERT_TRUE(holder->grabInput(false));
  x11::PopupWatchdog watchdog(kWatchdogMilliseconds);
  std::atomic<bool> grabbed{false};
  Hand hand(watchdog, [&](x11::Robot& robot) {
    DrawRect place;
    if (!robot.waitForPopup(10000, place)) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (!holder->releaseInput()) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    // Ours fails while the pop-up holds the keyboard.
    grabbed = !robot.grabInput(false);
    robot.releaseInput();
    return robot.key("Down") && robot.key("Return");
  });
  EXPECT_EQ(track(), 1);
  hand.finish();
  EXPECT_TRUE(grabbed) << "the pop-up took the keyboard once the other client let go";
  EXPECT_FALSE(watchdog.finish());
}

TEST_F(X11PopupTest, APopUpWhosePictureCannotBeMadeShowsNothingAndChoosesNothing) {
  auto watcher = x11::Robot::open();
  platform::x11::Surface::refuseCreationAfter(0);
  EXPECT_EQ(track(), 0);
  EXPECT_TRUE(watcher->waitForNoPopup(0));

  // A sub-menu whose picture is refused ends the whole menu.
  PopupMenuEntry folder;
  folder.kind = PopupMenuEntry::Submenu;
  folder.title = "Folder";
  folder.submenu = popup.entries;
  popup.entries.insert(popup.entries.begin(), folder);
  platform::x11::Surface::refuseCreationAfter(1);
  x11::PopupWatchdog watchdog(kWatchdogMilliseconds);
  Hand hand(watchdog, [](x11::Robot& robot) {
    DrawRect place;
    return robot.waitForPopup(10000, place) && robot.key("Down") && robot.key("Right");
  });
  EXPECT_EQ(track(), 0);
  hand.finish();
  EXPECT_TRUE(hand.done) << "every panel is gone";
  EXPECT_FALSE(watchdog.finish());
}

}  // namespace
}  // namespace sorvane::platform
