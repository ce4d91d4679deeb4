// sorvane-snapshot: a picture of a product's editor, drawn by the real
// editor on a headless window through the software back end.
//
//   sorvane-snapshot <tessaro|pallido> <out.png> [--program N] [--side b] [--about] [--set INDEX=VALUE]...
//
// The editor opens as a host would open it (program 0, side A unless asked),
// takes the values, runs one idle and paints the whole window.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "editor/layout.h"
#include "editor/sorvane_gui.h"
#include "gui/draw/png_encode.h"
#include "platform/headless/headless_window.h"
#include "platform/resources.h"
#include "plugin/pallido.h"
#include "plugin/tessaro.h"

namespace {

using namespace sorvane;

int usage() {
  std::fprintf(stderr,
               "usage: sorvane-snapshot <tessaro|pallido> <out.png> [--program N] [--side b] [--about] "
               "[--set INDEX=VALUE]...\n");
  return 2;
}

struct Request {
  int program = 0;
  bool sideB = false;
  bool about = false;
  std::vector<std::pair<int, float>> values;
};

platform::UiServices headlessServices() {
  platform::UiServices services = platform::nativeUiServices();
  services.windows = &platform::headlessWindowSystem();
  services.files = nullptr;  // the pictures show program mode, whatever is on this machine
  return services;
}

const platform::UiServices& snapshotServices() {
  static const platform::UiServices services = headlessServices();
  return services;
}

template <class Product>
AEffEditor* makeEditor(AudioEffect* effect);
template <>
AEffEditor* makeEditor<tessaro::Product>(AudioEffect* effect) {
  return editor::makeProductEditor<tessaro::Product>(effect, editor::tessaroLayout(), snapshotServices());
}
template <>
AEffEditor* makeEditor<pallido::Product>(AudioEffect* effect) {
  return editor::makeProductEditor<pallido::Product>(effect, editor::pallidoLayout(), snapshotServices());
}

VstIntPtr VSTCALLBACK quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  return opcode == audioMasterVersion ? 2400 : 0;
}

template <class Product>
int snapshot(const char* out, const Request& request) {
  Sorvane<Product> effect(&quietHost, &makeEditor<Product>);
  auto* gui = static_cast<editor::sorvaneGUI*>(effect.getEditor());
  if (request.program < 0 || request.program >= kProgramCount) return usage();
  effect.setProgram(request.program);
  if (request.sideB) effect.toggleActiveSide();
  for (const auto& [index, value] : request.values) {
    if (index < 0 || index >= Product::kParameterCount) return usage();
    effect.setParameter(index, value);
  }
  int parent = 0;
  if (!gui->open(&parent)) {
    std::fprintf(stderr, "sorvane-snapshot: the editor did not open\n");
    return 1;
  }
  platform::HeadlessWindow* window = platform::headlessWindowSystem().window();
  if (request.about) {
    const CRect& click = gui->layout().aboutClick;
    window->mouseDown((click.left + click.right) / 2, (click.top + click.bottom) / 2, kLButton);
  }
  gui->idle();
  window->paintAll();
  const bool written = writeOpaquePng(out, window->pixels());
  gui->close();
  if (!written) {
    std::fprintf(stderr, "sorvane-snapshot: cannot write %s\n", out);
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return usage();
  const std::string product = argv[1];
  if (product != "tessaro" && product != "pallido") return usage();
  Request request;
  for (int i = 3; i < argc; ++i) {
    if (std::strcmp(argv[i], "--about") == 0) {
      request.about = true;
    } else if (std::strcmp(argv[i], "--side") == 0 && i + 1 < argc) {
      const std::string side = argv[++i];
      if (side != "a" && side != "b") return usage();
      request.sideB = side == "b";
    } else if (std::strcmp(argv[i], "--program") == 0 && i + 1 < argc) {
      request.program = std::atoi(argv[++i]);
    } else if (std::strcmp(argv[i], "--set") == 0 && i + 1 < argc) {
      int index = 0;
      float value = 0;
      if (std::sscanf(argv[++i], "%d=%f", &index, &value) != 2) return usage();
      request.values.emplace_back(index, value);
    } else {
      return usage();
    }
  }
  if (product == "tessaro") {
    platform::useEmbeddedResources(&tessaro::embeddedResources());
    return snapshot<tessaro::Product>(argv[2], request);
  }
  platform::useEmbeddedResources(&pallido::embeddedResources());
  return snapshot<pallido::Product>(argv[2], request);
}
