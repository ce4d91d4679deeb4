// The toolkit's frame on the Win32 window with a view that records what
// reaches it: the message translation (buttons, modifiers, double-clicks,
// extra buttons, leave tracking) and the drop target's file list, which no
// product view ever accepts.
#include <gtest/gtest.h>

#include "gui/views/cdragcontainer.h"
#include "gui/views/cframe.h"
#include "platform/ole.h"
#include "tests/window/win32_fixture.h"

namespace sorvane::test {
namespace {

namespace probe = hostkit::win32probe;

struct RecordingView : CView {
  explicit RecordingView(const CRect& size) : CView(size) {}
  CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override {
    downs.push_back(buttons);
    lastPoint = where;
    return kMouseEventHandled;
  }
  CMouseEventResult onMouseUp(CPoint&, const CButtonState& buttons) override {
    ups.push_back(buttons);
    return kMouseEventHandled;
  }
  CMouseEventResult onMouseEntered(CPoint&, const CButtonState&) override {
    ++entered;
    return kMouseEventHandled;
  }
  CMouseEventResult onMouseExited(CPoint&, const CButtonState&) override {
    ++exited;
    return kMouseEventHandled;
  }
  void onDragEnter(CDragContainer* drag, const CPoint&) override {
    for (int i = 0; i < drag->getCount(); ++i) files.push_back(drag->getFile(i));
  }
  bool onDrop(CDragContainer* drag, const CPoint& where) override {
    dropped = drag->getCount();
    lastPoint = where;
    return acceptDrops;
  }

  std::vector<CButtonState> downs, ups;
  CPoint lastPoint;
  int entered = 0, exited = 0, dropped = 0;
  std::vector<std::string> files;
  bool acceptDrops = false;
};

class Win32Frame : public ::testing::Test {
 protected:
  void SetUp() override {
    host = makeHostWindow(200, 100);
    ASSERT_NE(host, nullptr);
    frame = new CFrame(CRect(0, 0, 200, 100), host->handle(), nullptr);
    ASSERT_TRUE(frame->isWindowOpen());
    view = new RecordingView(CRect(20, 10, 120, 60));
    frame->addView(view);
  }
  void TearDown() override {
    if (frame) frame->forget();
  }

  platform::OleSession ole;  // drag and drop needs the thread's OLE session
  std::unique_ptr<hostkit::HostWindow> host;
  CFrame* frame = nullptr;
  RecordingView* view = nullptr;
};

TEST_F(Win32Frame, ButtonsModifiersAndDoubleClicksArriveAsTheToolkitsButtonWord) {
  namespace p = platform;
  struct Case {
    int sent;
    CButtonState seen;
  };
  const Case cases[] = {
      {p::kButtonLeft, kLButton},
      {p::kButtonLeft | p::kModifierShift | p::kModifierControl, kLButton | kShift | kControl},
      {p::kButtonLeft | p::kModifierAlt, kLButton | kAlt},
      {p::kButtonRight, kRButton},
      {p::kButtonMiddle, kMButton},
      {p::kButton4, kButton4},
      {p::kButton5, kButton5},
      {p::kButtonLeft | p::kDoubleClick, kLButton | kDoubleClick},
      {p::kButtonRight | p::kDoubleClick, kRButton | kDoubleClick},
  };
  for (const Case& c : cases) {
    view->downs.clear();
    view->ups.clear();
    host->mouseDown(30, 20, c.sent);
    host->mouseUp(30, 20, c.sent & ~p::kDoubleClick);
    ASSERT_EQ(view->downs.size(), 1u) << "sent " << c.sent;
    EXPECT_EQ(view->downs[0], c.seen) << "sent " << c.sent;
    ASSERT_EQ(view->ups.size(), 1u) << "sent " << c.sent;
    EXPECT_EQ(view->ups[0] & (kLButton | kRButton | kMButton), 0) << "no button is held after its release";
  }
  EXPECT_EQ(view->lastPoint, CPoint(30, 20)) << "in the coordinates of the view's container";
}

TEST_F(Win32Frame, ThePointerLeavingTheWindowReachesTheViewItWasOver) {
  // The system's own pointer this time: leave tracking watches it.
  for (int round = 1; round <= 2; ++round) {
    probe::movePointer(host->handle(), 40 + round, 30);
    host->pump(100);
    EXPECT_EQ(view->entered, round);
    probe::movePointer(nullptr, 0, 0);
    host->pump(700);  // tracking looks every 400 ms (the hover time)
    EXPECT_EQ(view->exited, round) << "the leave is asked for again after each one came";
  }
}

TEST_F(Win32Frame, DroppedFilesReachTheViewUnderThePointerAsTheSystemNamesThem) {
  void* window = probe::firstChildWindow(host->handle());
  const std::vector<std::string> files = {"C:\\presets\\Warm & Airy.tsqp", "C:\\links\\Bank.lnk"};
  auto outcome = probe::dragAndDropFiles(window, files, 50, 30);
  ASSERT_TRUE(outcome.registered);
  EXPECT_EQ(view->files, files) << "a shortcut is passed on, not followed";
  EXPECT_EQ(view->dropped, 2);
  EXPECT_EQ(view->lastPoint, CPoint(50, 30));
  EXPECT_EQ(outcome.dropEffect, 0u) << "refused";

  view->acceptDrops = true;
  outcome = probe::dragAndDropFiles(window, files, 50, 30);
  EXPECT_EQ(outcome.dropEffect, 1u) << "a view that takes the files gets them copied";

  frame->setDropActive(false);
  EXPECT_FALSE(probe::dragAndDropFiles(window, files, 50, 30).registered) << "revoked";
}

}  // namespace
}  // namespace sorvane::test
