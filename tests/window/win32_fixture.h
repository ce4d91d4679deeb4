// The real editor in a real Windows window (under Wine on a virtual display
// in the test run): an effect of each product whose editor uses the
// system's windows, menus and clock, opened into a host window that plays
// the host's part with the system's own input messages. Message boxes and
// file dialogs are recorded instead of shown, so no test waits on them.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "hostkit/host_window.h"
#include "hostkit/win32/window_probe.h"
#include "platform/draw.h"
#include "platform/ui_services.h"
#include "tests/editor/editor_fixture.h"

namespace sorvane::test {

// Answers every dialog with "cancelled" and keeps what was asked.
struct RecordedDialogs : platform::FileDialogService {
  std::vector<platform::FileDialogRequest> requests;
  bool run(const platform::FileDialogRequest& request, char (&)[platform::kPathCapacity]) override {
    requests.push_back(request);
    return false;
  }
};

// Outside the text the system's picture equals the software render bit for
// bit (Wine 8's AlphaBlend rounds as the software back end does: measured
// difference 0 in every channel, both paths, both products). Inside the
// text areas the system draws text with its own fonts and the Windows build's
// software back end draws none: black text may only darken the picture.
inline constexpr int kBlendTolerance = 0;

struct PictureComparison {
  int outside = 0;         // largest per-channel difference outside the text areas
  int brighterInText = 0;  // how much brighter a text pixel is than the headless one
  int darkenedInText = 0;  // text pixels the system drew (the headless one draws no text here)
  std::string where;       // the worst pixel outside
};

// textAreas are in the pictures' own pixels.
PictureComparison comparePictures(const platform::PixelBuffer& window, const platform::PixelBuffer& headless,
                                  const std::vector<CRect>& textAreas);

// A host window, or a failed test: without a display there is nothing to test.
std::unique_ptr<hostkit::HostWindow> makeHostWindow(int width, int height);

template <class Product>
class Win32EditorTest : public ::testing::Test {
 protected:
  using Effect = Sorvane<Product>;

  void SetUp() override {
    useProductPictures(layoutOf<Product>().product);
    EditorHost::calls.clear();
    host = makeHostWindow(layout().width, layout().height);
    ASSERT_NE(host, nullptr);
    services = platform::nativeUiServices();
    services.messages = &messages;
    services.dialogs = &dialogs;
    makeEffect();
  }
  void TearDown() override {
    effect.reset();
    host.reset();
  }
  void makeEffect() {
    gEditorServices = services;
    effect = std::make_unique<Effect>(&EditorHost::callback, &scriptedEditor<Product>);
    editor = static_cast<editor::sorvaneGUI*>(effect->getEditor());
  }
  VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr) {
    AEffect* record = effect->getAeffect();
    return record->dispatcher(record, opcode, index, value, ptr, 0.0f);
  }
  // Opens into the host window and lets the first paint happen.
  bool open() {
    const bool opened = dispatch(effEditOpen, 0, 0, host->handle()) == 1;
    pump(0);
    EditorHost::calls.clear();
    return opened;
  }
  void close() { dispatch(effEditClose); }
  // Delivers the window's messages, with the host's idle every 20 ms.
  void pump(int milliseconds) {
    host->pump(
        milliseconds, [](void* self) { static_cast<Win32EditorTest*>(self)->dispatch(effEditIdle); }, this);
  }
  void* editorWindow() const { return hostkit::win32probe::firstChildWindow(host->handle()); }
  const editor::EditorLayout& layout() const { return layoutOf<Product>(); }
  const editor::ParameterControl& controlOf(int tag) const {
    for (const auto& c : layout().controls)
      if (c.tag == tag) return c;
    throw std::logic_error("no control with that tag");
  }
  static CPoint centre(const CRect& r) { return CPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2); }
  void click(const CPoint& p, int buttons = platform::kButtonLeft) {
    host->mouseDown(p.x, p.y, buttons);
    host->mouseUp(p.x, p.y, buttons & ~platform::kDoubleClick);
  }
  // A point of the panel where no view takes the mouse.
  CPoint emptySpot() const {
    CFrame* frame = editor->getFrame();
    for (int y = layout().height - 2; y > 0; --y)
      for (int x = 2; x < layout().width; x += 7)
        if (!frame->getViewAt(CPoint(x, y))) return CPoint(x, y);
    return CPoint(-1, -1);
  }
  // The window as the system shows it now.
  std::unique_ptr<platform::PixelBuffer> screenshot() {
    auto pixels = platform::createMemoryPixelBuffer(layout().width, layout().height);
    EXPECT_TRUE(host->capture(*pixels)) << "the window could not be read back";
    return pixels;
  }

  std::unique_ptr<hostkit::HostWindow> host;
  platform::UiServices services{};
  platform::ScriptedMessageBox messages;
  RecordedDialogs dialogs;
  std::unique_ptr<Effect> effect;
  editor::sorvaneGUI* editor = nullptr;
};

}  // namespace sorvane::test
