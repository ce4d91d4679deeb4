// The editor command: the plug-in's editor in a host window of the system's
// own kind, driven with the system's input messages. Only the host window
// interface is used, so every system that has one runs this unchanged.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ostream>

#include "hostkit/host_window.h"
#include "tools/sorvane-host/commands.h"
#include "tools/sorvane-host/plugin_host.h"
#include "tools/sorvane-host/raster.h"

namespace sorvane::host {
namespace {

// Long enough for the editor's idle pump (at most every 100 ms) to redraw.
constexpr int kSettleMs = 250;
// effVendorSpecific's index and value for the host's scale factor ('PreS', 'AeCs').
constexpr VstInt32 kScaleFactorIndex = 0x50726553;
constexpr VstIntPtr kScaleFactorValue = 0x41654373;

void idleEditor(void* instance) { static_cast<PluginInstance*>(instance)->dispatch(effEditIdle); }

std::string callText(const HostCallRecord& call) {
  char text[64];
  switch (call.opcode) {
    case audioMasterAutomate:
      std::snprintf(text, sizeof text, "automate %d %.6g", call.index, static_cast<double>(call.value));
      break;
    case audioMasterBeginEdit:
      std::snprintf(text, sizeof text, "begin edit %d", call.index);
      break;
    case audioMasterEndEdit:
      std::snprintf(text, sizeof text, "end edit %d", call.index);
      break;
    default:
      std::snprintf(text, sizeof text, "update display");
      break;
  }
  return text;
}

std::string gestureText(const EditorGesture& g) {
  char text[96];
  switch (g.kind) {
    case EditorGesture::Drag:
      std::snprintf(text, sizeof text, "drag from %d,%d by %d,%d", g.x, g.y, g.dx, g.dy);
      break;
    case EditorGesture::Click:
      std::snprintf(text, sizeof text, "click at %d,%d", g.x, g.y);
      break;
    case EditorGesture::Wheel:
      std::snprintf(text, sizeof text, "wheel at %d,%d by %d notch%s", g.x, g.y, g.notches,
                    g.notches == 1 || g.notches == -1 ? "" : "es");
      break;
  }
  return text;
}

// Every step is followed by the host's idle: some window systems hand the
// editor its input only then (X11), and a step the editor has not yet seen
// could be merged with the next.
void perform(hostkit::HostWindow& window, const EditorGesture& g, PluginInstance& instance) {
  using namespace platform;
  auto settle = [&] { window.pump(0, idleEditor, &instance); };
  switch (g.kind) {
    case EditorGesture::Drag: {
      window.mouseDown(g.x, g.y, kButtonLeft);
      settle();
      const int steps = std::max(std::abs(g.dx), std::abs(g.dy));
      for (int i = 1; i <= steps; ++i) {
        window.mouseMove(g.x + g.dx * i / steps, g.y + g.dy * i / steps, kButtonLeft);
        settle();
      }
      window.mouseUp(g.x + g.dx, g.y + g.dy, kButtonLeft);
      break;
    }
    case EditorGesture::Click:
      window.mouseDown(g.x, g.y, kButtonLeft);
      settle();
      window.mouseUp(g.x, g.y, kButtonLeft);
      break;
    case EditorGesture::Wheel:
      for (int i = 0; i < std::abs(g.notches); ++i) {
        window.wheel(g.x, g.y, g.notches > 0 ? kWheelDeltaPerNotch : -kWheelDeltaPerNotch, 0);
        settle();
      }
      break;
  }
}

bool writeScreenshot(const std::string& path, const platform::PixelBuffer& pixels, std::string& error) {
  Raster raster(pixels.width(), pixels.height(), Rgb{});
  for (int y = 0; y < pixels.height(); ++y) {
    const std::uint8_t* row = pixels.row(y);
    for (int x = 0; x < pixels.width(); ++x)
      raster.fillRect(x, y, x + 1, y + 1, Rgb{row[4 * x + 2], row[4 * x + 1], row[4 * x]});
  }
  return writePng(path, raster, error);
}

}  // namespace

int runEditor(const EditorArgs& args, std::ostream& out, std::ostream& err) {
  std::string error;
  auto library = PluginLibrary::open(args.library, error);
  auto instance = library ? PluginInstance::create(*library, error) : nullptr;
  if (!instance) {
    err << "sorvane-host editor: " << error << "\n";
    return kExitLoad;
  }
  if ((instance->effect()->flags & effFlagsHasEditor) == 0) {
    err << "sorvane-host editor: '" << args.library << "' has no editor (effFlagsHasEditor is not set)\n";
    return kExitLoad;
  }
  // A host tells the editor its scale factor before it asks for the size.
  if (args.scale > 0.0)
    instance->dispatch(effVendorSpecific, kScaleFactorIndex, kScaleFactorValue, nullptr,
                       static_cast<float>(args.scale));
  ERect* rect = nullptr;
  instance->dispatch(effEditGetRect, 0, 0, &rect);
  const int width = rect ? rect->right - rect->left : 0;
  const int height = rect ? rect->bottom - rect->top : 0;
  if (width <= 0 || height <= 0 || width > 8192 || height > 8192) {
    err << "sorvane-host editor: '" << args.library << "' gives no usable editor size (effEditGetRect)\n";
    return kExitLoad;
  }
  const std::string name = instance->effectName();
  auto window = hostkit::createHostWindow(name.empty() ? "sorvane-host" : name.c_str(), width, height);
  if (!window) {
    err << "sorvane-host editor: no display to open a window on (on Linux set DISPLAY, or run under xvfb-run -a)\n";
    return kExitChecksFailed;
  }
  window->setClientSize(width, height);
  const VstIntPtr opened = instance->dispatch(effEditOpen, 0, 0, window->handle());
  if (opened == 0 && window->childWindowCount() == 0) {
    err << "sorvane-host editor: the plug-in did not open its editor (effEditOpen answered 0)\n";
    return kExitLoad;
  }
  // Closes the editor before the window goes, as hosts do, on every way out.
  struct EditorCloser {
    PluginInstance& instance;
    ~EditorCloser() { instance.dispatch(effEditClose); }
  } closer{*instance};

  bool fileError = false;
  const std::string stateError = applyState(*instance, args.state, &fileError);
  if (!stateError.empty()) {
    err << "sorvane-host editor: " << stateError << "\n";
    return fileError ? kExitFile : kExitState;
  }
  window->pump(kSettleMs, idleEditor, instance.get());
  out << "editor of " << (name.empty() ? "'" + args.library + "'" : name) << ", " << width << " x " << height << "\n";

  const int parameters = instance->numParams();
  std::vector<float> before(static_cast<size_t>(parameters));
  for (int i = 0; i < parameters; ++i) before[static_cast<size_t>(i)] = instance->getParameter(i);
  std::vector<HostCallRecord> calls;
  instance->context().gestureLog = &calls;
  for (const EditorGesture& gesture : args.gestures) {
    calls.clear();
    perform(*window, gesture, *instance);
    window->pump(kSettleMs, idleEditor, instance.get());
    out << gestureText(gesture) << (calls.empty() ? ": no host calls\n" : ":\n");
    for (const HostCallRecord& call : calls) out << "  " << callText(call) << "\n";
  }
  instance->context().gestureLog = nullptr;

  bool changed = false;
  for (int i = 0; i < parameters; ++i) {
    const float now = instance->getParameter(i);
    if (now == before[static_cast<size_t>(i)]) continue;
    if (!changed) out << "parameter changes:\n";
    changed = true;
    char values[64];
    std::snprintf(values, sizeof values, "%f -> %f", static_cast<double>(before[static_cast<size_t>(i)]),
                  static_cast<double>(now));
    out << "  " << i << " " << instance->parameterName(i) << ": " << values << " (" << instance->parameterDisplay(i)
        << " " << instance->parameterLabel(i) << ")\n";
  }
  if (!changed) out << "no parameter changed\n";

  auto pixels = platform::createMemoryPixelBuffer(width, height);
  if (!pixels || !window->capture(*pixels)) {
    err << "sorvane-host editor: the window could not be read back\n";
    return kExitFile;
  }
  if (!writeScreenshot(args.png, *pixels, error)) {
    err << "sorvane-host editor: " << error << "\n";
    return kExitFile;
  }
  out << "wrote '" << args.png << "' (" << width << " x " << height << ")\n";
  return kExitOk;
}

}  // namespace sorvane::host
