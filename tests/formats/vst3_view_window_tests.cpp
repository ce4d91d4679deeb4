// The plug-in's view as a Linux VST3 host opens it, on a virtual display:
// the same plug-in code as the bundles, built into this program so its
// live-object counters can be read. The host's frame is its run loop; its
// timers and the editor's connection are served from the host window's pump.
#include <gtest/gtest.h>
#include <poll.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "editor/layout.h"
#include "editor/sorvane_gui.h"
#include "formats/vst3/factory_impl.h"
#include "gui/cbaseobject.h"
#include "hostkit/host_window.h"

template <>
struct sorvane::vst3::EditorOf<tessaro::Product> {
  static AEffEditor* make(AudioEffect* effect) {
    sorvane::platform::useEmbeddedResources(&tessaro::embeddedResources());
    return sorvane::editor::makeProductEditor<tessaro::Product>(effect, sorvane::editor::tessaroLayout(),
                                                                sorvane::platform::nativeUiServices());
  }
};
template <>
struct sorvane::vst3::EditorOf<pallido::Product> {
  static AEffEditor* make(AudioEffect* effect) {
    sorvane::platform::useEmbeddedResources(&pallido::embeddedResources());
    return sorvane::editor::makeProductEditor<pallido::Product>(effect, sorvane::editor::pallidoLayout(),
                                                                sorvane::platform::nativeUiServices());
  }
};

namespace {

using namespace sorvane::vst3;

const char* iidOf(const Uid& uid) { return reinterpret_cast<const char*>(uid.data()); }

struct Edit {
  char kind;  // 'b'egin, 'p'erform, 'e'nd
  ParamID id;
  ParamValue value;
};

class Handler final : public IComponentHandler {
 public:
  tresult SORVANE_VST3_API queryInterface(const TUID, void**) override { return kNoInterface; }
  uint32 SORVANE_VST3_API addRef() override { return 1; }
  uint32 SORVANE_VST3_API release() override { return 1; }
  tresult SORVANE_VST3_API beginEdit(ParamID id) override {
    edits.push_back({'b', id, 0.0});
    return kResultOk;
  }
  tresult SORVANE_VST3_API performEdit(ParamID id, ParamValue value) override {
    edits.push_back({'p', id, value});
    return kResultOk;
  }
  tresult SORVANE_VST3_API endEdit(ParamID id) override {
    edits.push_back({'e', id, 0.0});
    return kResultOk;
  }
  tresult SORVANE_VST3_API restartComponent(int32) override { return kResultOk; }
  std::vector<Edit> edits;
};

// The host's frame and run loop; resizes the host window when asked.
class Frame final : public IPlugFrame, public IRunLoop {
 public:
  tresult SORVANE_VST3_API queryInterface(const TUID iid, void** obj) override {
    *obj = nullptr;
    if (sameUid(iid, IPlugFrame::iid)) *obj = static_cast<IPlugFrame*>(this);
    if (sameUid(iid, IRunLoop::iid)) *obj = static_cast<IRunLoop*>(this);
    return *obj ? kResultOk : kNoInterface;
  }
  uint32 SORVANE_VST3_API addRef() override { return 1; }
  uint32 SORVANE_VST3_API release() override { return 1; }
  tresult SORVANE_VST3_API resizeView(IPlugView* view, ViewRect* size) override {
    ++resizes;
    if (window) window->setClientSize(size->right - size->left, size->bottom - size->top);
    view->onSize(size);
    return kResultOk;
  }
  tresult SORVANE_VST3_API registerEventHandler(IEventHandler* handler, int fd) override {
    handlers.push_back({handler, fd});
    return kResultOk;
  }
  tresult SORVANE_VST3_API unregisterEventHandler(IEventHandler* handler) override {
    std::erase_if(handlers, [handler](const auto& h) { return h.first == handler; });
    return kResultOk;
  }
  tresult SORVANE_VST3_API registerTimer(ITimerHandler* handler, uint64) override {
    timers.push_back(handler);
    return kResultOk;
  }
  tresult SORVANE_VST3_API unregisterTimer(ITimerHandler* handler) override {
    std::erase(timers, handler);
    return kResultOk;
  }
  static void idle(void* self) {
    auto* frame = static_cast<Frame*>(self);
    for (std::size_t i = 0; i < frame->handlers.size(); ++i) {
      pollfd watch{frame->handlers[i].second, POLLIN, 0};
      if (poll(&watch, 1, 0) > 0) frame->handlers[i].first->onFDIsSet(watch.fd);
    }
    for (std::size_t i = 0; i < frame->timers.size(); ++i) frame->timers[i]->onTimer();
  }

