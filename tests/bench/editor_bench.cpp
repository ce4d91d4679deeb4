// Cost of the editor on a headless window through the software back end,
// for both products at 100 % and 200 %: opening to the first complete paint,
// a full redraw, one knob's redraw, the value readout's redraw, an idle with
// nothing to do (with and without a readout), a mouse move during a knob drag. Memory per open editor (the pictures of
// that size plus the window's picture) is printed as a counter of the open benchmark.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <set>

#include "editor/cvaluereadout.h"
#include "editor/layout.h"
#include "editor/sorvane_gui.h"
#include "gui/draw/cbitmap.h"
#include "gui/draw/scaling.h"
#include "platform/headless/headless_window.h"
#include "platform/scripted/clock.h"
#include "platform/scripted/message_box.h"
#include "platform/scripted/popup_menu.h"
#include "plugin/pallido.h"
#include "plugin/tessaro.h"

namespace sorvane::bench {
namespace {

VstIntPtr VSTCALLBACK host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  return opcode == audioMasterVersion ? 2400 : 1;
}

struct Services {
  platform::HeadlessWindowSystem windows;
  platform::ScriptedPopupMenus menus;
  platform::ManualClock clock;
  platform::ScriptedMessageBox messages;
  platform::UiServices bundle{&windows, &menus, &clock, &messages, nullptr, nullptr, nullptr};
};
Services& services() {
  static Services s;
  return s;
}

template <class Product>
struct Traits;
template <>
struct Traits<tessaro::Product> {
  static const editor::EditorLayout& layout() { return editor::tessaroLayout(); }
  static const platform::EmbeddedResourceTable& pictures() { return tessaro::embeddedResources(); }
};
template <>
struct Traits<pallido::Product> {
  static const editor::EditorLayout& layout() { return editor::pallidoLayout(); }
  static const platform::EmbeddedResourceTable& pictures() { return pallido::embeddedResources(); }
};

template <class Product>
AEffEditor* makeEditor(AudioEffect* effect) {
  return editor::makeProductEditor<Product>(effect, Traits<Product>::layout(), services().bundle);
}

// An effect with its editor at percent, closed; open() opens it and paints it whole.
template <class Product>
struct EditorOf {
  // withClock false: an editor without the idle's clock, which has no value readout.
  explicit EditorOf(int percent, bool withClock = true) {
    platform::useEmbeddedResources(&Traits<Product>::pictures());
    platform::Clock* clock = services().bundle.clock;
    if (!withClock) services().bundle.clock = nullptr;
    effect = std::make_unique<Sorvane<Product>>(&host, &makeEditor<Product>);
    services().bundle.clock = clock;
    gui = static_cast<editor::sorvaneGUI*>(effect->getEditor());
    gui->setScale(editor::AEffGUIEditor::ScaleSource::User, percent);
  }
  ~EditorOf() { gui->close(); }
  void open() {
    gui->open(&parent);
    window = services().windows.window();
    window->paintAll();
  }
  int parent = 0;
  std::unique_ptr<Sorvane<Product>> effect;
  editor::sorvaneGUI* gui;
  platform::HeadlessWindow* window = nullptr;
};

// An effect whose editor is open at percent and painted once.
template <class Product>
struct OpenEditor : EditorOf<Product> {
  explicit OpenEditor(int percent, bool withClock = true) : EditorOf<Product>(percent, withClock) { this->open(); }
};

template <class Product>
void openToFirstPaint(benchmark::State& state) {
  const int percent = static_cast<int>(state.range(0));
  EditorOf<Product> editor(percent);
  for (auto _ : state) {
    editor.open();
    state.PauseTiming();
    editor.gui->close();
    state.ResumeTiming();
  }
  // What one open editor holds: each picture of the size once, and the window.
  const editor::EditorLayout& layout = Traits<Product>::layout();
  std::set<std::string> names(layout.bitmaps.begin(), layout.bitmaps.end());
  names.insert(editor::kBackgroundBitmap);
  names.insert(editor::kAboutBitmap);
  double bytes = 4.0 * scaleToWindow(layout.width, percent) * scaleToWindow(layout.height, percent);
  for (const std::string& name : names) {
    CBitmap bitmap(name.c_str());
    if (const platform::PixelBuffer* picture = bitmap.picture(percent))
      bytes += 4.0 * picture->width() * picture->height();
  }
  state.counters["MB_per_open_editor"] = bytes / (1024.0 * 1024.0);
}

// The first opening in the process at a size, which decodes the pictures of
// that size (run once, before anything else has opened this product's
// editor at it; 100 % before 200 %).
template <class Product>
void firstOpenToFirstPaint(benchmark::State& state) {
  EditorOf<Product> editor(static_cast<int>(state.range(0)));
  for (auto _ : state) editor.open();
}

template <class Product>
void fullRedraw(benchmark::State& state) {
  OpenEditor<Product> open(static_cast<int>(state.range(0)));
  for (auto _ : state) open.window->paintAll();
}

template <class Product>
void oneKnobRedraw(benchmark::State& state) {
  OpenEditor<Product> open(static_cast<int>(state.range(0)));
  CControl* knob = open.gui->parameterControl(Product::kOutputIndex);
  float value = 0.0f;
  for (auto _ : state) {
    value = value > 0.9f ? 0.0f : value + 0.01f;
    knob->setValue(value);
    open.gui->idle();
  }
}

// The readout of a gain knob shows a new text: its plate's rectangle is
// repainted (the panel beneath, then the plate) at the next idle. The knob
// itself is kept from redrawing, so only the readout is measured.
template <class Product>
void readoutRedraw(benchmark::State& state) {
  OpenEditor<Product> open(static_cast<int>(state.range(0)));
  CControl* knob = open.gui->parameterControl(Product::kOutputIndex);
  editor::CValueReadout* readout = open.gui->readout();
  readout->gestureBegan(knob, services().clock.now);
  open.gui->idle();
  float value = 0.0f;
  for (auto _ : state) {
    value = value > 0.9f ? 0.0f : value + 0.01f;
    knob->setValue(value);
    knob->setDirty(false);
    readout->valueChanged(knob);
    open.gui->idle();
  }
  readout->gestureEnded(knob, services().clock.now);
}

// Arg 1: the editor has its readout (hidden, as between gestures); 0: none.
template <class Product>
void idleWithNothingDirty(benchmark::State& state) {
  OpenEditor<Product> open(static_cast<int>(state.range(0)), state.range(1) != 0);
  open.gui->idle();
  for (auto _ : state) open.gui->idle();
}

template <class Product>
void mouseMoveDuringDrag(benchmark::State& state) {
  const int percent = static_cast<int>(state.range(0));
  OpenEditor<Product> open(percent);
  const CRect r = open.gui->parameterControl(Product::kOutputIndex)->getViewSize();
  const CPoint at = scaleToWindow(CPoint(r.left + 26, r.top + 26), percent);
  open.window->mouseDown(at.x, at.y, kLButton);
  // The same panel pixels at every size: a step of the knob with each move.
  const int pixel = scaleToWindow(1, percent);
  int step = 0;
  for (auto _ : state) {
    step = (step + 1) % 200;
    open.window->mouseMove(at.x, at.y + (step - 100) * pixel, kLButton);
  }
  open.window->mouseUp(at.x, at.y, 0);
}

// The folder scan that runs at every program change and side switch in
// folder mode: 1000 presets in 50 folders (10 top folders with 4 sub-folders each).
std::string gScanFolder;

AEffEditor* scanningEditor(AudioEffect* effect) {
  auto* product = static_cast<Sorvane<pallido::Product>*>(effect);
  return new editor::sorvaneGUI(effect, editor::pallidoLayout(), services().bundle,
                                [product](platform::MessageBoxService& messages, PresetFileListener* listener) {
                                  return std::make_unique<editor::ProductEffectAccess<pallido::Product>>(
                                      *product, messages, listener, gScanFolder.c_str());
                                });
}

void folderScanOf1000Presets(benchmark::State& state) {
  namespace fs = std::filesystem;
  std::random_device entropy;
  const fs::path root = fs::temp_directory_path() / ("sorvane-scan-" + std::to_string(entropy()));
  int files = 0;
  for (int top = 0; top < 10; ++top) {
    const fs::path folder = root / ("Folder " + std::to_string(top));
    for (int sub = -1; sub < 4; ++sub) {
      const fs::path here = sub < 0 ? folder : folder / ("Sub " + std::to_string(sub));
      fs::create_directories(here);
      for (int i = 0; i < 20; ++i, ++files) std::ofstream(here / ("Preset " + std::to_string(i) + ".pldp")) << "x";
    }
  }
  gScanFolder = root.string();
  auto bundle = services().bundle;
  bundle.files = &platform::systemFileSystem();
  services().bundle = bundle;
  platform::useEmbeddedResources(&pallido::embeddedResources());
  {
    auto effect = std::make_unique<Sorvane<pallido::Product>>(&host, &scanningEditor);
    auto* gui = static_cast<editor::sorvaneGUI*>(effect->getEditor());
    int parent = 0;
    gui->open(&parent);
    for (auto _ : state) {
      gui->refreshPresetDisplay();
      gui->applyPending();
    }
    state.counters["presets"] = files;
    state.counters["folders"] = gui->folderCount();
    gui->close();
  }
  services().bundle.files = nullptr;
  fs::remove_all(root);
}
// 100 % and 200 % of each side by side, so their ratios come from one run.
BENCHMARK_TEMPLATE(firstOpenToFirstPaint, tessaro::Product)->Arg(100)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_TEMPLATE(firstOpenToFirstPaint, pallido::Product)->Arg(100)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_TEMPLATE(firstOpenToFirstPaint, tessaro::Product)->Arg(200)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_TEMPLATE(firstOpenToFirstPaint, pallido::Product)->Arg(200)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_TEMPLATE(openToFirstPaint, tessaro::Product)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(openToFirstPaint, pallido::Product)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(fullRedraw, tessaro::Product)->Arg(100)->Arg(200)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(fullRedraw, pallido::Product)->Arg(100)->Arg(200)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(oneKnobRedraw, tessaro::Product)->Arg(100)->Arg(200)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(oneKnobRedraw, pallido::Product)->Arg(100)->Arg(200)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(readoutRedraw, tessaro::Product)->Arg(100)->Arg(200)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(readoutRedraw, pallido::Product)->Arg(100)->Arg(200)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(idleWithNothingDirty, tessaro::Product)
    ->ArgsProduct({{100, 200}, {1, 0}})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(idleWithNothingDirty, pallido::Product)
    ->ArgsProduct({{100, 200}, {1, 0}})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(mouseMoveDuringDrag, tessaro::Product)->Arg(100)->Arg(200)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(mouseMoveDuringDrag, pallido::Product)->Arg(100)->Arg(200)->Unit(benchmark::kMicrosecond);
BENCHMARK(folderScanOf1000Presets)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sorvane::bench

BENCHMARK_MAIN();
