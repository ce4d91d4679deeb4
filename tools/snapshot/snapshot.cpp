// sorvane-snapshot: a picture of a product's editor, drawn by the real
// editor on a headless window through the software back end.
//
//   sorvane-snapshot <tessaro|pallido> <out.png> [--program N] [--side b] [--about] [--scale PERCENT]
//                    [--set INDEX=VALUE]...
//   sorvane-snapshot docs <folder>
//
// The editor opens as a host would open it (program 0, side A unless asked,
// at 100 % unless asked), takes the values, runs one idle and paints the
// whole window. "docs" writes the README's pictures: each product's editor
// as it opens, at 100 % (<product>-editor.png) and 200 %
// (<product>-editor-200.png). No user's settings take part.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "editor/layout.h"
#include "editor/sorvane_gui.h"
#include "gui/draw/png_encode.h"
#include "gui/draw/scaling.h"
#include "platform/headless/headless_window.h"
#include "platform/resources.h"
#include "plugin/pallido.h"
#include "plugin/tessaro.h"

namespace {

using namespace sorvane;

int usage() {
  std::fprintf(stderr,
               "usage: sorvane-snapshot <tessaro|pallido> <out.png> [--program N] [--side b] [--about] "
               "[--scale PERCENT] [--set INDEX=VALUE]...\n"
               "       sorvane-snapshot docs <folder>\n");
  return 2;
}

struct Request {
  int program = 0;
  bool sideB = false;
  bool about = false;
  int percent = 100;
  std::vector<std::pair<int, float>> values;
};

platform::UiServices headlessServices() {
  platform::UiServices services = platform::nativeUiServices();
  services.windows = &platform::headlessWindowSystem();
  services.files = nullptr;     // the pictures show program mode, whatever is on this machine
  services.settings = nullptr;  // and the size asked for, whatever its user chose
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
  if (!isEditorScale(request.percent)) return usage();
  gui->setScale(editor::AEffGUIEditor::ScaleSource::User, request.percent);
  int parent = 0;
  if (!gui->open(&parent)) {
    std::fprintf(stderr, "sorvane-snapshot: the editor did not open\n");
    return 1;
  }
  platform::HeadlessWindow* window = platform::headlessWindowSystem().window();
  if (request.about) {
    const CRect click = scaleToWindow(gui->layout().aboutClick, request.percent);
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

int snapshotProduct(const std::string& product, const char* out, const Request& request) {
  if (product == "tessaro") {
    platform::useEmbeddedResources(&tessaro::embeddedResources());
    return snapshot<tessaro::Product>(out, request);
  }
  platform::useEmbeddedResources(&pallido::embeddedResources());
  return snapshot<pallido::Product>(out, request);
}

int docsPictures(const std::string& folder) {
  for (const char* product : {"tessaro", "pallido"}) {
    for (int percent : {100, 200}) {
      Request request;
      request.percent = percent;
      std::string out = folder;
      out.append("/").append(product).append("-editor");
      if (percent != 100) out.append("-").append(std::to_string(percent));
      out.append(".png");
      if (const int result = snapshotProduct(product, out.c_str(), request); result != 0) return result;
      std::printf("%s\n", out.c_str());
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return usage();
  const std::string product = argv[1];
  if (product == "docs") return argc == 3 ? docsPictures(argv[2]) : usage();
  if (product != "tessaro" && product != "pallido") return usage();
  Request request;
  for (int i = 3; i < argc; ++i) {
    if (std::strcmp(argv[i], "--about") == 0) {
      request.about = true;
    } else if (std::strcmp(argv[i], "--side") == 0 && i + 1 < argc) {
      const std::string side = argv[++i];
      if (side != "a" && side != "b") return usage();
      request.sideB = side == "b";
    } else if (std::strcmp(argv[i], "--scale") == 0 && i + 1 < argc) {
      request.percent = std::atoi(argv[++i]);
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
  return snapshotProduct(product, argv[2], request);
}