  sorvane::hostkit::HostWindow* window = nullptr;
  std::vector<std::pair<IEventHandler*, int>> handlers;
  std::vector<ITimerHandler*> timers;
  int resizes = 0;
};

template <class Product>
struct Knob;
template <>
struct Knob<tessaro::Product> {
  static constexpr int kX = 514, kY = 84;
};
template <>
struct Knob<pallido::Product> {
  static constexpr int kX = 614, kY = 81;
};

template <class Product>
class Vst3View : public ::testing::Test {
 protected:
  void SetUp() override {
    Factory<Product>& factory = Factory<Product>::instance();
    ASSERT_EQ(factory.createInstance(iidOf(Identity<Product>::kClassId), iidOf(IEditController::iid),
                                     reinterpret_cast<void**>(&controller)),
              kResultOk);
    controller->initialize(nullptr);
    controller->setComponentHandler(&handler);
    host = sorvane::hostkit::createHostWindow("vst3 view test", 200, 100);
    ASSERT_NE(host, nullptr) << "no X display: window tests run under xvfb-run";
    frame.window = host.get();
  }
  void TearDown() override {
    if (view) close();
    host.reset();
    if (controller) {
      controller->setComponentHandler(nullptr);
      controller->terminate();
      controller->release();
    }
  }
  // Opens the view as a host does: its size, the window, the frame, attached.
  bool open(float scale = 0.0f) {
    view = controller->createView("editor");
    if (!view) return false;
    if (scale > 0.0f) {
      IPlugViewContentScaleSupport* scaling = nullptr;
      EXPECT_EQ(view->queryInterface(iidOf(IPlugViewContentScaleSupport::iid), reinterpret_cast<void**>(&scaling)),
                kResultOk);
      EXPECT_EQ(scaling->setContentScaleFactor(scale), kResultOk);
      scaling->release();
    }
    EXPECT_EQ(view->isPlatformTypeSupported("X11EmbedWindowID"), kResultTrue);
    EXPECT_EQ(view->isPlatformTypeSupported("HWND"), kResultFalse);
    EXPECT_EQ(view->canResize(), kResultFalse);
    EXPECT_EQ(view->getSize(&size), kResultOk);
    host->setClientSize(size.right, size.bottom);
    view->setFrame(&frame);
    if (view->attached(host->handle(), "X11EmbedWindowID") != kResultOk) return false;
    settle();
    return true;
  }
  void close() {
    EXPECT_EQ(view->removed(), kResultOk);
    EXPECT_TRUE(frame.timers.empty() && frame.handlers.empty()) << "the run loop keeps the view's handlers";
    view->setFrame(nullptr);
    view->release();
    view = nullptr;
  }
  void settle(int milliseconds = 100) { host->pump(milliseconds, &Frame::idle, &frame); }

