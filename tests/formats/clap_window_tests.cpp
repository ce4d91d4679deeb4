// The CLAP panel in a real window: Tessaro.clap through sorvane-host's
// bridge (its clap.gui, timer and file-descriptor host sides driven from
// effEditIdle) in a host window of the test's own, and the adapter linked
// into this program for what only the same process can count (toolkit
// objects left behind).
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "editor/layout.h"
#include "editor/sorvane_gui.h"
#include "formats/clap/adapter_impl.h"
#include "gui/cbaseobject.h"
#include "gui/views/cview.h"
#include "hostkit/host_window.h"
#include "tests/formats/clap_test_host.h"
#include "tools/sorvane-host/plugin_host.h"

#if !defined(_WIN32)
#include <filesystem>
#endif

template <>
struct sorvane::clap::EditorOf<tessaro::Product> {
  static AEffEditor* make(AudioEffect* effect) {
    return sorvane::editor::makeProductEditor<tessaro::Product>(effect, sorvane::editor::tessaroLayout(),
                                                                sorvane::platform::nativeUiServices());
  }
};

namespace {

using namespace sorvane;
using host::HostCallRecord;
using host::PluginInstance;
using host::PluginLibrary;

CPoint centre(const CRect& r) { return CPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2); }

const editor::ParameterControl& firstKnob() {
  for (const auto& c : editor::tessaroLayout().controls)
    if (c.kind == editor::ControlKind::Knob) return c;
  throw std::logic_error("no knob");
}

class ClapWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    library = PluginLibrary::open(clap::testing::clapFile("Tessaro.clap"), error);
    ASSERT_TRUE(library) << error;
    instance = PluginInstance::create(*library, error);
    ASSERT_TRUE(instance) << error;
    instance->context().gestureLog = &log;
    const auto& layout = editor::tessaroLayout();
    window = hostkit::createHostWindow("clap panel test", layout.width, layout.height);
    ASSERT_NE(window, nullptr) << "no display: window tests run under xvfb-run";
  }
  void TearDown() override {
    if (instance) instance->context().gestureLog = nullptr;
    instance.reset();
    window.reset();
  }
  // The host's loop: its window's events and effEditIdle.
  void settle(int milliseconds = 100) { window->pump(milliseconds, &ClapWindow::idle, this); }
  static void idle(void* self) { static_cast<ClapWindow*>(self)->instance->dispatch(effEditIdle); }

  std::unique_ptr<PluginLibrary> library;
  std::unique_ptr<PluginInstance> instance;
  std::unique_ptr<hostkit::HostWindow> window;
  std::vector<HostCallRecord> log;
};

TEST_F(ClapWindow, APanelCreatedShownDraggedAndDestroyedSendsOneGestureToTheHost) {
  ERect* rect = nullptr;
  ASSERT_EQ(instance->dispatch(effEditGetRect, 0, 0, &rect), 1);
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->right - rect->left, editor::tessaroLayout().width);
  EXPECT_EQ(rect->bottom - rect->top, editor::tessaroLayout().height);
  ASSERT_EQ(instance->dispatch(effEditOpen, 0, 0, window->handle()), 1);
  settle();
  EXPECT_EQ(window->childWindowCount(), 1);
  EXPECT_EQ(instance->dispatch(effEditOpen, 0, 0, window->handle()), 0) << "one panel per instance";

  const auto& knob = firstKnob();
  const CPoint start = centre(knob.rect);
  ASSERT_TRUE(window->mouseDown(start.x, start.y, kLButton));
  for (int i = 1; i <= 10; ++i) ASSERT_TRUE(window->mouseMove(start.x, start.y - 5 * i, kLButton));
  settle();
  ASSERT_TRUE(window->mouseUp(start.x, start.y - 50, 0));
  settle();
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(log.front().opcode, audioMasterBeginEdit);
  EXPECT_EQ(log.back().opcode, audioMasterEndEdit);
  for (const HostCallRecord& call : log) {
    EXPECT_EQ(call.index, knob.tag);
    if (&call != &log.front() && &call != &log.back()) {
      EXPECT_EQ(call.opcode, audioMasterAutomate);
    }
  }
  // 50 pixels of a 200-pixel sweep from the centre, through the CLAP value and back.
  EXPECT_NEAR(instance->getParameter(knob.tag), 0.75f, 1e-6f);

  instance->dispatch(effEditClose);
  settle();
  EXPECT_EQ(window->childWindowCount(), 0);
}

