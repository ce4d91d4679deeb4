// An effect of each product with its real editor on scripted services: a
// headless window, scripted menus and boxes, a manual clock, and a
// recording host. Every test can run for both products.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "editor/layout.h"
#include "editor/sorvane_gui.h"
#include "gui/draw/scaling.h"
#include "platform/headless/headless_window.h"
#include "platform/scripted/clock.h"
#include "platform/scripted/message_box.h"
#include "platform/scripted/popup_menu.h"
#include "plugin/pallido.h"
#include "plugin/tessaro.h"

namespace sorvane::test {

struct HostCall {
  VstInt32 opcode;
  VstInt32 index;
  float opt;
  VstIntPtr value = 0;
};

// The host: records the calls an editor causes (automation, gestures, idle,
// display updates, window sizes).
struct EditorHost {
  static inline std::vector<HostCall> calls;
  // What the host answers when the editor asks for a window size, and what
  // it does meanwhile.
  static inline VstIntPtr sizeWindowAnswer = 1;
  static inline std::function<void()> whileSizing;
  static VstIntPtr VSTCALLBACK callback(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value, void*, float opt) {
    if (opcode != audioMasterVersion) calls.push_back({opcode, index, opt, value});
    if (opcode == audioMasterSizeWindow) {
      if (const std::function<void()> action = whileSizing) action();
      return sizeWindowAnswer;
    }
    return opcode == audioMasterVersion ? 2400 : 1;
  }
  // The calls as text: "automate 11 0.505", "begin 11", "end 11", "idle", "display".
  static std::vector<std::string> log(bool withIdle = false);
};

struct ScriptedUi {
  platform::HeadlessWindowSystem windows;
  platform::ScriptedPopupMenus menus;
  platform::ManualClock clock;
  platform::ScriptedMessageBox messages;
  platform::FileSystemService* files = nullptr;
  platform::FileDialogService* dialogs = nullptr;
  platform::ShellService* shell = nullptr;
  platform::SettingsStore* settings = nullptr;
  platform::UiServices bundle() { return {&windows, &menus, &clock, &messages, files, dialogs, shell, settings}; }
};

// The services the next editor is made with (an editor factory is a plain
// function, so it finds them here).
inline platform::UiServices gEditorServices{};

template <class Product>
const editor::EditorLayout& layoutOf();
template <>
inline const editor::EditorLayout& layoutOf<tessaro::Product>() {
  return editor::tessaroLayout();
}
template <>
inline const editor::EditorLayout& layoutOf<pallido::Product>() {
  return editor::pallidoLayout();
}

template <class Product>
AEffEditor* scriptedEditor(AudioEffect* effect) {
  return editor::makeProductEditor<Product>(effect, layoutOf<Product>(), gEditorServices);
}

void useProductPictures(const char* product);

// A state that turns every knob away from its default.
template <class Product>
void turnEveryKnob(Sorvane<Product>& effect) {
  for (int i = 0; i < Product::kParameterCount; ++i) effect.setParameter(i, static_cast<float>((i * 7) % 11) / 10.0f);
}

// The headless window's picture (software back end) of an editor with every
// knob turned, at percent: what a real window's read-back is compared with.
template <class Product>
std::unique_ptr<platform::PixelBuffer> headlessPictureOfTurnedKnobs(int percent = 100) {
  ScriptedUi ui;
  gEditorServices = ui.bundle();
  Sorvane<Product> twin(&EditorHost::callback, &scriptedEditor<Product>);
  turnEveryKnob(twin);
  static_cast<editor::AEffGUIEditor*>(twin.getEditor())->setScale(editor::AEffGUIEditor::ScaleSource::User, percent);
  int parent = 0;
  auto* record = twin.getAeffect();
  EXPECT_EQ(record->dispatcher(record, effEditOpen, 0, 0, &parent, 0.0f), 1);
  ui.windows.window()->paintAll();
  const platform::PixelBuffer& shown = ui.windows.window()->pixels();
  auto copy = platform::createMemoryPixelBuffer(shown.width(), shown.height());
  for (int y = 0; y < shown.height(); ++y) std::copy(shown.row(y), shown.row(y) + 4 * shown.width(), copy->row(y));
  record->dispatcher(record, effEditClose, 0, 0, nullptr, 0.0f);
  return copy;
}

template <class Product>
class EditorTest : public ::testing::Test {
 protected:
  using Effect = Sorvane<Product>;

  void SetUp() override {
    useProductPictures(layoutOf<Product>().product);
    EditorHost::calls.clear();
    EditorHost::sizeWindowAnswer = 1;
    EditorHost::whileSizing = nullptr;
    liveAtStart = liveToolkitObjects();
    makeEffect();
  }
  void TearDown() override {
    effect.reset();
    EXPECT_EQ(liveToolkitObjects(), liveAtStart) << "toolkit objects leaked";
    EXPECT_EQ(ui.windows.liveWindows(), 0) << "a window outlived its editor";
  }
  void makeEffect() {
    gEditorServices = ui.bundle();
    effect = std::make_unique<Effect>(&EditorHost::callback, &scriptedEditor<Product>);
    editor = static_cast<editor::sorvaneGUI*>(effect->getEditor());
    EditorHost::calls.clear();
  }
  VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f) {
    AEffect* record = effect->getAeffect();
    return record->dispatcher(record, opcode, index, value, ptr, opt);
  }
  bool open() {
    const bool opened = dispatch(effEditOpen, 0, 0, &parent) == 1;
    window = ui.windows.window();
    if (window) window->paintAll();
    return opened;
  }
  void close() {
    dispatch(effEditClose);
    window = nullptr;
  }
  // An idle as the host sends it, with the clock moved past the pump's period.
  void idle() {
    ui.clock.advance(200);
    dispatch(effEditIdle);
  }
  const editor::EditorLayout& layout() const { return layoutOf<Product>(); }
  static constexpr int kParameters = Product::kParameterCount;
  // The size effEditGetRect answers.
  CPoint rectSize() {
    ERect* r = nullptr;
    EXPECT_EQ(dispatch(effEditGetRect, 0, 0, &r), 1);
    return r ? CPoint(r->right - r->left, r->bottom - r->top) : CPoint();
  }
  // The panel's size in the window's pixels at percent.
  CPoint panelAt(int percent) const {
    return CPoint(scaleToWindow(layout().width, percent), scaleToWindow(layout().height, percent));
  }
  CPoint windowSize() const { return CPoint(window->pixels().width(), window->pixels().height()); }
  // The centre of a rectangle.
  static CPoint centre(const CRect& r) { return CPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2); }
  void click(const CPoint& p, int buttons = kLButton) {
    window->mouseDown(p.x, p.y, buttons);
    window->mouseUp(p.x, p.y, 0);
  }
  const editor::ParameterControl& controlOf(int tag) const {
    for (const auto& c : layout().controls)
      if (c.tag == tag) return c;
    throw std::logic_error("no control with that tag");
  }

  int parent = 0;  // any non-null handle stands for the host's window
  int liveAtStart = 0;
  ScriptedUi ui;
  std::unique_ptr<Effect> effect;
  editor::sorvaneGUI* editor = nullptr;
  platform::HeadlessWindow* window = nullptr;
};

using Products = ::testing::Types<tessaro::Product, pallido::Product>;

}  // namespace sorvane::test