  Handler handler;
  Frame frame;
  IEditController* controller = nullptr;
  IPlugView* view = nullptr;
  ViewRect size = {};
  std::unique_ptr<sorvane::hostkit::HostWindow> host;
};
using Products = ::testing::Types<tessaro::Product, pallido::Product>;
TYPED_TEST_SUITE(Vst3View, Products);

TYPED_TEST(Vst3View, ADragOnAKnobIsOneGestureOfPerformEditsAndWritesTheParameter) {
  ASSERT_TRUE(this->open());
  EXPECT_EQ(this->host->childWindowCount(), 1);
  EXPECT_EQ(this->frame.timers.size(), 1u) << "the view pumps itself from the host's run loop";
  EXPECT_EQ(this->frame.handlers.size(), 1u) << "and watches its X connection";
  const ParamID output = static_cast<ParamID>(TypeParam::kOutputIndex);
  const ParamValue before = this->controller->getParamNormalized(output);
  const int x = Knob<TypeParam>::kX;
  int y = Knob<TypeParam>::kY;
  ASSERT_TRUE(this->host->mouseDown(x, y, sorvane::platform::kButtonLeft));
  for (int step = 0; step < 40; ++step) {
    ASSERT_TRUE(this->host->mouseMove(x, --y, sorvane::platform::kButtonLeft));
    this->settle(5);
  }
  ASSERT_TRUE(this->host->mouseUp(x, y, sorvane::platform::kButtonLeft));
  this->settle();
  const ParamValue after = this->controller->getParamNormalized(output);
  EXPECT_GT(after, before);
  const std::vector<Edit>& edits = this->handler.edits;
  ASSERT_GE(edits.size(), 3u);
  EXPECT_EQ(edits.front().kind, 'b');
  EXPECT_EQ(edits.front().id, output);
  EXPECT_EQ(edits.back().kind, 'e');
  EXPECT_EQ(edits.back().id, output);
  for (std::size_t i = 1; i + 1 < edits.size(); ++i) {
    EXPECT_EQ(edits[i].kind, 'p');
    EXPECT_EQ(edits[i].id, output);
  }
  EXPECT_EQ(edits[edits.size() - 2].value, static_cast<double>(static_cast<float>(after)));
  this->close();
  EXPECT_EQ(this->host->childWindowCount(), 0);
}

TYPED_TEST(Vst3View, TheHostsScaleFactorSizesTheViewAndOneViewOpensAtATime) {
  ASSERT_TRUE(this->open());
  const ViewRect normal = this->size;
  EXPECT_EQ(this->controller->createView("editor"), nullptr) << "a second view while one is open";
  EXPECT_EQ(this->controller->createView("other"), nullptr);
  this->close();
  ASSERT_TRUE(this->open(2.0f));
  EXPECT_EQ(this->size.right, 2 * normal.right);
  EXPECT_EQ(this->size.bottom, 2 * normal.bottom);
  ViewRect wanted = {0, 0, 100, 100};
  EXPECT_EQ(this->view->checkSizeConstraint(&wanted), kResultTrue);
  EXPECT_EQ(wanted.right, this->size.right);
  EXPECT_EQ(this->view->onSize(&wanted), kResultOk);
  this->close();
}

TYPED_TEST(Vst3View, AHundredOpeningsAndClosingsLeaveNothingBehind) {
  ASSERT_TRUE(this->open());
  this->close();
  const int objects = sorvane::liveToolkitObjects();
  const int views = liveViews.load();
  for (int cycle = 0; cycle < 100; ++cycle) {
    ASSERT_TRUE(this->open()) << "cycle " << cycle;
    this->close();
  }
  EXPECT_EQ(sorvane::liveToolkitObjects(), objects);
  EXPECT_EQ(liveViews.load(), views);
  EXPECT_EQ(views, 0);
}

// Figures for the closing notes, never a timed test: run by hand with
//   xvfb-run -a build/linux/tests/formats/formats_vst3_view_window_tests
//     --gtest_also_run_disabled_tests --gtest_filter='*Figure*'
// The view's opening to its first paint on the server (created, attached,
// one run-loop turn, removed, released) against the same editor opened as a
// VST 2.4 host opens it (effEditOpen, effEditIdle, effEditClose).
TYPED_TEST(Vst3View, DISABLED_FigureOpenToFirstPaint) {
  using Clock = std::chrono::steady_clock;
  ASSERT_TRUE(this->open());
  this->close();
  constexpr int kRepeats = 50;
  auto start = Clock::now();
  for (int i = 0; i < kRepeats; ++i) {
    this->view = this->controller->createView("editor");
    this->view->setFrame(&this->frame);
    ASSERT_EQ(this->view->attached(this->host->handle(), "X11EmbedWindowID"), kResultOk);
    Frame::idle(&this->frame);  // the whole panel painted and on the server
    this->close();
  }
  const double view = std::chrono::duration<double, std::micro>(Clock::now() - start).count() / kRepeats;
  auto& plugin = static_cast<Plugin<TypeParam>&>(static_cast<ControllerStates&>(*this->controller));
  AEffect* record = plugin.effect().getAeffect();
  start = Clock::now();
  for (int i = 0; i < kRepeats; ++i) {
    record->dispatcher(record, effEditOpen, 0, 0, this->host->handle(), 0.0f);
    record->dispatcher(record, effEditIdle, 0, 0, nullptr, 0.0f);
    record->dispatcher(record, effEditClose, 0, 0, nullptr, 0.0f);
  }
  const double vst2 = std::chrono::duration<double, std::micro>(Clock::now() - start).count() / kRepeats;
  std::printf("%s: VST3 view open to first paint %.0f us, the VST 2.4 way %.0f us (mean of %d)\n",
              TypeParam::kEffectName, view, vst2, kRepeats);
}

TEST(Vst3ViewPlugins, NoPluginOutlivesItsLastReference) {
  const int before = livePlugins.load();
  {
    IEditController* controller = nullptr;
    ASSERT_EQ(Factory<tessaro::Product>::instance().createInstance(iidOf(Identity<tessaro::Product>::kClassId),
                                                                   iidOf(IEditController::iid),
                                                                   reinterpret_cast<void**>(&controller)),
              kResultOk);
    IPlugView* view = controller->createView("editor");
    ASSERT_NE(view, nullptr);
    controller->release();
    EXPECT_EQ(livePlugins.load(), before + 1) << "the view holds its plug-in";
    view->release();
  }
  EXPECT_EQ(livePlugins.load(), before);
}

}  // namespace
