// Pallido's VST3 library: the plug-in, its factory and the module's entries.
#include "editor/layout.h"
#include "editor/sorvane_gui.h"
#include "formats/vst3/factory_impl.h"

template <>
struct sorvane::vst3::EditorOf<pallido::Product> {
  static AEffEditor* make(AudioEffect* effect) {
    // The library holds one product, so its pictures are the ones every bitmap look-up sees.
    sorvane::platform::useEmbeddedResources(&pallido::embeddedResources());
    return sorvane::editor::makeProductEditor<pallido::Product>(effect, sorvane::editor::pallidoLayout(),
                                                                sorvane::platform::nativeUiServices());
  }
};

SORVANE_VST3_MODULE(pallido::Product)
