// Pallido's CLAP library: the plug-in and its editor.
#include "editor/layout.h"
#include "editor/sorvane_gui.h"
#include "formats/clap/adapter_impl.h"

template <>
struct sorvane::clap::EditorOf<pallido::Product> {
  static AEffEditor* make(AudioEffect* effect) {
    // The library holds one product, so its pictures are the ones every bitmap look-up sees.
    sorvane::platform::useEmbeddedResources(&pallido::embeddedResources());
    return sorvane::editor::makeProductEditor<pallido::Product>(effect, sorvane::editor::pallidoLayout(),
                                                                sorvane::platform::nativeUiServices());
  }
};

extern "C" CLAP_EXPORT const clap_plugin_entry_t clap_entry = {
    CLAP_VERSION, sorvane::clap::Factory<pallido::Product>::init, sorvane::clap::Factory<pallido::Product>::deinit,
    sorvane::clap::Factory<pallido::Product>::get};