TEST_F(ClapWindow, TheHostsScaleFactorSizesThePanel) {
  EXPECT_EQ(instance->dispatch(effCanDo, 0, 0, const_cast<char*>("supportsViewDpiScaling")), 1);
  EXPECT_EQ(instance->dispatch(effVendorSpecific, 0x50726553, 0x41654373, nullptr, 2.0f), 1);
  ASSERT_EQ(instance->dispatch(effEditOpen, 0, 0, window->handle()), 1);
  settle();
  ERect* rect = nullptr;
  ASSERT_EQ(instance->dispatch(effEditGetRect, 0, 0, &rect), 1);
  EXPECT_EQ(rect->right - rect->left, 2 * editor::tessaroLayout().width);
  EXPECT_EQ(rect->bottom - rect->top, 2 * editor::tessaroLayout().height);
  instance->dispatch(effEditClose);
}

// The adapter in this program, so its toolkit objects are the ones counted here.
class ClapWindowInProcess : public ::testing::Test {
 protected:
  static constexpr clap_plugin_entry_t kEntry = {CLAP_VERSION, clap::Factory<tessaro::Product>::init,
                                                 clap::Factory<tessaro::Product>::deinit,
                                                 clap::Factory<tessaro::Product>::get};
  void SetUp() override {
    platform::useEmbeddedResources(&tessaro::embeddedResources());
    ASSERT_TRUE(host.create());
    ASSERT_NE(host.gui, nullptr);
    window =
        hostkit::createHostWindow("clap panel test", editor::tessaroLayout().width, editor::tessaroLayout().height);
    ASSERT_NE(window, nullptr) << "no display: window tests run under xvfb-run";
  }
  bool openPanel() {
    clap_window_t parent{};
    parent.api = clap::kNativeWindowApi;
#if defined(_WIN32)
    parent.win32 = window->handle();
#else
    parent.x11 = static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(window->handle()));
#endif
    return host.gui->create(host.plugin, clap::kNativeWindowApi, false) && host.gui->set_parent(host.plugin, &parent) &&
           host.gui->show(host.plugin);
  }
  void closePanel() {
    host.gui->hide(host.plugin);
    host.gui->destroy(host.plugin);
  }
  static int openDescriptors() {
#if defined(_WIN32)
    return 0;
#else
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++count;
    return count;
#endif
  }

  clap::testing::TestHost host{&kEntry, "in-process"};
  std::unique_ptr<hostkit::HostWindow> window;
};

TEST_F(ClapWindowInProcess, OnlyEmbeddedPanelsOfTheSystemsWindowAreOffered) {
  EXPECT_TRUE(host.gui->is_api_supported(host.plugin, clap::kNativeWindowApi, false));
  EXPECT_FALSE(host.gui->is_api_supported(host.plugin, clap::kNativeWindowApi, true)) << "no floating window";
  EXPECT_FALSE(host.gui->is_api_supported(host.plugin, CLAP_WINDOW_API_WAYLAND, false));
  EXPECT_FALSE(host.gui->create(host.plugin, clap::kNativeWindowApi, true));
  EXPECT_FALSE(host.gui->can_resize(host.plugin));
  ASSERT_TRUE(openPanel());
  EXPECT_FALSE(host.gui->create(host.plugin, clap::kNativeWindowApi, false)) << "one panel at a time";
#if !defined(_WIN32)
  // Linux: the host's timer and a watch on the X connection drive the panel.
  EXPECT_EQ(host.liveTimers.size(), 1u);
  EXPECT_EQ(host.liveFds.size(), 1u);
#endif
  std::uint32_t w = 0, h = 0;
  ASSERT_TRUE(host.gui->get_size(host.plugin, &w, &h));
  EXPECT_TRUE(host.gui->set_size(host.plugin, w, h));
  EXPECT_FALSE(host.gui->set_size(host.plugin, w + 1, h));
  closePanel();
  EXPECT_TRUE(host.liveTimers.empty());
  EXPECT_TRUE(host.liveFds.empty());
}

