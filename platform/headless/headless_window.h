// A window with no window system behind it: it paints into a picture of its
// own and takes its input from whoever holds it (tests, the snapshot tool).
// It behaves like the real back ends in what the toolkit can observe:
// invalid areas gather until update paints them, capture and leave tracking
// are recorded, events reach the client only while it is attached.
//
// Invalid areas are kept as the system keeps an update region: each
// rectangle as marked (one inside another counts once), and update paints
// each alone, clipped to it. So a view that marks the wrong area leaves
// pixels stale here as on a real screen; merging them into one bounding box
// would paint over the mistake.
#pragma once

#include <memory>
#include <vector>

#include "platform/draw.h"
#include "platform/window.h"

namespace sorvane::platform {

class HeadlessWindowSystem;

class HeadlessWindow final : public NativeWindow {
 public:
  HeadlessWindow(HeadlessWindowSystem& system, int width, int height, WindowClient& client);
  ~HeadlessWindow() override;

  void invalidate(const DrawRect& area) override;
  void update() override;
  void captureMouse(bool capture) override { captured_ = capture; }
  void trackMouseLeave() override { leaveArmed_ = true; }
  void holdKeyboardFocus(bool hold) override { keyboardHeld_ = hold; }
  void setDropTarget(bool active) override { dropTarget_ = active; }
  void screenOrigin(int& x, int& y) override;
  int doubleClickTime() override { return doubleClickTime_; }
  void* systemHandle() override { return this; }
  void detachClient() override { client_ = nullptr; }
  // A new picture of the size, all of it to be painted; refused for sizes
  // no picture can have, or where failNextResize is set.
  bool resize(int width, int height) override;
  // What a test says the system last reported for this window's screen.
  int systemScale() override { return reportedScale; }
  int reportedScale = 0;

  // Delivers an event as a system would: leave tracking is used up by a
  // MouseLeave, capture ends with the button-up, the capture-lost message
  // and the window's destruction.
  WindowEventResult send(const WindowEvent& event);
  WindowEventResult mouseDown(int x, int y, int buttons);
  WindowEventResult mouseMove(int x, int y, int buttons);
  WindowEventResult mouseUp(int x, int y, int buttons);
  WindowEventResult wheel(int x, int y, int delta, int buttons = 0);
  WindowEventResult key(WindowEventType type, const KeyCode& key);
  // A whole-window Paint (as after the window was uncovered) into the window's own picture.
  void paintAll();

  const PixelBuffer& pixels() const { return *pixels_; }
  // The invalid rectangles the next update paints, in the order marked.
  const std::vector<DrawRect>& pendingAreas() const { return pending_; }
  bool hasCapture() const { return captured_; }
  bool isLeaveArmed() const { return leaveArmed_; }
  bool isDropTarget() const { return dropTarget_; }
  bool holdsKeyboard() const { return keyboardHeld_; }
  bool hasClient() const { return client_ != nullptr; }
  int paintCount() const { return paints_; }
  int resizeCount() const { return resizes_; }
  // The next resize fails as a refusing system would.
  bool failNextResize = false;
  void setScreenOrigin(int x, int y) { originX_ = x, originY_ = y; }
  void setDoubleClickTime(int milliseconds) { doubleClickTime_ = milliseconds; }

 private:
  void paint(const DrawRect& area);
  WindowEventResult pointer(WindowEventType type, int x, int y, int buttons);

  HeadlessWindowSystem& system_;
  // Cleared by the destructor: a client may destroy the window from inside an event.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  WindowClient* client_;
  std::unique_ptr<PixelBuffer> pixels_;
  std::vector<DrawRect> pending_;
  bool captured_ = false;
  bool leaveArmed_ = false;
  bool dropTarget_ = false;
  bool keyboardHeld_ = false;
  int paints_ = 0;
  int resizes_ = 0;
  int originX_ = 100, originY_ = 100;
  int doubleClickTime_ = 400;
};

class HeadlessWindowSystem final : public WindowSystem {
 public:
  std::unique_ptr<NativeWindow> createChildWindow(void* parent, int width, int height, WindowClient& client) override;
  const char* name() const override { return "headless"; }
  // What a test gives as the system's size (0: the system says nothing).
  int systemScale(void*) override { return systemPercent; }
  int systemPercent = 0;

  // The newest window still alive, or null.
  HeadlessWindow* window() const { return newest_; }
  int liveWindows() const { return live_; }
  // The next creation fails as a refusing system would.
  bool failNextWindow = false;

 private:
  friend class HeadlessWindow;
  HeadlessWindow* newest_ = nullptr;
  int live_ = 0;
};

// One process-wide headless system (the native one where no window system exists).
HeadlessWindowSystem& headlessWindowSystem();

}  // namespace sorvane::platform
