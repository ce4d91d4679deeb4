// Tessaro's VST3 library: the plug-in, its factory and the module's entries.
#include "editor/layout.h"
#include "editor/sorvane_gui.h"
#include "formats/vst3/factory_impl.h"

template <>
struct sorvane::vst3::EditorOf<tessaro::Product> {
  static AEffEditor* make(AudioEffect* effect) {
    // The library holds one product, so its pictures are the ones every bitmap look-up sees.
    sorvane::platform::useEmbeddedResources(&tessaro::embeddedResources());
    return sorvane::editor::makeProductEditor<tessaro::Product>(effect, sorvane::editor::tessaroLayout(),
                                                                sorvane::platform::nativeUiServices());
  }
};

SORVANE_VST3_MODULE(tessaro::Product)