// The host's loop: its window's events and its timers (Windows: the panel's own).
void tickTimers(void* self) {
  auto& host = *static_cast<clap::testing::TestHost*>(self);
  for (const clap_id id : std::vector<clap_id>(host.liveTimers)) host.timers->on_timer(host.plugin, id);
}

TEST_F(ClapWindowInProcess, ANewHostScaleWhileOpenAsksTheHostToResizeItsWindow) {
  ASSERT_TRUE(openPanel());
  const auto& layout = editor::tessaroLayout();
  ASSERT_TRUE(host.gui->set_scale(host.plugin, 2.0));
  window->pump(300, tickTimers, &host);
  ASSERT_FALSE(host.resizeRequests.empty());
  EXPECT_EQ(host.resizeRequests.back(), std::make_pair(static_cast<std::uint32_t>(2 * layout.width),
                                                       static_cast<std::uint32_t>(2 * layout.height)));
  std::uint32_t w = 0, h = 0;
  ASSERT_TRUE(host.gui->get_size(host.plugin, &w, &h));
  EXPECT_EQ(w, static_cast<std::uint32_t>(2 * layout.width));
  closePanel();
}

TEST_F(ClapWindowInProcess, AProgramChosenInThePanelMakesTheHostRescanTheValuesOnItsMainThread) {
  ASSERT_TRUE(openPanel());
  double before = 0.0;
  const auto knob = static_cast<clap_id>(firstKnob().tag);
  ASSERT_TRUE(host.params->get_value(host.plugin, knob, &before));
  const CPoint next = centre(editor::tessaroLayout().next);
  ASSERT_TRUE(window->mouseDown(next.x, next.y, kLButton));
  ASSERT_TRUE(window->mouseUp(next.x, next.y, 0));
  window->pump(300, tickTimers, &host);
  EXPECT_GT(host.callbackRequests, 0);
  EXPECT_EQ(host.rescans, 0) << "not before the host's main-thread callback";
  host.plugin->on_main_thread(host.plugin);
  EXPECT_EQ(host.rescans, 1);
  EXPECT_TRUE(host.rescanFlags & CLAP_PARAM_RESCAN_VALUES);
  int moved = 0;
  for (clap_id id = 0; id < static_cast<clap_id>(tessaro::Product::kParameterCount); ++id) {
    double value = 0.0;
    ASSERT_TRUE(host.params->get_value(host.plugin, id, &value));
    const float program = static_cast<float>(tessaro::Product::presets().factoryPrograms[1].values[id]);
    EXPECT_EQ(value, clap::clapValueOf(unitsOf<tessaro::Product>(), static_cast<int>(id), program));
    moved += value != clap::clapValueOf(unitsOf<tessaro::Product>(), static_cast<int>(id),
                                        static_cast<float>(tessaro::Product::presets().factoryPrograms[0].values[id]));
  }
  EXPECT_GT(moved, 0);
  EXPECT_TRUE(host.outEvents.empty()) << "a program is no gesture";
  closePanel();
}

// While the host processes, the panel's gesture rides on the next block's
// output events; no flush is asked for.
TEST_F(ClapWindowInProcess, ADragWhileProcessingGoesOutWithTheNextBlock) {
  ASSERT_TRUE(host.plugin->activate(host.plugin, 48000.0, 1, 64));
  ASSERT_TRUE(host.plugin->start_processing(host.plugin));
  ASSERT_TRUE(openPanel());
  const auto& knob = firstKnob();
  const CPoint start = centre(knob.rect);
  ASSERT_TRUE(window->mouseDown(start.x, start.y, kLButton));
  for (int i = 1; i <= 10; ++i) ASSERT_TRUE(window->mouseMove(start.x, start.y - 5 * i, kLButton));
  window->pump(100, tickTimers, &host);
  ASSERT_TRUE(window->mouseUp(start.x, start.y - 50, 0));
  window->pump(100, tickTimers, &host);
  EXPECT_EQ(host.flushRequests, 0);
  EXPECT_TRUE(host.outEvents.empty());

  std::vector<float> audio[4];
  float* channels[4];
  for (int c = 0; c < 4; ++c) {
    audio[c].assign(64, 0.0f);
    channels[c] = audio[c].data();
  }
  clap_audio_buffer_t in{}, out{};
  in.data32 = channels;
  out.data32 = channels + 2;
  in.channel_count = out.channel_count = 2;
  const std::vector<clap_event_param_value_t> none;
  clap::testing::TestHost::Events list{none};
  const clap_input_events_t inEvents{&list, clap::testing::TestHost::Events::size,
                                     clap::testing::TestHost::Events::get};
  const clap_output_events_t outEvents{&host, clap::testing::TestHost::push};
  clap_process_t block{};
  block.frames_count = 64;
  block.audio_inputs = &in;
  block.audio_outputs = &out;
  block.audio_inputs_count = block.audio_outputs_count = 1;
  block.in_events = &inEvents;
  block.out_events = &outEvents;
  ASSERT_EQ(host.plugin->process(host.plugin, &block), CLAP_PROCESS_CONTINUE);

  const auto& events = host.outEvents;
  ASSERT_GE(events.size(), 3u);
  EXPECT_EQ(events.front().type, CLAP_EVENT_PARAM_GESTURE_BEGIN);
  EXPECT_EQ(events.back().type, CLAP_EVENT_PARAM_GESTURE_END);
  for (std::size_t i = 0; i < events.size(); ++i) {
    EXPECT_EQ(events[i].param, static_cast<clap_id>(knob.tag));
    if (i > 0 && i + 1 < events.size()) {
      EXPECT_EQ(events[i].type, CLAP_EVENT_PARAM_VALUE);
    }
  }
  EXPECT_EQ(events[events.size() - 2].value, clap::clapValueOf(unitsOf<tessaro::Product>(), knob.tag, 0.75f));
  closePanel();
  host.plugin->stop_processing(host.plugin);
  host.plugin->deactivate(host.plugin);
}

TEST_F(ClapWindowInProcess, APanelDestroyedMidDragStillEndsTheGestureOnce) {
  ASSERT_TRUE(openPanel());
  const auto& knob = firstKnob();
  const CPoint start = centre(knob.rect);
  ASSERT_TRUE(window->mouseDown(start.x, start.y, kLButton));
  for (int i = 1; i <= 5; ++i) ASSERT_TRUE(window->mouseMove(start.x, start.y - 5 * i, kLButton));
  window->pump(100, tickTimers, &host);
  closePanel();
  EXPECT_GT(host.flushRequests, 0) << "nothing processes: the host is asked to flush";
  host.flush();
  int begins = 0, ends = 0;
  for (const auto& e : host.outEvents) {
    EXPECT_EQ(e.param, static_cast<clap_id>(knob.tag));
    begins += e.type == CLAP_EVENT_PARAM_GESTURE_BEGIN;
    ends += e.type == CLAP_EVENT_PARAM_GESTURE_END;
  }
  EXPECT_EQ(begins, 1);
  EXPECT_EQ(ends, 1);
  ASSERT_FALSE(host.outEvents.empty());
  EXPECT_EQ(host.outEvents.back().type, CLAP_EVENT_PARAM_GESTURE_END);
  window->mouseUp(start.x, start.y - 25, 0);
}

TEST_F(ClapWindowInProcess, AHundredCreateAndDestroyCyclesLeaveNothingBehind) {
  // The first opening loads what the process keeps (fonts).
  ASSERT_TRUE(openPanel());
  closePanel();
  const int descriptors = openDescriptors();
  const int objects = liveToolkitObjects();
  for (int i = 0; i < 100; ++i) {
    ASSERT_TRUE(openPanel()) << "cycle " << i;
    window->pump(0);
    closePanel();
  }
  EXPECT_EQ(openDescriptors(), descriptors);
  EXPECT_EQ(liveToolkitObjects(), objects);
  EXPECT_EQ(window->childWindowCount(), 0);
  EXPECT_TRUE(host.liveTimers.empty());
  EXPECT_TRUE(host.liveFds.empty());
}

}  // namespace
